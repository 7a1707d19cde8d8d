#include "inspect/window_tree.h"

#include <string>
#include <vector>

#include "inspect/dialog_facts.h"
#include "inspect/recognition_report.h"

namespace corvane::inspect {
namespace {

constexpr std::size_t kMostDialogs = 3;
constexpr std::size_t kLongestShownText = 40;
// A tree this large is no dialog worth reading; the report stays readable.
constexpr std::size_t kMostControls = 2000;

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool IsDialogClass(const std::wstring& className) {
    return className == L"#32770" || className.rfind(L"bosa_sdm_", 0) == 0;
}

bool ClassIs(const std::wstring& className, const wchar_t* name) {
    return CompareStringOrdinal(className.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

// Labels and buttons only. InternalGetWindowText reads the text the system
// keeps for the window and sends the window's thread nothing, so a hung
// dialog cannot hold the report.
std::wstring ShownText(HWND window, const std::wstring& className) {
    if (!ClassIs(className, L"Static") && !ClassIs(className, L"Button"))
        return {};
    wchar_t text[kLongestShownText + 2];
    const int length = InternalGetWindowText(window, text, static_cast<int>(std::size(text)));
    if (length <= 0)
        return {};
    std::wstring shown(text, static_cast<std::size_t>(length));
    if (shown.size() <= kLongestShownText)
        return L" text \"" + shown + L"\"";
    shown.resize(IS_HIGH_SURROGATE(shown[kLongestShownText - 1]) ? kLongestShownText - 1 : kLongestShownText);
    return L" text \"" + shown + L"\" (cut)";
}

std::wstring ControlLine(HWND window, int depth) {
    const std::wstring className = ClassOf(window);
    const bool visible = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    return std::wstring(static_cast<std::size_t>(depth) * 2 + 2, L' ') + DecimalText(depth) + L" \"" +
           className + L"\" id " + DecimalText(GetDlgCtrlID(window)) + (visible ? L" visible" : L" hidden") +
           ShownText(window, className);
}

// Parents before their children, siblings from the top of their z-order.
void ReportChildren(HWND parent, int depth, std::size_t& listed, ReportOutput& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (listed == kMostControls)
            return;
        ++listed;
        out.Line(ControlLine(child, depth));
        ReportChildren(child, depth + 1, listed, out);
    }
}

BOOL CALLBACK CollectDialogWindow(HWND window, LPARAM parameter) {
    auto& found = *reinterpret_cast<std::vector<HWND>*>(parameter);
    if (IsWindowVisible(window) && IsDialogClass(ClassOf(window)))
        found.push_back(window);
    return found.size() < kMostDialogs;
}

} // namespace

void ReportUnrecognisedDialogs(ReportOutput& out) {
    std::vector<HWND> dialogs;
    EnumWindows(CollectDialogWindow, reinterpret_cast<LPARAM>(&dialogs));
    out.Line(L"Unrecognised dialogs (the topmost visible \"#32770\" and \"bosa_sdm_\" windows)");
    if (dialogs.empty())
        out.Line(L"  none");
    for (const HWND dialog : dialogs) {
        out.Line(L"  window " + HandleText(dialog) + L", class \"" + ClassOf(dialog) + L"\", program " +
                 ProgramFileName(dialog));
        std::size_t listed = 0;
        ReportChildren(dialog, 1, listed, out);
        if (listed == kMostControls)
            out.Line(L"    (more controls not listed)");
    }
}

} // namespace corvane::inspect
