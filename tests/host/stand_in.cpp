// Stand-ins for dialogs that Wine does not have, built from dialog templates
// with the controls of one recognised layout. They react like the real ones:
// the OK command or Enter in the file-name box changes into a folder named
// there, otherwise it ends the dialog with the chosen file. The folder
// picker's OK command picks the folder in its box and closes.
//
// --late-navigation MS behaves like the item dialogs of Windows 10/11: the
// change of folder ends MS after the command, with the box hidden meanwhile
// (shown, with --shown-during-navigation, as a slow network folder may leave
// it) and emptied at the end. The item dialogs' breadcrumb names the folder
// once a change has ended ("Address: <path>"; with --breadcrumb-names only
// the folder's name, as it shows libraries and "This PC").
// --box-shown-after MS shows the box only MS after the dialog opened (-1:
// never), as the Save dialog does while it lays out. --auto-complete shows
// the shell's auto-complete list for typed text; Enter then only closes it.

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "dialog_template.h"
#include "host.h"
#include "support/layouts.h"
#include "support/windows.h"

namespace corvane::host {
namespace {

struct StandIn {
    const test::StandInLayout* layout = nullptr;
    const Options* options = nullptr;
    HWND dialog = nullptr;
    HWND box = nullptr;
    std::wstring folder;
    bool keepTextOnFolderChange = false;
    WNDPROC boxProcedure = nullptr;
    int closeAtTextMessage = 0; // the dialog closes after answering this one
    int textMessagesFromOutside = 0;
    int navigationDelayMs = 0;
    std::wstring pendingFolder; // of a late change of folder under way
    HWND surface = nullptr;     // the direct child of the dialog that holds the box
    HWND breadcrumb = nullptr;
    HWND autoCompleteList = nullptr;
};
StandIn standIn;

constexpr UINT_PTR kNavigationTimer = 0x4E41;
constexpr UINT_PTR kShowBoxTimer = 0x5348;

DWORD StyleFor(const std::wstring& className, int id) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    if (className == L"Edit" || className == L"RichEdit20W")
        return child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    if (className == L"ComboBoxEx32")
        return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    if (className == L"ComboBox")
        return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    if (className == L"ListBox")
        return child | WS_BORDER | LBS_NOTIFY;
    if (className == L"Button")
        return child | WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (className == L"SysTreeView32")
        return child | WS_BORDER | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return child;
}

short HeightFor(const std::wstring& className) {
    if (className == L"ComboBoxEx32" || className == L"ComboBox")
        return 80;
    if (className == L"SysTreeView32" || className == L"ListBox")
        return 60;
    return 14;
}

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Relative names resolve against the folder the dialog shows.
std::wstring Resolve(const std::wstring& text) {
    SetCurrentDirectoryW(standIn.folder.c_str());
    wchar_t full[MAX_PATH * 4] = L"";
    const DWORD length = GetFullPathNameW(text.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    std::wstring resolved = length > 0 && length < std::size(full) ? std::wstring(full, length) : text;
    // A folder is reported without its trailing backslash, except a drive root.
    if (resolved.size() > 3 && resolved.back() == L'\\')
        resolved.pop_back();
    return resolved;
}

void ShowFolderInBreadcrumb() {
    if (standIn.breadcrumb == nullptr)
        return;
    std::wstring shown = standIn.folder;
    if (standIn.options->Has(L"breadcrumb-names"))
        shown = shown.substr(shown.find_last_of(L'\\') + 1);
    SetWindowTextW(standIn.breadcrumb, (L"Address: " + shown).c_str());
}

bool ChangeFolder(const std::wstring& text) {
    if (text.empty())
        return false;
    const std::wstring resolved = Resolve(text);
    if (!IsDirectory(resolved))
        return false;
    standIn.folder = resolved;
    ShowFolderInBreadcrumb();
    Report(L"FOLDER", resolved);
    return true;
}

void Finish(const std::wstring& text) {
    std::wstring result = standIn.folder;
    if (!result.empty() && result.back() != L'\\')
        result += L'\\';
    Report(L"RESULT", result + text);
    DestroyWindow(standIn.dialog);
}

void CALLBACK EndLateNavigation(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    ChangeFolder(standIn.pendingFolder);
    SetWindowTextW(standIn.box, L"");
    ShowWindow(standIn.surface, SW_SHOWNA);
}

void CALLBACK ShowBox(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    ShowWindow(standIn.surface, SW_SHOWNA);
    Report(L"SHOWN");
}

// The change of folder goes on after the command has returned, with the box
// hidden, and empties the box when it ends.
bool BeginLateNavigation(const std::wstring& text) {
    if (text.empty() || !IsDirectory(Resolve(text)))
        return false;
    standIn.pendingFolder = text;
    if (!standIn.options->Has(L"shown-during-navigation"))
        ShowWindow(standIn.surface, SW_HIDE);
    SetTimer(standIn.dialog, kNavigationTimer, static_cast<UINT>(standIn.navigationDelayMs), EndLateNavigation);
    return true;
}

// The folder picker's OK command: the folder named in the box, or with the
// box empty the folder shown, is the result, and the dialog closes.
void PickFolder(const std::wstring& text) {
    const std::wstring folder = text.empty() ? standIn.folder : Resolve(text);
    if (!IsDirectory(folder))
        return;
    Report(L"RESULT", folder);
    DestroyWindow(standIn.dialog);
}

void LabelPickerBox(HWND dialog) {
    if (standIn.layout->picksFolder)
        SetDlgItemTextW(dialog, 1090, L"Folder:");
}

// OK command and Enter in the box: change folder, or take the text as the file.
void Accept(bool byEnter) {
    const std::wstring text = TextOf(standIn.box);
    if (byEnter)
        Report(L"ENTER", text);
    if (standIn.layout->picksFolder)
        return PickFolder(text);
    if (standIn.navigationDelayMs > 0 && BeginLateNavigation(text))
        return;
    if (ChangeFolder(text)) {
        if (!(byEnter && standIn.keepTextOnFolderChange))
            SetWindowTextW(standIn.box, L"");
        return;
    }
    if (!text.empty())
        Finish(text);
}

// Text messages that another program sends the box are counted; with
// --close-at-text-message N the dialog closes once it has answered the Nth.
LRESULT AnswerTextMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(standIn.boxProcedure, window, message, wParam, lParam);
    if (InSendMessage() && ++standIn.textMessagesFromOutside == standIn.closeAtTextMessage) {
        Report(L"CLOSED");
        DestroyWindow(standIn.dialog);
    }
    return result;
}

void ShowAutoCompleteList() {
    if (standIn.autoCompleteList == nullptr) {
        test::RegisterWindowClass(L"Auto-Suggest Dropdown");
        standIn.autoCompleteList =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"Auto-Suggest Dropdown", L"",
                            WS_POPUP | WS_BORDER, 10, 10, 200, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ShowWindow(standIn.autoCompleteList, SW_SHOWNOACTIVATE);
}

// Enter while the auto-complete list is shown closes the list, nothing else.
bool ClosedAutoCompleteList() {
    if (standIn.autoCompleteList == nullptr || !IsWindowVisible(standIn.autoCompleteList))
        return false;
    ShowWindow(standIn.autoCompleteList, SW_HIDE);
    Report(L"LISTCLOSED");
    return true;
}

LRESULT CALLBACK BoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return AnswerTextMessage(window, message, wParam, lParam);
    case WM_GETDLGCODE:
        if (wParam == VK_RETURN)
            return DLGC_WANTALLKEYS | CallWindowProcW(standIn.boxProcedure, window, message, wParam, lParam);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (!ClosedAutoCompleteList())
                Accept(true);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L'\n')
            return 0;
        if (wParam >= L' ' && standIn.options->Has(L"auto-complete"))
            ShowAutoCompleteList();
        break;
    case WM_SETFOCUS:
        if (standIn.options->Has(L"refuse-focus")) {
            // Handed on before SetFocus returns to whoever asked, so that a
            // focus check right after it already sees the Cancel button.
            const LRESULT result = CallWindowProcW(standIn.boxProcedure, window, message, wParam, lParam);
            SetFocus(GetDlgItem(standIn.dialog, IDCANCEL));
            return result;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(standIn.boxProcedure, window, message, wParam, lParam);
}

INT_PTR CALLBACK ContainerProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Nested controls live in a child dialog, as in hooked or customised dialogs.
void CreateNestedControls(HWND dialog) {
    DialogTemplate container(WS_CHILD | WS_VISIBLE | DS_CONTROL, L"", L"", 200, 30);
    bool any = false;
    for (const test::ControlSpec& control : standIn.layout->controls) {
        if (!control.nested)
            continue;
        container.AddItem(StyleFor(control.className, control.id), 4, 4, 180, HeightFor(control.className),
                          static_cast<WORD>(control.id), control.className);
        any = true;
    }
    if (any)
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), container.get(), dialog, ContainerProcedure, 0);
}

