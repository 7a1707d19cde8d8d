#include "core/process_integrity.h"

#include "core/unique_handle.h"

namespace corvane {

std::vector<DWORD> ReadTokenInformation(HANDLE process, TOKEN_INFORMATION_CLASS kind) {
    HANDLE opened = nullptr;
    if (process == nullptr || !OpenProcessToken(process, TOKEN_QUERY, &opened))
        return {};
    const UniqueHandle token(opened);
    DWORD size = 0;
    GetTokenInformation(token.get(), kind, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (!GetTokenInformation(token.get(), kind, buffer.data(), size, &size))
        return {};
    return buffer;
}

std::optional<DWORD> ProcessIntegrityLevel(HANDLE process) {
    const std::vector<DWORD> buffer = ReadTokenInformation(process, TokenIntegrityLevel);
    if (buffer.size() * sizeof(DWORD) < sizeof(TOKEN_MANDATORY_LABEL))
        return std::nullopt;
    const PSID label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (label == nullptr || !IsValidSid(label))
        return std::nullopt;
    const UCHAR count = *GetSidSubAuthorityCount(label);
    if (count == 0)
        return std::nullopt;
    return *GetSidSubAuthority(label, count - 1u);
}

std::optional<DWORD> IntegrityLevelOfWindow(HWND window) {
    const UniqueHandle process = OpenProcessOfWindow(window);
    return ProcessIntegrityLevel(process.get());
}

bool MayDriveDialogAtLevel(std::optional<DWORD> dialogLevel, std::optional<DWORD> ownLevel) {
    return dialogLevel && ownLevel && *dialogLevel <= *ownLevel;
}

bool MayDriveDialog(HWND dialog) {
    return MayDriveDialogAtLevel(IntegrityLevelOfWindow(dialog), ProcessIntegrityLevel(GetCurrentProcess()));
}

} // namespace corvane
