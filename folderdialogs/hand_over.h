#pragma once

#include <string>

namespace corvane {

// A 64-bit run hands the folder dialogs of 32-bit processes to the x86 build
// beside it, whose hook library can enter them.

// Path of the x86 build next to the given program file.
std::wstring X86BuildPathBeside(const std::wstring& programPath);
// Path of the x86 build's hook library next to the given program file.
std::wstring X86LibraryPathBeside(const std::wstring& programPath);

// The folder whose contents a 32-bit program sees elsewhere (System32, which
// WOW64 shows it as SysWOW64), or empty where the system redirects none.
std::wstring FolderRedirectedForX86();

// What keeps the x86 build beside programPath from taking a dialog over:
// programPath lies in redirectedFolder (or below it), where the x86 build
// would look for its library in vain, or the program or its library is
// missing.
enum class HandOverObstacle { None, InRedirectedFolder, ProgramMissing, LibraryMissing };
HandOverObstacle FindHandOverObstacle(const std::wstring& programPath, const std::wstring& redirectedFolder);

// Runs the x86 build beside programPath on the path and passes its exit
// status on: only it can enter a 32-bit process. It works under the turn that
// this run holds (see ProcessOnThisTurn) and ends with this process. -1
// without starting it when FindHandOverObstacle names one, and when it
// cannot be started in a job that ends with this process.
int HandOverToX86Build(const std::wstring& path, const std::wstring& programPath,
                       const std::wstring& redirectedFolder);

} // namespace corvane
