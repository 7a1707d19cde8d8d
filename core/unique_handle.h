#pragma once

#include <windows.h>

#include <memory>

namespace corvane {

// Owners for kernel handles that close them on destruction, one line per kind.
template <auto Close>
struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { Close(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser<CloseHandle>>;
using UniqueFindHandle = std::unique_ptr<void, HandleCloser<FindClose>>;
// Memory that the system allocated for the caller with LocalAlloc (security
// descriptors, SID texts).
using UniqueLocalMemory = std::unique_ptr<void, HandleCloser<LocalFree>>;

// The process that owns a window, opened for the queries that work across
// integrity levels (bitness, token). Null when it cannot be opened.
UniqueHandle OpenProcessOfWindow(HWND window);

} // namespace corvane
