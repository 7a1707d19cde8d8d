#pragma once

#include <string>

namespace corvane {

// Splits a target path into the folder the dialog must change to and the file
// name it must then show. Outputs come in empty; one or both are assigned.
void SplitTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart);

// True when the text names an existing directory, as seen by this process.
bool IsExistingDirectory(const std::wstring& path);

// A folder part that is not empty and names no existing directory. Typing such
// a folder into a dialog and confirming it would make the dialog take the text
// as the chosen file, so the strategies refuse it before acting.
bool IsMissingFolder(const std::wstring& folderPart);

// SplitTargetPath for a strategy that is about to act: false (and nothing
// may be done) when the folder part names no existing directory.
bool SplitActionableTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart);

} // namespace corvane
