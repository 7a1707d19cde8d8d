#pragma once

#include <windows.h>

namespace corvane {

// How long a dialog's thread may take to answer one message. Text messages
// are answered at once by a dialog that is well; the OK command may change
// into a folder on a slow network share first.
constexpr DWORD kTextMessageBoundMs = 3000;
constexpr DWORD kOkCommandBoundMs = 15000;

// Sends a message to a window of another program and waits for the answer at
// most boundMs, or not at all once the system sees the window's thread as
// hung. A window that still exists but did not answer (busy, hung, or behind
// a wall of the system's privilege isolation) throws
// tallow::win::WinException: the run cannot go on with it, and a caller must
// never wait for a dialog that stopped answering. A window that is gone
// answers 0.
LRESULT SendToDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     DWORD boundMs = kTextMessageBoundMs);

} // namespace corvane
