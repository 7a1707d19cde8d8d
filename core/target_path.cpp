#include "core/target_path.h"

#include <windows.h>

#include <vector>

namespace corvane {
namespace {

bool IsSeparator(wchar_t unit) {
    return unit == L'\\' || unit == L'/';
}

bool StartsWithDrive(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsBareDrive(const std::wstring& path) {
    return path.size() == 2 && StartsWithDrive(path);
}

// "X:\", "X:/", and UNC or device paths ("\\server\share", "\\?\C:\").
bool IsAbsolute(const std::wstring& path) {
    if (StartsWithDrive(path))
        return path.size() >= 3 && IsSeparator(path[2]);
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool HasFolderPart(const std::wstring& path) {
    for (const wchar_t unit : path)
        if (IsSeparator(unit))
            return true;
    return StartsWithDrive(path);
}

std::optional<std::wstring> FullPathName(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    // The needed size is reported when the buffer is short; the current folder
    // could change in between, so ask again until the result fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return std::nullopt;
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> AbsoluteTargetPath(const std::wstring& path) {
    if (path.empty() || IsAbsolute(path))
        return path;
    if (!HasFolderPart(path) && !IsExistingDirectory(path))
        return path;
    return FullPathName(path);
}

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
    } else {
        const std::wstring::size_type lastSeparator = path.rfind(L'\\');
        if (lastSeparator == std::wstring::npos) {
            fileNamePart = path;
            return;
        }
        folderPart = path.substr(0, lastSeparator);
        fileNamePart = path.substr(lastSeparator + 1);
    }
    if (IsBareDrive(folderPart))
        folderPart += L'\\';
}

bool SplitActionableTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart) {
    SplitTargetPath(path, folderPart, fileNamePart);
    return !IsMissingFolder(folderPart);
}

} // namespace corvane
