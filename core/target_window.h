#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_messages.h"

namespace corvane {

// A window of another process, held by handle only: copying copies the
// handle, destroying leaves the window alone.
class TargetWindow {
public:
    TargetWindow(HWND window = nullptr) noexcept : window_(window) {}

    HWND handle() const noexcept { return window_; }
    explicit operator bool() const noexcept { return window_ != nullptr; }

    // The window's whole text, as far as the window delivers it; empty for a
    // window that is gone. Throws when the window does not answer in time.
    std::wstring ReadControlText(DWORD boundMs = kTextMessageBoundMs) const;

    // The window and every window it sits in, up to its top-level window,
    // are visible: a dialog hides its controls while it lays them out. The
    // top-level window itself may be hidden.
    bool IsShown() const noexcept;

    // Makes the window the foreground window, working around the foreground
    // lock; every setting it changes is put back before it returns.
    void BringToForeground() const;

    // Types the target path into a file dialog whose file-name box lies
    // nested below its direct children. 0 done, -1 nothing could be done.
    int FillKeyboardFileDialog(const std::wstring& path, const TargetWindow& fileNameBox) const;

private:
    HWND window_;
};

} // namespace corvane
