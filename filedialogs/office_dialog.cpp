#include <windows.h>

#include "core/file_name_box.h"
#include "core/target_path.h"
#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"
#include "input/input_guards.h"

namespace corvane {
namespace {

void PressEnter() {
    keybd_event(VK_RETURN, 0, 0, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
}

// With the input attached: the folder text in the box, Enter when the box has
// the focus, then the file name. False when Enter could not be pressed in the
// box or the name did not stay there.
bool EnterFolderThenName(const TargetWindow& dialog, const TargetWindow& fileNameBox,
                         const std::wstring& folderText, const std::wstring& finalText) {
    SetControlText(fileNameBox, L"");
    SetControlText(fileNameBox, folderText);
    WaitForControlText(fileNameBox, folderText);
    if (!SetForegroundWindow(dialog.handle()) || GetFocus() != fileNameBox.handle())
        return false;
    Sleep(50);
    PressEnter();
    Sleep(50);
    return PutTextUntilItStays(fileNameBox, finalText);
}

} // namespace

int FillOfficeFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox) {
    if (!fileNameBox)
        return -1;
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    if (!folderPart.empty() && folderPart.back() != L'\\')
        folderPart += L'\\';
    if (!WaitUntilShown(fileNameBox))
        return -1;

    const DWORD dialogThread = GetWindowThreadProcessId(dialog.handle(), nullptr);
    bool filled = false;
    {
        ThreadInputAttachment attachment(GetCurrentThreadId(), dialogThread);
        if (!attachment.attached())
            return -1;
        const std::wstring previousText = fileNameBox.ReadControlText();
        filled = EnterFolderThenName(dialog, fileNameBox, folderPart,
                                     fileNamePart.empty() ? previousText : fileNamePart);
    }
    SendToDialog(dialog.handle(), WM_ACTIVATEAPP, TRUE, 0);
    return filled ? 0 : -1;
}

} // namespace corvane
