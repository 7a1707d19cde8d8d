#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_type.h"

namespace corvane {

// Navigates a browse-for-folder dialog of another process to the target
// folder through the hook library. 0 done, -1 nothing could be done.
int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type);

// Searches the path and each of its ancestors once, so that slow volumes and
// network shares are awake before the dialog's tree is walked.
void ProbePathChain(const std::wstring& path);

// Path of the x86 build next to the given program file.
std::wstring X86BuildPathBeside(const std::wstring& programPath);

} // namespace corvane
