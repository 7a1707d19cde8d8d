#include <windows.h>

#include "core/dialog_messages.h"
#include "core/file_name_box.h"
#include "core/target_path.h"
#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"

namespace corvane {
namespace {

void SendOkCommand(const TargetWindow& dialog, unsigned int okCommandId) {
    SendToDialog(dialog.handle(), WM_COMMAND, static_cast<WPARAM>(okCommandId), 0, kOkCommandBoundMs);
}

// The OK command with the folder in the box changes into it. The change may
// end after the command has returned, and the name must not go in before:
// the dialog empties the box when it ends. A dialog that had a folder
// selected in its file list spends the first command on entering that one
// and leaves the typed folder in the box; one more command takes it there.
void ChangeIntoFolder(const TargetWindow& dialog, const TargetWindow& box, const std::wstring& folderPart,
                      unsigned int okCommandId) {
    SendOkCommand(dialog, okCommandId);
    if (WaitForFolderChange(box, folderPart))
        return;
    // Still laid out anew (hidden): the change is under way, leave it be.
    if (!box.IsShown())
        return;
    SendOkCommand(dialog, okCommandId);
    WaitForFolderChange(box, folderPart, kRepeatedCommandWaitMs);
}

} // namespace

bool PutTextUntilItStays(const TargetWindow& box, const std::wstring& text) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        SetControlText(box, text);
        Sleep(100);
        if (KeepsText(box, text))
            return true;
    }
    return false;
}

int FillStandardFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox,
                           unsigned int okCommandId) {
    if (!fileNameBox)
        return -1;
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart) || !FitsMessageRoads(folderPart))
        return -1;
    if (!WaitUntilShown(fileNameBox))
        return -1;
    if (fileNamePart.empty())
        fileNamePart = fileNameBox.ReadControlText();

    // A bare name goes into the box and nothing else: the dialog stays.
    if (!folderPart.empty()) {
        SetControlText(fileNameBox, L"");
        SetControlText(fileNameBox, folderPart);
        ChangeIntoFolder(dialog, fileNameBox, folderPart, okCommandId);
    }
    dialog.BringToForeground();
    return PutTextUntilItStays(fileNameBox, fileNamePart) ? 0 : -1;
}

} // namespace corvane
