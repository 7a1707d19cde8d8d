#include "core/target_path.h"

#include <windows.h>

#include <algorithm>
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

// Two leading separators: a UNC path ("\\server\share"), or a device path.
bool StartsLikeUnc(const std::wstring& path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// "\\?\" and "\\.\" turn the system's path rules off.
bool HasDevicePrefix(const std::wstring& path) {
    return path.size() >= 4 && StartsLikeUnc(path) && (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]);
}

// "\\?\X:\..." is "X:\..." and "\\?\UNC\server\share\..." is "\\server\share\...":
// the dialogs take neither prefix. Other device paths name nothing a dialog
// can show.
std::optional<std::wstring> WithoutDevicePrefix(const std::wstring& path) {
    const std::wstring rest = path.substr(4);
    if (rest.size() >= 3 && StartsWithDrive(rest) && IsSeparator(rest[2]))
        return rest;
    if (rest.size() >= 4 && CompareStringOrdinal(rest.c_str(), 3, L"UNC", 3, TRUE) == CSTR_EQUAL &&
        IsSeparator(rest[3]))
        return L"\\\\" + rest.substr(4);
    return std::nullopt;
}

// A UNC path names a folder from "\\server\share" on; "\\server" or "\\"
// alone would be read as the root of whatever drive is current.
bool NamesServerAndShare(const std::wstring& path) {
    std::size_t position = 2;
    for (int component = 0; component < 2; ++component) {
        const std::size_t start = position;
        while (position < path.size() && !IsSeparator(path[position]))
            ++position;
        if (position == start)
            return false;
        ++position;
    }
    return true;
}

bool IsBlank(const std::wstring& path) {
    return std::all_of(path.begin(), path.end(), [](wchar_t unit) { return unit <= L' '; });
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

std::optional<std::wstring> AbsoluteTargetPath(const std::wstring& target) {
    if (IsBlank(target))
        return std::nullopt;
    std::wstring path = target;
    if (HasDevicePrefix(path)) {
        std::optional<std::wstring> plain = WithoutDevicePrefix(path);
        if (!plain)
            return std::nullopt;
        path = std::move(*plain);
    }
    if (StartsLikeUnc(path) && !NamesServerAndShare(path))
        return std::nullopt;
    // A bare name stays a name for the dialog's own folder.
    if (!HasFolderPart(path) && !IsExistingDirectory(path))
        return path;
    return FullPathName(path);
}

bool IsDriveOrSharePath(const std::wstring& path) {
    if (path.size() >= 3 && StartsWithDrive(path) && IsSeparator(path[2]))
        return true;
    return StartsLikeUnc(path) && !HasDevicePrefix(path) && NamesServerAndShare(path);
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

bool FitsMessageRoads(const std::wstring& folderPart) {
    return folderPart.size() < MAX_PATH;
}

bool SplitActionableTargetPath(const std::wstring& path, std::wstring& folderPart, std::wstring& fileNamePart) {
    SplitTargetPath(path, folderPart, fileNamePart);
    // Alone, "\" is the root of the current drive of whoever reads it.
    return !IsMissingFolder(folderPart) && folderPart != L"\\";
}

} // namespace corvane
