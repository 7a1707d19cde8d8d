#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::test {

// One control of a stand-in dialog. Nested controls sit inside a child
// container window instead of directly in the dialog.
struct ControlSpec {
    int id;
    std::wstring className;
    bool nested = false;
    bool fileNameBox = false;
    bool hidden = false;
};

// The window tree that the system's item dialogs (Vista to 11) keep below
// their direct children: view, navigation pane, address bar and, in the Save
// dialog, the file-name box five levels down.
enum class ItemTree { None, Open, Save };

// A dialog that carries exactly the controls of one recognised layout, plus
// harmless extras a real dialog has.
struct StandInLayout {
    std::wstring name;
    std::wstring topLevelClass;
    std::vector<ControlSpec> controls;
    ItemTree itemTree = ItemTree::None;
    // The OK command picks the folder named in the box and closes the dialog,
    // as the folder picker of Windows 10/11 does, instead of changing into it.
    bool picksFolder = false;
};

// Layouts by name: "F1" .. "F6", "O1" .. "O4" (Office ones in their first
// listed class), and "ItemOpen", "ItemSave", "FolderPicker": the item dialogs
// of Windows 10/11 with their direct children and their item tree.
const StandInLayout* FindLayout(const std::wstring& name);
std::vector<std::wstring> LayoutNames();

// Registers the window classes that the layouts use but no system library
// provides ("Snake List", "MsoCommandBar", "FO Toolbar Window", the namespace
// control) and loads the common controls and
// the rich edit library. Safe to call more than once.
void RegisterStandInClasses();
// Registers a window class of this program with the given procedure.
void RegisterWindowClass(const wchar_t* className, WNDPROC procedure = DefWindowProcW);
// Registers a top-level dialog class of the given name (DefDlgProcW based).
void RegisterDialogClass(const std::wstring& className);

// Builds the item tree below the dialog, with real controls where the system
// has them (combo boxes, toolbar, tree view) and plain windows of the
// system's class names elsewhere. The Save dialog's file-name box is the
// Edit 1001 that its ComboBox makes; the breadcrumb toolbar has id 1001 too.
void BuildItemTree(HWND dialog, ItemTree tree, const std::wstring& folder = L"");

} // namespace corvane::test
