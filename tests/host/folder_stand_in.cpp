// A new-style browse-for-folder dialog as the system builds it where it has
// one: the tree sits in a "SHBrowseForFolder ShellNameSpace Control" child
// (tree id 100) and shows the shell's namespace from "Desktop" down, each
// folder's children filled in only when the folder is expanded. With
// --late-children MS the children appear that long after the expansion, the
// way a slow volume or network share answers (with --late-under FOLDER only
// for that folder and those below it); with --slow-folder NAME the folder of
// that name takes --slow-ms MS to expand (with --slow-on-select: to select),
// its thread busy all the while. --extra-items N puts N more items (no
// folders behind them) before the desktop's own children, and --long-item N
// one item with an N-character text. With --steal-foreground MS a second
// window of the stand-in takes the foreground back MS after each activation
// of the dialog, as a user who switched away; every activation of the
// inactive dialog is reported.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <set>
#include <vector>

#include "dialog_template.h"
#include "hooklib/CorvaneLib.h"
#include "host.h"
#include "support/layouts.h"
#include "support/windows.h"

namespace corvane::host {
namespace {

constexpr wchar_t kNameSpaceClass[] = L"SHBrowseForFolder ShellNameSpace Control";
constexpr int kNameSpaceTreeId = 100;
constexpr int kTitleId = 14146;
constexpr UINT_PTR kLateChildrenTimer = 0x1A7E;
constexpr UINT_PTR kStealForegroundTimer = 0x5EA1;

// Absolute item identifier lists of the tree's items, freed at exit.
class ItemLists {
public:
    ~ItemLists() {
        for (PIDLIST_ABSOLUTE list : lists_)
            CoTaskMemFree(list);
    }
    PIDLIST_ABSOLUTE Keep(PIDLIST_ABSOLUTE list) {
        lists_.push_back(list);
        return list;
    }

private:
    std::vector<PIDLIST_ABSOLUTE> lists_;
};

struct FolderStandIn {
    HWND dialog = nullptr;
    HWND tree = nullptr;
    int lateChildrenMs = 0;
    std::wstring lateUnder;
    std::wstring slowFolder;
    int slowMs = 0;
    bool slowOnSelect = false;
    int stealForegroundMs = 0;
    test::OwnedWindow decoy;
    bool active = false;
    int extraItems = 0;
    int longItemLength = 0;
    std::set<HTREEITEM> expandedOnce;
    std::vector<HTREEITEM> waitingForChildren;
    ItemLists lists;
};
FolderStandIn standIn;

// Items that stand for no shell folder: never expanded, never filled.
void InsertPlainItem(HTREEITEM parent, const std::wstring& text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.cChildren = 0;
    SendMessageW(standIn.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

void InsertCrowd(HTREEITEM root) {
    if (standIn.longItemLength > 0)
        InsertPlainItem(root, std::wstring(static_cast<std::size_t>(standIn.longItemLength), L'L'));
    for (int i = 0; i < standIn.extraItems; ++i)
        InsertPlainItem(root, L"Item " + std::to_wstring(i));
}

PIDLIST_ABSOLUTE ListOf(HTREEITEM item) {
    TVITEMW query{};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    SendMessageW(standIn.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return reinterpret_cast<PIDLIST_ABSOLUTE>(query.lParam);
}

HTREEITEM InsertItem(HTREEITEM parent, const std::wstring& text, PIDLIST_ABSOLUTE list) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.cChildren = 1;
    insert.item.lParam = reinterpret_cast<LPARAM>(standIn.lists.Keep(list));
    return reinterpret_cast<HTREEITEM>(SendMessageW(standIn.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::wstring NameOf(IShellFolder* folder, PCUITEMID_CHILD child) {
    STRRET name{};
    wchar_t* text = nullptr;
    if (folder->GetDisplayNameOf(child, SHGDN_NORMAL, &name) != S_OK || StrRetToStrW(&name, child, &text) != S_OK)
        return L"";
    std::wstring copy(text);
    CoTaskMemFree(text);
    return copy;
}

IShellFolder* BindFolder(PIDLIST_ABSOLUTE list) {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    if (list->mkid.cb == 0)
        return desktop;
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->BindToObject(list, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        folder = nullptr;
    desktop->Release();
    return folder;
}

// Inserts the item's sub folders, as the shell lists them.
void FillChildren(HTREEITEM item) {
    const PIDLIST_ABSOLUTE parent = ListOf(item);
    if (parent == nullptr)
        return;
    IShellFolder* folder = BindFolder(parent);
    if (folder == nullptr)
        return;
    IEnumIDList* children = nullptr;
    if (folder->EnumObjects(standIn.dialog, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &children) == S_OK && children != nullptr) {
        PITEMID_CHILD child = nullptr;
        while (children->Next(1, &child, nullptr) == S_OK) {
            InsertItem(item, NameOf(folder, child), ILCombine(parent, child));
            CoTaskMemFree(child);
        }
        children->Release();
    }
    folder->Release();
}

std::wstring TextOf(HWND tree, HTREEITEM item) {
    wchar_t text[1024] = L"";
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = 1024;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

std::wstring PathOf(PIDLIST_ABSOLUTE list) {
    wchar_t path[MAX_PATH * 4] = L"";
    return list != nullptr && SHGetPathFromIDListW(list, path) ? path : L"";
}

// The selection or expansion of the slow folder keeps the thread busy.
void BeSlowAt(HTREEITEM item) {
    if (standIn.slowFolder.empty() || TextOf(standIn.tree, item) != standIn.slowFolder)
        return;
    Report(L"SLOW", standIn.slowFolder);
    Sleep(static_cast<DWORD>(standIn.slowMs));
    Report(L"SLOWDONE", standIn.slowFolder);
}

bool ChildrenComeLate(HTREEITEM item) {
    if (standIn.lateChildrenMs <= 0)
        return false;
    if (standIn.lateUnder.empty())
        return true;
    const std::wstring path = PathOf(ListOf(item));
    const std::size_t length = standIn.lateUnder.size();
    return path.size() >= length && CompareStringOrdinal(path.c_str(), static_cast<int>(length),
                                                         standIn.lateUnder.c_str(), static_cast<int>(length),
                                                         TRUE) == CSTR_EQUAL &&
           (path.size() == length || path[length] == L'\\');
}

void OnExpanding(HTREEITEM item) {
    if (!standIn.expandedOnce.insert(item).second)
        return;
    Report(L"EXPANDING", PathOf(ListOf(item)));
    if (!standIn.slowOnSelect)
        BeSlowAt(item);
    if (!ChildrenComeLate(item)) {
        FillChildren(item);
        return;
    }
    standIn.waitingForChildren.push_back(item);
    SetTimer(standIn.dialog, kLateChildrenTimer, static_cast<UINT>(standIn.lateChildrenMs), nullptr);
}

LRESULT OnTreeNotify(const NMHDR& header) {
    const auto& view = reinterpret_cast<const NMTREEVIEWW&>(header);
    if (header.code == TVN_ITEMEXPANDINGW && (view.action & TVE_EXPAND) != 0) {
        OnExpanding(view.itemNew.hItem);
    } else if (header.code == TVN_SELCHANGEDW) {
        Report(L"SELECTED", PathOf(ListOf(view.itemNew.hItem)));
        Report(L"TREE", SelectedTreeChain(standIn.tree));
        if (standIn.slowOnSelect)
            BeSlowAt(view.itemNew.hItem);
    }
    return 0;
}

// The namespace control passes its tree's notifications to the dialog.
LRESULT CALLBACK NameSpaceProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY)
        return OnTreeNotify(*reinterpret_cast<const NMHDR*>(lParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateTree(HWND dialog) {
    const HWND nameSpace = FindWindowExW(dialog, nullptr, kNameSpaceClass, nullptr);
    RECT area{};
    GetClientRect(nameSpace, &area);
    standIn.tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS |
                                       TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                   0, 0, area.right, area.bottom, nameSpace,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kNameSpaceTreeId)),
                                   GetModuleHandleW(nullptr), nullptr);
    PIDLIST_ABSOLUTE desktop = nullptr;
    SHGetFolderLocation(nullptr, CSIDL_DESKTOP, nullptr, 0, &desktop);
    const HTREEITEM root = InsertItem(TVI_ROOT, L"Desktop", desktop);
    // The desktop's own level is there from the start, as in the real dialog.
    standIn.expandedOnce.insert(root);
    InsertCrowd(root);
    FillChildren(root);
    SendMessageW(standIn.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        standIn.dialog = dialog;
        CreateTree(dialog);
        return TRUE;
    case WM_ACTIVATE:
        // Only a change from inactive to active counts: a second request
        // while active may bring a second WM_ACTIVATE.
        if (LOWORD(wParam) == WA_INACTIVE) {
            standIn.active = false;
        } else if (!standIn.active && standIn.stealForegroundMs > 0) {
            standIn.active = true;
            Report(L"ACTIVATED");
            SetTimer(dialog, kStealForegroundTimer, static_cast<UINT>(standIn.stealForegroundMs), nullptr);
        }
        return FALSE;
    case WM_TIMER:
        if (wParam == kStealForegroundTimer) {
            KillTimer(dialog, kStealForegroundTimer);
            SetForegroundWindow(standIn.decoy.get());
            Report(L"STOLEN");
        } else if (wParam == kLateChildrenTimer) {
            KillTimer(dialog, kLateChildrenTimer);
            for (HTREEITEM item : standIn.waitingForChildren)
                FillChildren(item);
            standIn.waitingForChildren.clear();
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            const auto selected = reinterpret_cast<HTREEITEM>(
                SendMessageW(standIn.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            if (LOWORD(wParam) == IDOK && selected != nullptr)
                Report(L"RESULT", PathOf(ListOf(selected)));
            else
                Report(L"CANCEL");
            DestroyWindow(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::wstring SelectedTreeChain(HWND tree) {
    std::wstring chain;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    // The root item is not part of the chain.
    while (item != nullptr) {
        const auto parent = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        if (parent == nullptr)
            break;
        const std::wstring text = TextOf(tree, item);
        chain = chain.empty() ? text : text + cvlib::kComponentSeparator + chain;
        item = parent;
    }
    return chain;
}

int RunFolderStandIn(const Options& options) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    test::RegisterWindowClass(kNameSpaceClass, NameSpaceProcedure);
    standIn.lateChildrenMs = options.GetInt(L"late-children", 0);
    standIn.lateUnder = options.Get(L"late-under");
    standIn.slowFolder = options.Get(L"slow-folder");
    standIn.slowMs = options.GetInt(L"slow-ms", 0);
    standIn.slowOnSelect = options.Has(L"slow-on-select");
    standIn.stealForegroundMs = options.GetInt(L"steal-foreground", 0);
    if (standIn.stealForegroundMs > 0)
        standIn.decoy = test::OwnedWindow(CreateWindowExW(0, L"STATIC", L"Another program",
                                                          WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                                          nullptr, GetModuleHandleW(nullptr), nullptr));
    standIn.extraItems = options.GetInt(L"extra-items", 0);
    standIn.longItemLength = options.GetInt(L"long-item", 0);

    DialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE, L"",
                          L"Browse for folder", 260, 220);
    dialog.AddItem(WS_CHILD | WS_VISIBLE, 6, 4, 240, 12, kTitleId, L"Static", L"Choose a folder");
    dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP, 6, 20, 240, 160, 0, kNameSpaceClass);
    dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 130, 196, 56, 14, IDOK, L"Button", L"OK");
    dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP, 190, 196, 56, 14, IDCANCEL, L"Button", L"Cancel");
    const HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), nullptr, DialogProcedure, 0);
    if (window == nullptr) {
        Report(L"ERROR", std::to_wstring(GetLastError()));
        return 1;
    }
    return ShowUntilClosed(window, options);
}

} // namespace corvane::host
