#include "filedialogs/control_text.h"

#include <windows.h>

namespace corvane {

void SetControlText(const TargetWindow& window, const std::wstring& text) {
    SendToDialog(window.handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WaitForControlText(const TargetWindow& window, const std::wstring& expected) {
    for (int read = 0; read < 10; ++read) {
        if (window.ReadControlText() == expected)
            return;
        Sleep(10);
    }
}

} // namespace corvane
