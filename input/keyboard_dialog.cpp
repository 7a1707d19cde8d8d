#include <windows.h>

#include "core/target_window.h"
#include "core/target_path.h"
#include "input/input_guards.h"
#include "input/keystroke_batch.h"

namespace corvane {
namespace {

void AddBackspaces(KeystrokeBatch& batch, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        batch.AddKeyPress(VK_BACK);
}

// Empties the box, types the folder and Enter so the dialog changes into it,
// erases the folder again, types the file name and selects it.
void TypeIntoFileNameBox(const std::wstring& boxText, const std::wstring& folderPart,
                         const std::wstring& fileNamePart) {
    KeystrokeBatch batch;
    AddBackspaces(batch, boxText.size());
    batch.AddText(folderPart);
    batch.AddKeyPress(VK_RETURN);
    AddBackspaces(batch, folderPart.size());
    batch.AddText(fileNamePart);
    batch.AddHomeChord();
    batch.Send();
}

} // namespace

int TargetWindow::FillKeyboardFileDialog(const std::wstring& path, const TargetWindow& fileNameBox) const {
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    const std::wstring boxText = fileNameBox.ReadControlText();
    if (fileNamePart.empty())
        fileNamePart = boxText;

    const DWORD controllerThread = GetCurrentThreadId();
    const DWORD dialogThread = GetWindowThreadProcessId(window_, nullptr);
    ThreadInputAttachment attachment(controllerThread, dialogThread);
    if (!attachment.attached())
        return -1;
    BringToForeground();
    SetFocus(fileNameBox.handle());
    if (!SetForegroundWindow(window_) || GetFocus() != fileNameBox.handle())
        return 0;
    // The Backspaces must empty the box wherever its caret stands: a box that
    // got the focus with the caret before its old text would otherwise keep
    // that text behind the typed folder, and Enter would submit the mix as
    // the chosen file.
    SendMessageW(fileNameBox.handle(), EM_SETSEL, 0, -1);
    TypeIntoFileNameBox(boxText, folderPart, fileNamePart);
    return 0;
}

} // namespace corvane
