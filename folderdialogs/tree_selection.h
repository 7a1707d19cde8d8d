#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_type.h"

namespace corvane {

// The tree view of a browse-for-folder dialog of the given type, where the
// hook library looks for it; null when there is none.
HWND FindFolderDialogTree(HWND dialog, DialogType type);

// The texts of the items from the root's child down to the tree's selected
// item, joined by cvlib::kComponentSeparator as in a display path, read from
// outside the tree's process (which runs as this build's machine). Empty when nothing below the root is
// selected, or the tree does not answer or cannot be read.
std::wstring ReadSelectedTreePath(HWND tree);

} // namespace corvane
