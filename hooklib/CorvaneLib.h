#pragma once

#include <windows.h>

#include "core/dialog_type.h"

#if defined(CORVANELIB_BUILD)
#define CVLIB_API __declspec(dllexport)
#else
#define CVLIB_API __declspec(dllimport)
#endif

namespace cvlib {

// Separates the components of the display path in the carrier's title. No
// display name holds a control character, while some hold backslashes (the
// shell names a mapped drive "Public (\\nas) (Z:)").
constexpr wchar_t kComponentSeparator = L'\x1F';

// The hook's replies, posted to the carrier window (lParam 0). One
// installation gets any number of not-yet replies and at most one finished or
// not-reached reply.
constexpr UINT kWalkFinished = WM_APP;       // the whole path reached, its last item selected
constexpr UINT kWalkNotYet = WM_APP + 1;     // wParam: the level (0 for the first component) whose folder
                                             // shows no children yet; nudge with WM_NULL
constexpr UINT kWalkNotReached = WM_APP + 2; // the walk ended before the path's last component

} // namespace cvlib

// Installs the folder-selection hook in the thread of a browse-for-folder
// dialog (type OldFolderBrowser or NewFolderBrowser) and posts the dialog the
// message that arms it for this run: the carrier window and the type travel
// in that message, so nothing of a run is kept outside the dialog's process.
// The hook reads the target display path from the carrier window's title,
// walks the dialog's tree view if the dialog and the tree belong to the
// hooked thread (the selections and expansions run in the dialog's own
// dispatch, each on an item the hook has just found in the tree), and answers
// with the replies above while the carrier exists. Returns the hook this call
// installed, or null; the caller removes it.
CVLIB_API HHOOK CVLib_SetFolderDialog(HWND dialog, HWND carrier, DialogType type);
