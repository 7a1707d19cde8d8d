#pragma once

#include <windows.h>

#include <string>

#include "core/target_window.h"

namespace corvane {

// How long a dialog may take to lay its view out: to show its file-name box
// after opening, and to finish a change of folder that goes on after the
// command that started it has returned.
constexpr DWORD kDialogLayoutBoundMs = 1500;
// How long to wait after the command that changes folder is sent a second
// time: the dialogs that need it (their first went to a folder selected in
// their list, or closed an auto-complete list) handle it at once.
constexpr DWORD kRepeatedCommandWaitMs = 300;
// A name that reads back must still be there this much later: a dialog that
// empties its box at the end of a folder change has done so by then.
constexpr DWORD kNameSettleMs = 200;

// True once the box, and every window it sits in, is shown; false at the
// bound.
bool WaitUntilShown(const TargetWindow& box, DWORD boundMs = kDialogLayoutBoundMs);

// After the command that changes into the folder typed into the box: true
// once the box is shown and no longer holds that text (the dialog emptied it
// or gave it another text). False at the bound: the change has not ended, or
// the dialog keeps the folder text in the box.
bool WaitForFolderChange(const TargetWindow& box, const std::wstring& folderText,
                         DWORD boundMs = kDialogLayoutBoundMs);

// How a text put into the box is accepted: once it reads back, or once it
// reads back and is still there after the settle time. The second is for a
// dialog that may end a change of folder after the road has seen it, and
// empty the box then.
enum class NameCheck { ReadBack, ReadBackAndStays };

// True when the box is shown and holds exactly the text (and, checked so,
// still does after the settle time).
bool HoldsText(const TargetWindow& box, const std::wstring& text, NameCheck check);

} // namespace corvane
