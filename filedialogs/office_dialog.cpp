#include <windows.h>

#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"
#include "core/target_path.h"
#include "input/input_guards.h"

namespace corvane {
namespace {

void PressEnter() {
    keybd_event(VK_RETURN, 0, 0, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
}

// With the input attached: the folder text in the box, Enter when the box has
// the focus, then the file name.
void EnterFolderThenName(const TargetWindow& dialog, const TargetWindow& fileNameBox,
                         const std::wstring& folderText, const std::wstring& finalText) {
    SetControlText(fileNameBox, L"");
    SetControlText(fileNameBox, folderText);
    WaitForControlText(fileNameBox, folderText);
    if (!SetForegroundWindow(dialog.handle()) || GetFocus() != fileNameBox.handle())
        return;
    Sleep(50);
    PressEnter();
    Sleep(50);
    SetControlText(fileNameBox, finalText);
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

    const DWORD dialogThread = GetWindowThreadProcessId(dialog.handle(), nullptr);
    {
        ThreadInputAttachment attachment(GetCurrentThreadId(), dialogThread);
        if (!attachment.attached())
            return -1;
        const std::wstring previousText = fileNameBox.ReadControlText();
        EnterFolderThenName(dialog, fileNameBox, folderPart,
                            fileNamePart.empty() ? previousText : fileNamePart);
    }
    SendMessageW(dialog.handle(), WM_ACTIVATEAPP, TRUE, 0);
    return 0;
}

} // namespace corvane
