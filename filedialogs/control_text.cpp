#include "filedialogs/control_text.h"

#include <windows.h>

#include <limits>
#include <new>
#include <vector>

namespace corvane {

std::wstring TargetWindow::ReadControlText() const {
    const LRESULT announced = SendMessageW(window_, WM_GETTEXTLENGTH, 0, 0);
    if (announced <= 0)
        return {};
    const auto length = static_cast<std::size_t>(announced);
    if (length >= std::numeric_limits<std::size_t>::max() / sizeof(wchar_t) - 1)
        throw std::bad_alloc();
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const LRESULT delivered = SendMessageW(window_, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                           reinterpret_cast<LPARAM>(buffer.data()));
    // The text may have shrunk between the two messages: keep only what came.
    std::size_t count = delivered > 0 ? static_cast<std::size_t>(delivered) : 0;
    if (count > length)
        count = length;
    return std::wstring(buffer.data(), count);
}

void SetControlText(const TargetWindow& window, const std::wstring& text) {
    SendMessageW(window.handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WaitForControlText(const TargetWindow& window, const std::wstring& expected) {
    for (int read = 0; read < 10; ++read) {
        if (window.ReadControlText() == expected)
            return;
        Sleep(10);
    }
}

} // namespace corvane
