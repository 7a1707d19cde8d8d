#include <windows.h>

#include "filedialogs/control_text.h"
#include "filedialogs/strategies.h"
#include "core/target_path.h"

namespace corvane {
namespace {

// Sets the text until it reads back, at most 10 times, 100 ms apart.
void SetControlTextUntilShown(const TargetWindow& window, const std::wstring& text) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        SetControlText(window, text);
        Sleep(100);
        if (window.ReadControlText() == text)
            return;
    }
}

} // namespace

int FillStandardFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox,
                           unsigned int okCommandId) {
    if (!fileNameBox)
        return -1;
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    if (fileNamePart.empty())
        fileNamePart = fileNameBox.ReadControlText();

    SetControlText(fileNameBox, L"");
    SetControlText(fileNameBox, folderPart);
    SendMessageW(dialog.handle(), WM_COMMAND, static_cast<WPARAM>(okCommandId), 0);
    WaitForControlText(fileNameBox, folderPart);
    dialog.BringToForeground();
    SetControlTextUntilShown(fileNameBox, fileNamePart);
    return 0;
}

} // namespace corvane
