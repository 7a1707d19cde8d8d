#pragma once

#include <windows.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "tallow/win/WinException.h"

namespace tallow {

namespace detail {

// Calls read(buffer, capacity) with capacities 261, 523, 1047, ... until the
// text fits (a result below the capacity). A result of 0 throws WinException
// built right after the failing call.
template <typename Reader>
std::wstring ReadWithGrowingBuffer(Reader read) {
    std::size_t capacity = 130;
    std::unique_ptr<wchar_t[]> buffer;
    for (;;) {
        if (capacity > (std::numeric_limits<DWORD>::max() - 1) / 2)
            throw std::bad_alloc();
        capacity = capacity * 2 + 1;
        buffer.reset(new wchar_t[capacity]);
        const DWORD length = read(buffer.get(), static_cast<DWORD>(capacity));
        if (length == 0)
            throw win::WinException();
        if (length < capacity)
            return std::wstring(buffer.get(), length);
    }
}

} // namespace detail

// Full path of the running program's own file.
std::wstring GetModulePath();

} // namespace tallow
