// wcstombs is the standard conversion under the current locale; Visual C++
// deprecates it in favour of its own wcstombs_s (warning C4996).
#if defined(_MSC_VER)
#define _CRT_SECURE_NO_WARNINGS
#endif

#include "tallow/exception.h"

#include <cstdlib>
#include <vector>

namespace tallow {
namespace {

std::string NarrowUnderCurrentLocale(const std::wstring& wide) {
    const std::size_t length = std::wcstombs(nullptr, wide.c_str(), 0);
    if (length == static_cast<std::size_t>(-1))
        return {};
    std::vector<char> scratch(length + 1);
    // Some runtimes only notice an unconvertible character while writing.
    if (std::wcstombs(scratch.data(), wide.c_str(), length + 1) != length)
        return {};
    return std::string(scratch.data(), length);
}

} // namespace

const char* exception::what() const noexcept {
    if (!narrowReady) {
        try {
            narrowMessage = NarrowUnderCurrentLocale(wideMessage);
        } catch (...) {
            narrowMessage.clear(); // out of memory: an empty text, not retried
        }
        narrowReady = true;
    }
    return narrowMessage.c_str();
}

} // namespace tallow
