#include <windows.h>

#include "core/target_window.h"
#include "input/input_guards.h"

namespace corvane {
namespace {

// Last resort when the lock timeout cannot be changed: borrow the input state
// of the thread that owns our active window for one request.
void RequestThroughActiveWindowThread(HWND window) {
    const HWND active = GetActiveWindow();
    if (active == nullptr)
        return;
    const DWORD targetThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD activeThread = GetWindowThreadProcessId(active, nullptr);
    ThreadInputAttachment attachment(activeThread, targetThread);
    if (attachment.attached())
        SetForegroundWindow(window);
}

} // namespace

void TargetWindow::BringToForeground() const {
    if (SetForegroundWindow(window_)) {
        if (GetForegroundWindow() == window_)
            return;
        Sleep(100);
        SetForegroundWindow(window_);
        return;
    }
    {
        ZeroForegroundLockTimeout unlocked;
        if (unlocked.lowered()) {
            SetForegroundWindow(window_);
            return;
        }
    }
    RequestThroughActiveWindowThread(window_);
}

} // namespace corvane
