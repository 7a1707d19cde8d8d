#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace corvane::inspect {

// The file name of the program that owns the window ("notepad.exe"), without
// its folder, which may name the user; a note when it cannot be read.
std::wstring ProgramFileName(HWND window);

// "x86-64", "x86-32", "ARM64", or the machine's number.
std::wstring MachineName(USHORT machine);

// "medium (0x2000)"; "unknown" when the level could not be read.
std::wstring IntegrityText(std::optional<DWORD> level);

} // namespace corvane::inspect
