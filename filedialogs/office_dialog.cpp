#include <windows.h>

#include "core/file_name_box.h"
#include "core/target_path.h"
#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"
#include "input/input_guards.h"
#include "input/keystroke_batch.h"

namespace corvane {
namespace {

// With the modifiers the user holds released around it: Alt+Enter, say,
// would never reach the box as Enter.
void PressEnter() {
    KeystrokeBatch enter;
    enter.AddKeyPress(VK_RETURN);
    enter.Send();
}

// With the input attached: the focus is checked before anything replaces
// what the box holds, then the folder text goes in with Enter, then the file
// name. False when Enter could not be pressed in the box (the box is left as
// it was) or the name did not stay there.
bool EnterFolderThenName(const TargetWindow& dialog, const TargetWindow& fileNameBox,
                         const std::wstring& folderText, const std::wstring& finalText) {
    if (!SetForegroundWindow(dialog.handle()) || GetFocus() != fileNameBox.handle())
        return false;
    SetControlText(fileNameBox, L"");
    SetControlText(fileNameBox, folderText);
    WaitForControlText(fileNameBox, folderText);
    WaitForModifiersReleased();
    Sleep(50);
    PressEnter();
    Sleep(50);
    return PutTextUntilItStays(fileNameBox, finalText, NameCheck::ReadBackAndStays);
}

// Office dialogs expect to hear that their program is active again. Only a
// courtesy: a dialog that is slow to answer it still holds what was filled.
void AnnounceActivation(const TargetWindow& dialog) {
    SendMessageTimeoutW(dialog.handle(), WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, kTextMessageBoundMs, nullptr);
}

} // namespace

int FillOfficeFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox) {
    if (!fileNameBox)
        return -1;
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart) || !FitsMessageRoads(folderPart))
        return -1;
    if (!WaitUntilShown(fileNameBox))
        return -1;
    // A bare name goes into the box and nothing else: the dialog stays.
    if (folderPart.empty())
        return PutTextUntilItStays(fileNameBox, fileNamePart, NameCheck::ReadBack) ? 0 : -1;
    if (folderPart.back() != L'\\')
        folderPart += L'\\';

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
    AnnounceActivation(dialog);
    return filled ? 0 : -1;
}

} // namespace corvane
