#include "tallow/win/WinException.h"

#include <memory>

namespace tallow::win {
namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const noexcept { LocalFree(text); }
};

} // namespace

WinException::WinException() : errorCode(GetLastError()) {
    wchar_t* systemText = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, errorCode, 0,
        reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    std::unique_ptr<wchar_t, LocalFreeDeleter> owned(systemText);
    if (length > 0 && systemText != nullptr)
        wideMessage.assign(systemText, length);
}

} // namespace tallow::win
