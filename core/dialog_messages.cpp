#include "core/dialog_messages.h"

#include "tallow/win/WinException.h"

namespace corvane {

LRESULT SendToDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD boundMs) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, boundMs, &result) != 0)
        return static_cast<LRESULT>(result);
    if (!IsWindow(window))
        return 0;
    if (GetLastError() == ERROR_SUCCESS)
        SetLastError(ERROR_TIMEOUT);
    throw tallow::win::WinException();
}

} // namespace corvane
