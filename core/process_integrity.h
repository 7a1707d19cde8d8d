#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace corvane {

// What GetTokenInformation gives for the token of a process, held in DWORD
// elements, which keep the structure and the SIDs behind it aligned. Empty
// when the token cannot be read.
std::vector<DWORD> ReadTokenInformation(HANDLE process, TOKEN_INFORMATION_CLASS kind);

// The mandatory integrity level of a process's token: the last sub-authority
// of its label (0x1000 low, 0x2000 medium, 0x3000 high, 0x4000 system).
// Nothing when the token cannot be read.
std::optional<DWORD> ProcessIntegrityLevel(HANDLE process);

// The level of the process that owns the window, nothing when that process
// cannot be opened or its token cannot be read.
std::optional<DWORD> IntegrityLevelOfWindow(HWND window);

// Windows of a process at a higher level drop our messages and input without
// an error, so every road would report success having done nothing. A level
// that cannot be read may be such a one. Goes on only when both levels are
// known and the dialog's is not the higher.
bool MayDriveDialogAtLevel(std::optional<DWORD> dialogLevel, std::optional<DWORD> ownLevel);

// MayDriveDialogAtLevel for the dialog's process against this process.
bool MayDriveDialog(HWND dialog);

} // namespace corvane
