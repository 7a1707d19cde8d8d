// The item dialogs' road: the whole target goes into the name box and the run
// ends there. The folder picker cannot be told from an open dialog by its
// windows, and its OK command with a folder in the box picks that folder and
// closes the dialog; so nothing here sends a command, Enter or any other key.
// The user confirms: the picker then picks the folder, the open or save
// dialog opens or saves the path.

#include <windows.h>

#include "core/target_path.h"
#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"

namespace corvane {
namespace {

// At most 10 attempts, 100 ms apart; true once the box is shown holding the
// text.
bool PutTextUntilItReadsBack(const TargetWindow& box, const std::wstring& text) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        SetControlText(box, text);
        Sleep(100);
        if (box.IsShown() && box.ReadControlText() == text)
            return true;
    }
    return false;
}

} // namespace

int FillItemDialogBox(TargetWindow dialog, const std::wstring& path, TargetWindow nameBox) {
    if (!nameBox)
        return -1;
    // Confirmed, a path into a missing folder would be taken as a new file.
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    dialog.BringToForeground();
    return PutTextUntilItReadsBack(nameBox, path) ? 0 : -1;
}

} // namespace corvane
