#pragma once

#include <optional>
#include <string>

namespace corvane {

// The target as the program acts on it, or nothing when it names nothing a
// dialog could be driven to: an empty or blank target, a UNC path without its
// share ("\\server", "\\"), a device path other than "\\?\X:\..." and
// "\\?\UNC\...". Those two lose their prefix. Every target with a folder part
// is made absolute and normal as Windows reads it (forward slashes, "." and
// "..", trailing dots and blanks): relative ones against this process's
// current folder, since a dialog would resolve them against its own. A bare
// file name comes back as given.
std::optional<std::wstring> AbsoluteTargetPath(const std::wstring& path);

// Splits a target path into the folder the dialog must change to and the file
// name it must then show. Outputs come in empty; one or both are assigned. A
// folder part that is a bare drive ("C:") comes out as its root ("C:\"):
// alone, "C:" names the current folder on that drive.
void SplitTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart);

// True when the path names a place on a drive ("C:\...") or a share
// ("\\server\share..."): not relative, not a bare "C:", not a device path.
bool IsDriveOrSharePath(const std::wstring& path);

// True when the text names an existing directory, as seen by this process.
bool IsExistingDirectory(const std::wstring& path);

// A folder part that is not empty and names no existing directory. Typing such
// a folder into a dialog and confirming it would make the dialog take the text
// as the chosen file, so the strategies refuse it before acting.
bool IsMissingFolder(const std::wstring& folderPart);

// The message roads hand the folder part to dialogs that take no more than
// MAX_PATH units for it; a longer one is refused rather than sent.
bool FitsMessageRoads(const std::wstring& folderPart);

// SplitTargetPath for a strategy that is about to act: false (and nothing
// may be done) when the folder part names no existing directory, or is a bare
// "\\".
bool SplitActionableTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart);

} // namespace corvane
