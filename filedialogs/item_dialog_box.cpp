// The item dialogs' road: the whole target goes into the name box and the run
// ends there. The folder picker cannot be told from an open dialog by its
// windows, and its OK command with a folder in the box picks that folder and
// closes the dialog; so nothing here sends a command, Enter or any other key.
// The user confirms: the picker then picks the folder, the open or save
// dialog opens or saves the path.

#include <windows.h>

#include "core/target_path.h"
#include "filedialogs/strategies.h"

namespace corvane {

int FillItemDialogBox(TargetWindow dialog, const std::wstring& path, TargetWindow nameBox) {
    if (!nameBox)
        return -1;
    // Confirmed, a path into a missing folder would be taken as a new file.
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    dialog.BringToForeground();
    return PutTextUntilItStays(nameBox, path, NameCheck::ReadBack) ? 0 : -1;
}

} // namespace corvane
