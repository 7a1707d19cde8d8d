#include "inspect/dialog_facts.h"

#include "core/unique_handle.h"
#include "inspect/report_output.h"

namespace corvane::inspect {
namespace {

// SECURITY_MANDATORY_MEDIUM_PLUS_RID, which headers for Windows 7 lack.
constexpr DWORD kMediumPlusLevel = 0x2100;

const wchar_t* LevelName(DWORD level) {
    switch (level) {
    case SECURITY_MANDATORY_UNTRUSTED_RID:
        return L"untrusted";
    case SECURITY_MANDATORY_LOW_RID:
        return L"low";
    case SECURITY_MANDATORY_MEDIUM_RID:
        return L"medium";
    case kMediumPlusLevel:
        return L"medium plus";
    case SECURITY_MANDATORY_HIGH_RID:
        return L"high";
    case SECURITY_MANDATORY_SYSTEM_RID:
        return L"system";
    case SECURITY_MANDATORY_PROTECTED_PROCESS_RID:
        return L"protected process";
    default:
        return L"level";
    }
}

} // namespace

std::wstring ProgramFileName(HWND window) {
    const UniqueHandle process = OpenProcessOfWindow(window);
    wchar_t path[MAX_PATH * 4];
    DWORD length = static_cast<DWORD>(std::size(path));
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &length))
        return L"(cannot be read)";
    const std::wstring full(path, length);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

std::wstring MachineName(USHORT machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64:
        return L"x86-64";
    case IMAGE_FILE_MACHINE_I386:
        return L"x86-32";
    case IMAGE_FILE_MACHINE_ARM64:
        return L"ARM64";
    case IMAGE_FILE_MACHINE_UNKNOWN:
        return L"unknown";
    default:
        return HexText(machine, 4);
    }
}

std::wstring IntegrityText(std::optional<DWORD> level) {
    if (!level)
        return L"unknown";
    return std::wstring(LevelName(*level)) + L" (" + HexText(*level, 4) + L")";
}

} // namespace corvane::inspect
