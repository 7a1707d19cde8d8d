#include "core/folder_signals.h"

#include <vector>

#include "core/poll.h"
#include "core/target_path.h"

namespace corvane {
namespace {

constexpr int kBreadcrumbId = 1001;

bool HasClass(HWND window, const wchar_t* expected) {
    wchar_t name[64];
    return GetClassNameW(window, name, 64) > 0 && std::wstring(name) == expected;
}

bool HasDirectChild(HWND dialog, const wchar_t* className) {
    return FindWindowExW(dialog, nullptr, className, nullptr) != nullptr;
}

bool LiesInAddressBand(HWND window, HWND dialog) {
    for (HWND ancestor = GetParent(window); ancestor != nullptr && ancestor != dialog;
         ancestor = GetParent(ancestor)) {
        if (HasClass(ancestor, L"Address Band Root"))
            return true;
    }
    return false;
}

struct BreadcrumbSearch {
    HWND dialog;
    HWND found;
};

BOOL CALLBACK CheckForBreadcrumb(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<BreadcrumbSearch*>(parameter);
    if (GetDlgCtrlID(window) != kBreadcrumbId || !HasClass(window, L"ToolbarWindow32") ||
        !LiesInAddressBand(window, search.dialog))
        return TRUE;
    search.found = window;
    return FALSE;
}

// The Save dialog's file-name box has id 1001 too: class and place decide.
HWND FindBreadcrumbToolbar(HWND dialog) {
    BreadcrumbSearch search{dialog, nullptr};
    EnumChildWindows(dialog, CheckForBreadcrumb, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

bool EqualIgnoringCase(const std::wstring& first, const std::wstring& second) {
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

// The long form of an existing path ("C:\PROGRA~1" gives "C:\Program
// Files"); the path itself when it cannot be had.
std::wstring LongForm(const std::wstring& path) {
    const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), needed);
    return length > 0 && length < needed ? std::wstring(buffer.data(), length) : path;
}

} // namespace

bool IsSameFolder(const std::wstring& first, const std::wstring& second) {
    const std::wstring a = WithoutTrailingBackslash(first);
    const std::wstring b = WithoutTrailingBackslash(second);
    return EqualIgnoringCase(a, b) || EqualIgnoringCase(WithoutTrailingBackslash(LongForm(a)),
                                                        WithoutTrailingBackslash(LongForm(b)));
}

std::optional<std::wstring> FolderOfBreadcrumbText(const std::wstring& text) {
    const std::size_t labelEnd = text.find(L": ");
    if (labelEnd == std::wstring::npos)
        return std::nullopt;
    std::wstring folder = text.substr(labelEnd + 2);
    if (!IsDriveOrSharePath(folder))
        return std::nullopt;
    return folder;
}

std::optional<std::wstring> Breadcrumb::Folder(DWORD boundMs) {
    if (toolbar_ == nullptr || !IsWindow(toolbar_))
        toolbar_ = FindBreadcrumbToolbar(dialog_);
    if (toolbar_ == nullptr)
        return std::nullopt;
    return FolderOfBreadcrumbText(TargetWindow(toolbar_).ReadControlText(boundMs));
}

FolderStepPlan PlanFolderStep(HWND dialog, const std::wstring& folder) {
    if (HasDirectChild(dialog, L"SHELLDLL_DefView"))
        return {FolderSignal::BoxAfterCommand, false};
    if (HasDirectChild(dialog, L"DUIViewWndClassName")) {
        if (const std::optional<std::wstring> shown = Breadcrumb(dialog).Folder())
            return {FolderSignal::Breadcrumb, IsSameFolder(*shown, folder)};
    }
    return {FolderSignal::TimedWait, false};
}

bool WaitForBreadcrumb(Breadcrumb& breadcrumb, const TargetWindow& box, const std::wstring& folder,
                       DWORD boundMs) {
    // The dialog may be busy with the change itself: a read may take as long
    // as the command that started it. A name is compared once per new text.
    std::optional<std::wstring> lastNamed;
    bool namesFolder = false;
    const bool ended = PollUntil(
        [&] {
            if (!IsWindow(box.handle()))
                return true;
            const std::optional<std::wstring> named = breadcrumb.Folder(kOkCommandBoundMs);
            if (named != lastNamed) {
                lastNamed = named;
                namesFolder = named && IsSameFolder(*named, folder);
            }
            return namesFolder && box.IsShown();
        },
        boundMs);
    return ended && IsWindow(box.handle());
}

} // namespace corvane
