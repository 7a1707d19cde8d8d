#include <windows.h>

#include "core/dialog_messages.h"
#include "core/file_name_box.h"
#include "core/folder_signals.h"
#include "core/target_path.h"
#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"

namespace corvane {
namespace {

void SendOkCommand(const TargetWindow& dialog, unsigned int okCommandId) {
    SendToDialog(dialog.handle(), WM_COMMAND, static_cast<WPARAM>(okCommandId), 0, kOkCommandBoundMs);
}

// A dialog whose signal cannot be read: the change has ended once the box is
// shown and no longer holds the folder text. One that still shows that text
// at the bound is taken for a dialog that keeps it (it had a folder selected
// in its file list and spent the command on that one) and is sent one more
// command. A change that takes longer than the bound can defeat this, which
// is why the readable signals come first.
void WaitOutFolderChange(const TargetWindow& dialog, const TargetWindow& box, const std::wstring& folderPart,
                         unsigned int okCommandId) {
    if (WaitForFolderChange(box, folderPart))
        return;
    // Still laid out anew (hidden): the change is under way, leave it be.
    if (!box.IsShown())
        return;
    SendOkCommand(dialog, okCommandId);
    WaitForFolderChange(box, folderPart, kRepeatedCommandWaitMs);
}

// The OK command with the folder in the box changes into it. False when the
// dialog did not reach the folder, as far as it tells.
bool ChangeIntoFolder(const TargetWindow& dialog, const TargetWindow& box, const std::wstring& folderPart,
                      unsigned int okCommandId, FolderSignal signal) {
    SendOkCommand(dialog, okCommandId);
    switch (signal) {
    case FolderSignal::BoxAfterCommand:
        // The change is over when the command returns. The folder text still
        // there means the dialog showed that folder already, or entered a
        // folder selected in its file list instead: the second command takes
        // it on to the typed one and costs nothing in the first case.
        if (box.ReadControlText() == folderPart)
            SendOkCommand(dialog, okCommandId);
        return true;
    case FolderSignal::Breadcrumb: {
        Breadcrumb breadcrumb(dialog.handle());
        return WaitForBreadcrumb(breadcrumb, box, folderPart);
    }
    case FolderSignal::TimedWait:
        WaitOutFolderChange(dialog, box, folderPart, okCommandId);
        return true;
    }
    return true;
}

} // namespace

bool PutTextUntilItStays(const TargetWindow& box, const std::wstring& text, NameCheck check) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        SetControlText(box, text);
        Sleep(100);
        if (HoldsText(box, text, check))
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
    NameCheck check = NameCheck::ReadBack;
    if (!folderPart.empty()) {
        const FolderStepPlan plan = PlanFolderStep(dialog.handle(), folderPart);
        if (!plan.alreadyThere) {
            SetControlText(fileNameBox, L"");
            SetControlText(fileNameBox, folderPart);
            if (!ChangeIntoFolder(dialog, fileNameBox, folderPart, okCommandId, plan.signal))
                return -1;
            if (plan.signal != FolderSignal::BoxAfterCommand)
                check = NameCheck::ReadBackAndStays;
        }
    }
    dialog.BringToForeground();
    return PutTextUntilItStays(fileNameBox, fileNamePart, check) ? 0 : -1;
}

} // namespace corvane
