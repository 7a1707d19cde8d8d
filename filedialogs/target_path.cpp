#include "filedialogs/target_path.h"

#include <windows.h>

namespace corvane {

bool IsExistingDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsMissingFolder(const std::wstring& folderPart) {
    return !folderPart.empty() && !IsExistingDirectory(folderPart);
}

void SplitTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart) {
    if (IsExistingDirectory(path)) {
        folderPart = path;
        return;
    }
    const std::wstring::size_type lastSeparator = path.rfind(L'\\');
    if (lastSeparator == std::wstring::npos) {
        fileNamePart = path;
        return;
    }
    folderPart = path.substr(0, lastSeparator);
    fileNamePart = path.substr(lastSeparator + 1);
}

bool SplitActionableTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart) {
    SplitTargetPath(path, folderPart, fileNamePart);
    return !IsMissingFolder(folderPart);
}

} // namespace corvane
