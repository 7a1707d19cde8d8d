// The system's own open, save and browse-for-folder dialogs.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "host.h"

namespace corvane::host {
namespace {

const Options* currentOptions = nullptr;

std::wstring FolderOf(HWND dialog) {
    wchar_t folder[MAX_PATH * 4] = L"";
    SendMessageW(dialog, CDM_GETFOLDERPATH, static_cast<WPARAM>(std::size(folder)),
                 reinterpret_cast<LPARAM>(folder));
    return folder;
}

constexpr UINT_PTR kSelectTimer = 0x53454C;

// --select NAME: selects that item in the dialog's file list, as a user's
// click does, once the list shows it; reports LISTSELECTED then.
void CALLBACK SelectInFileList(HWND dialog, UINT, UINT_PTR id, DWORD) {
    const HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
    const HWND list = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    const std::wstring name = currentOptions->Get(L"select");
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    const int index = list ? ListView_FindItem(list, -1, &find) : -1;
    if (index < 0)
        return;
    KillTimer(dialog, id);
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Report(L"LISTSELECTED", name);
}

// Explorer-style hook: reports when the dialog is up and every folder change.
UINT_PTR CALLBACK OpenDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY)
        return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    const HWND dialog = GetParent(child);
    switch (notify->hdr.code) {
    case CDN_INITDONE:
        if (currentOptions->Has(L"select"))
            SetTimer(dialog, kSelectTimer, 20, SelectInFileList);
        ApplyTimingOptions(dialog, *currentOptions);
        Report(L"READY", HandleText(dialog));
        break;
    case CDN_FOLDERCHANGE:
        Report(L"FOLDER", FolderOf(dialog));
        break;
    default:
        break;
    }
    return 0;
}

std::wstring PathOf(PCIDLIST_ABSOLUTE item) {
    wchar_t path[MAX_PATH * 4] = L"";
    if (item == nullptr || !SHGetPathFromIDListW(item, path))
        return L"";
    return path;
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        ApplyTimingOptions(dialog, *currentOptions);
        Report(L"READY", HandleText(dialog));
    } else if (message == BFFM_SELCHANGED) {
        Report(L"SELECTED", PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam)));
        Report(L"TREE", SelectedTreeChain(GetDlgItem(dialog, 14145)));
    }
    return 0;
}

} // namespace

int RunOpenDialog(const Options& options, bool save) {
    currentOptions = &options;
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring name = options.Get(L"name");
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::wstring directory = options.Get(L"dir");
    static const wchar_t filter[] = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    request.lpstrFilter = options.Has(L"filter") ? filter : nullptr;
    request.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    request.lpfnHook = OpenDialogHook;
    const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    if (chosen)
        Report(L"RESULT", file.data());
    else
        Report(L"CANCEL", std::to_wstring(CommDlgExtendedError()));
    return 0;
}

int RunBrowseDialog(const Options& options) {
    currentOptions = &options;
    wchar_t displayName[MAX_PATH] = L"";
    BROWSEINFOW request{};
    request.pszDisplayName = displayName;
    request.lpszTitle = L"Choose a folder";
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    if (options.Has(L"new"))
        request.ulFlags |= BIF_NEWDIALOGSTYLE;
    if (options.Has(L"files"))
        request.ulFlags = (request.ulFlags & ~BIF_RETURNONLYFSDIRS) | BIF_BROWSEINCLUDEFILES;
    request.lpfn = BrowseCallback;
    // --root-dir D: the tree shows D and what lies below it, nothing else.
    PIDLIST_ABSOLUTE root = nullptr;
    if (options.Has(L"root-dir") && FAILED(SHParseDisplayName(options.Get(L"root-dir").c_str(), nullptr, &root, 0, nullptr)))
        return 1;
    request.pidlRoot = root;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request);
    CoTaskMemFree(root);
    if (chosen != nullptr) {
        Report(L"RESULT", PathOf(chosen));
        CoTaskMemFree(chosen);
    } else {
        Report(L"CANCEL");
    }
    return 0;
}

} // namespace corvane::host
