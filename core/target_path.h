#pragma once

#include <optional>
#include <string>

namespace corvane {

// The target as the program acts on it. A target with a folder part that is
// not absolute (a separator, "\" or "/", a leading drive as in "C:name", or
// a bare name of an existing directory) is resolved against this process's
// current folder: a dialog would resolve it against its own, which is not
// the folder the checks looked at. Absolute targets and bare file names come
// back exactly as given. Nothing when the target cannot be resolved.
std::optional<std::wstring> AbsoluteTargetPath(const std::wstring& path);

// Splits a target path into the folder the dialog must change to and the file
// name it must then show. Outputs come in empty; one or both are assigned. A
// folder part that is a bare drive ("C:") comes out as its root ("C:\"):
// alone, "C:" names the current folder on that drive.
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
