#pragma once

#include <windows.h>

#include "core/dialog_type.h"

#if defined(CORVANELIB_BUILD)
#define CVLIB_API __declspec(dllexport)
#else
#define CVLIB_API __declspec(dllimport)
#endif

// Installs the folder-selection hook in the thread of a browse-for-folder
// dialog (type OldFolderBrowser or NewFolderBrowser) and nudges the dialog.
// The hook reads the target display path from the carrier window's title and
// replies to the carrier's thread with WM_APP (walk finished) or WM_APP + 1
// (waiting for a folder's children). The caller removes the hook.
CVLIB_API HHOOK CVLib_SetFolderDialog(HWND dialog, HWND carrier, DialogType type);
