#include "core/target_window.h"

#include <limits>
#include <new>
#include <vector>

#include "core/dialog_messages.h"

namespace corvane {

std::wstring TargetWindow::ReadControlText(DWORD boundMs) const {
    const LRESULT announced = SendToDialog(window_, WM_GETTEXTLENGTH, 0, 0, boundMs);
    if (announced <= 0)
        return {};
    const auto length = static_cast<std::size_t>(announced);
    if (length >= std::numeric_limits<std::size_t>::max() / sizeof(wchar_t) - 1)
        throw std::bad_alloc();
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const LRESULT delivered = SendToDialog(window_, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                           reinterpret_cast<LPARAM>(buffer.data()), boundMs);
    // The text may have shrunk between the two messages: keep only what came.
    std::size_t count = delivered > 0 ? static_cast<std::size_t>(delivered) : 0;
    if (count > length)
        count = length;
    return std::wstring(buffer.data(), count);
}

bool TargetWindow::IsShown() const noexcept {
    for (HWND window = window_;;) {
        if (window == nullptr || !IsWindow(window))
            return false;
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        if ((style & WS_CHILD) == 0)
            return true;
        if ((style & WS_VISIBLE) == 0)
            return false;
        window = GetParent(window);
    }
}

} // namespace corvane
