#include "core/file_name_box.h"

#include "core/poll.h"

namespace corvane {
namespace {

bool ShowsText(const TargetWindow& box, const std::wstring& text) {
    return box.IsShown() && box.ReadControlText() == text;
}

} // namespace

bool WaitUntilShown(const TargetWindow& box, DWORD boundMs) {
    return PollUntil([&] { return box.IsShown(); }, boundMs);
}

bool WaitForFolderChange(const TargetWindow& box, const std::wstring& folderText, DWORD boundMs) {
    // The dialog may be busy with the folder change itself: its answers to
    // the reads may take as long as the command that started it.
    return PollUntil([&] { return box.IsShown() && box.ReadControlText(kOkCommandBoundMs) != folderText; },
                     boundMs);
}

bool HoldsText(const TargetWindow& box, const std::wstring& text, NameCheck check) {
    if (!ShowsText(box, text))
        return false;
    if (check == NameCheck::ReadBack)
        return true;
    Sleep(kNameSettleMs);
    return ShowsText(box, text);
}

} // namespace corvane