HWND FindBox(HWND dialog) {
    if (standIn.layout->itemTree == test::ItemTree::Save)
        return test::FindDescendant(dialog, 1001, L"Edit");
    for (const test::ControlSpec& control : standIn.layout->controls) {
        if (!control.fileNameBox)
            continue;
        if (!control.nested)
            return GetDlgItem(dialog, control.id);
        const HWND container = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
        return container ? GetDlgItem(container, control.id) : nullptr;
    }
    return nullptr;
}

HWND DirectChildHolding(HWND dialog, HWND window) {
    while (window != nullptr && GetParent(window) != dialog)
        window = GetParent(window);
    return window;
}

void PrepareBox(HWND dialog) {
    standIn.box = FindBox(dialog);
    if (standIn.box == nullptr)
        return;
    standIn.surface = DirectChildHolding(dialog, standIn.box);
    SetWindowTextW(standIn.box, standIn.options->Get(L"name").c_str());
    standIn.boxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(standIn.box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProcedure)));
}

void PlaceInitialFocus(HWND dialog) {
    HWND target = standIn.box;
    // A box that refuses the focus never had it.
    if (standIn.options->Has(L"refuse-focus"))
        target = GetDlgItem(dialog, IDCANCEL);
    if (standIn.options->Has(L"focus"))
        target = GetDlgItem(dialog, standIn.options->GetInt(L"focus", 0));
    if (target == nullptr)
        return;
    SetFocus(target);
    // Real dialogs open with the name selected, so typing replaces it.
    SendMessageW(target, EM_SETSEL, 0, -1);
}

