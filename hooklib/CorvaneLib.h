#pragma once

#include <windows.h>

#include "core/dialog_type.h"

#if defined(CORVANELIB_BUILD)
#define CVLIB_API __declspec(dllexport)
#else
#define CVLIB_API __declspec(dllimport)
#endif

namespace cvlib {

// The hook's replies, posted to the carrier window (wParam and lParam 0). One
// installation gets any number of not-yet replies and at most one finished or
// not-reached reply.
constexpr UINT kWalkFinished = WM_APP;       // the whole path reached, its last item selected
constexpr UINT kWalkNotYet = WM_APP + 1;     // an expanded folder shows no children yet; nudge with WM_NULL
constexpr UINT kWalkNotReached = WM_APP + 2; // the walk ended before the path's last component

} // namespace cvlib

// Installs the folder-selection hook in the thread of a browse-for-folder
// dialog (type OldFolderBrowser or NewFolderBrowser) and nudges the dialog.
// The hook reads the target display path from the carrier window's title,
// walks the dialog's tree view if the dialog and the tree belong to the
// hooked thread (posting the tree its selections and expansions, so that the
// dialog's work runs outside the hook), and answers with the replies above. Returns the hook this
// call installed, or null; the caller removes it.
CVLIB_API HHOOK CVLib_SetFolderDialog(HWND dialog, HWND carrier, DialogType type);
