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

// A dialog that carries exactly the controls of one recognised layout, plus
// harmless extras a real dialog has.
struct StandInLayout {
    std::wstring name;
    std::wstring topLevelClass;
    std::vector<ControlSpec> controls;
};

// Layouts by name: "F1" .. "F6" and "O1" .. "O4" (Office ones in their first
// listed class; see OfficeClassFor for the others).
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

} // namespace corvane::test