void HideBoxForAWhile(HWND dialog) {
    if (!standIn.options->Has(L"box-shown-after") || standIn.surface == nullptr)
        return;
    ShowWindow(standIn.surface, SW_HIDE);
    const int delayMs = standIn.options->GetInt(L"box-shown-after", -1);
    if (delayMs >= 0)
        SetTimer(dialog, kShowBoxTimer, static_cast<UINT>(delayMs), ShowBox);
}

INT_PTR CALLBACK StandInProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        standIn.dialog = dialog;
        CreateNestedControls(dialog);
        test::BuildItemTree(dialog, standIn.layout->itemTree, standIn.folder);
        if (standIn.layout->itemTree != test::ItemTree::None)
            standIn.breadcrumb = test::FindDescendant(dialog, 1001, TOOLBARCLASSNAMEW);
        ShowFolderInBreadcrumb();
        PrepareBox(dialog);
        LabelPickerBox(dialog);
        PlaceInitialFocus(dialog);
        HideBoxForAWhile(dialog);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0) {
            if (standIn.box != nullptr) {
                Report(L"OK", TextOf(standIn.box));
                Accept(false);
            }
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0) {
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

HWND CreateStandIn(const test::StandInLayout& layout, const Options& options) {
    const std::wstring topClass = options.Get(L"class", layout.topLevelClass);
    if (topClass != L"#32770")
        test::RegisterDialogClass(topClass);
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    if (!options.Has(L"hidden"))
        style |= WS_VISIBLE;
    DialogTemplate dialog(style, topClass == L"#32770" ? L"" : topClass, L"Stand-in " + layout.name, 300, 200);
    short y = 4;
    for (const test::ControlSpec& control : layout.controls) {
        if (control.nested)
            continue;
        DWORD controlStyle = StyleFor(control.className, control.id);
        if (control.hidden)
            controlStyle &= ~WS_VISIBLE;
        const short height = HeightFor(control.className);
        dialog.AddItem(controlStyle, 4, y, 200, height, static_cast<WORD>(control.id), control.className,
                       control.className == L"Button" ? (control.id == IDOK ? L"OK" : L"Button") : L"");
        y = static_cast<short>(y + (height > 20 ? 20 : height + 2));
    }
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), nullptr, StandInProcedure, 0);
}

} // namespace

int RunStandIn(const Options& options) {
    if (options.positional().empty())
        return 2;
    const test::StandInLayout* layout = test::FindLayout(options.positional()[0]);
    if (layout == nullptr)
        return 2;
    test::RegisterStandInClasses();
    standIn.layout = layout;
    standIn.options = &options;
    standIn.keepTextOnFolderChange = options.Has(L"keep-text");
    standIn.closeAtTextMessage = options.GetInt(L"close-at-text-message", 0);
    standIn.navigationDelayMs = options.GetInt(L"late-navigation", 0);
    wchar_t current[MAX_PATH * 4] = L"";
    GetCurrentDirectoryW(static_cast<DWORD>(std::size(current)), current);
    standIn.folder = options.Get(L"dir", current);

    const HWND dialog = CreateStandIn(*layout, options);
    if (dialog == nullptr) {
        Report(L"ERROR", std::to_wstring(GetLastError()));
        return 1;
    }
    return ShowUntilClosed(dialog, options);
}

} // namespace corvane::host
