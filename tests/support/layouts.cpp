#include "support/layouts.h"

#include <commctrl.h>

#include <map>

#include "support/windows.h"

namespace corvane::test {
namespace {

std::vector<StandInLayout> BuildLayouts() {
    const auto box = [](int id, const wchar_t* cls, bool nested = false) {
        return ControlSpec{id, cls, nested, true};
    };
    const auto ctl = [](int id, const wchar_t* cls, bool nested = false) {
        return ControlSpec{id, cls, nested, false};
    };
    const auto office = [&](const wchar_t* name, const wchar_t* top, const wchar_t* editClass,
                            std::vector<int> ids, std::vector<const wchar_t*> extras) {
        StandInLayout layout{name, top, {}};
        layout.controls.push_back(box(ids[0], editClass));
        layout.controls.push_back(ctl(ids[1], editClass));
        layout.controls.push_back(ctl(ids[2], editClass));
        layout.controls.push_back(ctl(0, L"Snake List"));
        for (const wchar_t* extra : extras)
            layout.controls.push_back(ctl(0, extra));
        return layout;
    };
    return {
        {L"F1", L"#32770",
         {box(1148, L"ComboBoxEx32"), ctl(1, L"Button"), ctl(2, L"Button"), ctl(1120, L"ListBox"),
          ctl(1137, L"ComboBox"), ctl(1136, L"ComboBox")}},
        {L"F2", L"#32770",
         {box(1152, L"Edit"), ctl(1, L"Button"), ctl(2, L"Button"), ctl(1137, L"ComboBox")}},
        {L"F3", L"#32770",
         {box(1148, L"ComboBoxEx32"), ctl(1, L"Button"), ctl(2, L"Button"), ctl(1120, L"ListBox"),
          ctl(1136, L"ComboBox")}},
        {L"F4", L"#32770",
         {box(1001, L"Edit", true), ctl(1, L"Button"), ctl(2, L"Button"), ctl(1120, L"ListBox"),
          ctl(1038, L"Button")}},
        {L"F5", L"#32770",
         {ctl(14146, L"Static"), ctl(0, L"SHBrowseForFolder ShellNameSpace Control"), ctl(1, L"Button"),
          ctl(2, L"Button")}},
        {L"F6", L"#32770",
         {ctl(14146, L"Static"), ctl(14147, L"Static"), ctl(14145, L"SysTreeView32"), ctl(1, L"Button"),
          ctl(2, L"Button")}},
        // Signatures whose count is made up by doubled controls while the
        // file-name box itself is missing.
        {L"F1-nobox", L"#32770",
         {ctl(1, L"Button"), ctl(2, L"Button"), ctl(1120, L"ListBox"), ctl(1120, L"ListBox"),
          ctl(1137, L"ComboBox")}},
        {L"F4-nobox", L"#32770",
         {ctl(1, L"Button"), ctl(2, L"Button"), ctl(1120, L"ListBox"), ctl(1038, L"Button"),
          ctl(1038, L"Button")}},
        // F2 without its ComboBox 1137: no signature matches.
        {L"F2-nocombo", L"#32770", {box(1152, L"Edit"), ctl(1, L"Button"), ctl(2, L"Button"), ctl(1090, L"Static")}},
        // Windows 10/11: the Open dialog has the F3 shape; the Save dialog
        // keeps its box in the item tree and has the F4 shape.
        {L"ItemOpen", L"#32770",
         {box(1148, L"ComboBoxEx32"), ctl(1136, L"ComboBox"), ctl(1, L"Button"), ctl(2, L"Button"),
          ControlSpec{1120, L"ListBox", false, false, true}, ctl(1090, L"Static")},
         ItemTree::Open},
        {L"ItemSave", L"#32770",
         {ctl(1, L"Button"), ctl(2, L"Button"), ControlSpec{1120, L"ListBox", false, false, true},
          ControlSpec{1038, L"Button", false, false, true}},
         ItemTree::Save},
        // The folder picker of Windows 10/11: the Open dialog's item tree, and a
        // "Folder:" box, Edit 1152, whose folder the OK command picks.
        {L"FolderPicker", L"#32770",
         {box(1152, L"Edit"), ctl(1090, L"Static"), ctl(1, L"Button"), ctl(2, L"Button")},
         ItemTree::Open,
         true},
        office(L"O1", L"bosa_sdm_Microsoft Word 10.0", L"RichEdit20W", {54, 51, 59},
               {L"MsoCommandBar", L"MsoCommandBar"}),
        office(L"O2", L"bosa_sdm_XL8", L"RichEdit20W", {39, 36, 44}, {L"FO Toolbar Window"}),
        office(L"O3", L"bosa_sdm_Mso96", L"Edit", {51, 48, 56}, {L"MsoCommandBar", L"MsoCommandBar"}),
        office(L"O4", L"bosa_sdm_Microsoft Word 9.0", L"RichEdit20W", {48, 45, 53},
               {L"MsoCommandBar", L"MsoCommandBar"}),
    };
}

const std::vector<StandInLayout>& Layouts() {
    static const std::vector<StandInLayout> layouts = BuildLayouts();
    return layouts;
}

} // namespace

const StandInLayout* FindLayout(const std::wstring& name) {
    for (const StandInLayout& layout : Layouts())
        if (layout.name == name)
            return &layout;
    return nullptr;
}

std::vector<std::wstring> LayoutNames() {
    std::vector<std::wstring> names;
    for (const StandInLayout& layout : Layouts())
        names.push_back(layout.name);
    return names;
}

namespace {

// View and navigation pane, under the DirectUI surface.
HWND AddViewPanes(HWND dialog) {
    const HWND view = CreateChild(dialog, L"DUIViewWndClassName", 0);
    const HWND surface = CreateChild(view, L"DirectUIHWND", 0);
    const HWND treeSink = CreateChild(surface, L"CtrlNotifySink", 0);
    const HWND pane = CreateChild(treeSink, L"NamespaceTreeControl", 0);
    CreateChild(pane, WC_TREEVIEWW, 100);
    const HWND viewSink = CreateChild(surface, L"CtrlNotifySink", 0);
    const HWND defView = CreateChild(viewSink, L"SHELLDLL_DefView", 0);
    CreateChild(defView, L"DirectUIHWND", 0);
    return surface;
}

// Breadcrumb (a toolbar with id 1001) and the typed address (ComboBoxEx32
// 41477, whose edit takes its id).
void AddAddressBar(HWND dialog, const std::wstring& folder) {
    const HWND worker = CreateChild(dialog, L"WorkerW", 0);
    const HWND rebar = CreateChild(worker, REBARCLASSNAMEW, 0);
    const HWND band = CreateChild(rebar, L"Address Band Root", 40965);
    const HWND crumbs = CreateChild(band, L"Breadcrumb Parent", 0);
    CreateChild(crumbs, TOOLBARCLASSNAMEW, 1001, L"Address: " + folder);
    CreateChild(band, WC_COMBOBOXEXW, 41477, L"", CBS_DROPDOWN);
}

} // namespace

void BuildItemTree(HWND dialog, ItemTree tree, const std::wstring& folder) {
    if (tree == ItemTree::None)
        return;
    const HWND surface = AddViewPanes(dialog);
    if (tree == ItemTree::Save) {
        const HWND nameHost = CreateChild(surface, L"FloatNotifySink", 0);
        CreateChild(nameHost, WC_COMBOBOXW, 0, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP);
        const HWND typeHost = CreateChild(surface, L"FloatNotifySink", 0);
        CreateChild(typeHost, WC_COMBOBOXW, 0, L"", CBS_DROPDOWNLIST);
    }
    AddAddressBar(dialog, folder);
}

void RegisterWindowClass(const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
}

void RegisterDialogClass(const std::wstring& className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);
}

void RegisterStandInClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"riched20.dll");
    for (const wchar_t* name : {L"Snake List", L"MsoCommandBar", L"FO Toolbar Window",
                                L"SHBrowseForFolder ShellNameSpace Control"})
        RegisterWindowClass(name);
}

} // namespace corvane::test
