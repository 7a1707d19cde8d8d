#include "program/entry.h"

#include <windows.h>

#include <string>

#include "core/process_integrity.h"
#include "core/recognition.h"
#include "core/run_turn.h"
#include "core/target_path.h"
#include "core/target_window.h"
#include "filedialogs/strategies.h"
#include "folderdialogs/folder_driver.h"

namespace corvane {
namespace {

int Dispatch(const DialogSignature& signature, const std::wstring& path) {
    const std::int32_t type = signature.type;
    if (type < 0)
        return -1;
    if (type == OldFolderBrowser || type == NewFolderBrowser) {
        return DriveFolderDialog(matchedDialog, path, static_cast<DialogType>(type));
    }
    if (type == StandardFileDialog) {
        const auto okCommandId = static_cast<unsigned int>(signature.criteria[1].controlId);
        return FillStandardFileDialog(matchedDialog, path, signature.firstMatch, okCommandId);
    }
    if (type == KeyboardFileDialog) {
        if (signature.firstMatch == nullptr)
            return -1;
        const TargetWindow dialog(matchedDialog);
        const TargetWindow fileNameBox(signature.firstMatch);
        return dialog.FillKeyboardFileDialog(path, fileNameBox);
    }
    if (type == OfficeFileDialog) {
        return FillOfficeFileDialog(matchedDialog, path, signature.firstMatch);
    }
    if (type == FolderPickerOrItemDialog) {
        return FillItemDialogBox(matchedDialog, path, signature.firstMatch);
    }
    return -1;
}

} // namespace

int RunCommandLine(const wchar_t* commandLine) {
    std::wstring argument;
    if (!SplitSingleArgument(commandLine, argument))
        return -1;
    // Made absolute once, here, so that every check and every road (the
    // hand-over to the x86 build included) sees the folder this run means.
    const std::optional<std::wstring> path = AbsoluteTargetPath(argument);
    if (!path)
        return -1;
    const RunTurn turn;
    if (!turn.held())
        return -1;
    if (!FindTargetDialog())
        return -1;
    // Nothing may reach a dialog that would drop it unseen.
    if (!MayDriveDialog(matchedDialog))
        return -1;
    return Dispatch(*matchedSignature, *path);
}

} // namespace corvane
