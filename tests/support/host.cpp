#include "support/host.h"

#include <gtest/gtest.h>

#include "support/text.h"
#include "support/windows.h"

namespace corvane::test {

HostDialog::HostDialog(const std::vector<std::wstring>& arguments, const std::wstring& arch)
    : process_(BinaryPath(L"testhost", arch), arguments) {
    const std::optional<std::wstring> ready = process_.WaitForLine(L"READY", 20000);
    if (!ready) {
        ADD_FAILURE() << "test host did not show its dialog";
        return;
    }
    dialog_ = ParseHandle(*ready);
    // The dialog reports itself before it is shown; wait until it is, unless
    // it was asked to stay hidden.
    bool hidden = false;
    for (const std::wstring& argument : arguments)
        hidden = hidden || argument == L"--hidden";
    if (!hidden)
        WaitUntil([this] { return IsWindowVisible(dialog_) != FALSE; }, 10000);
    // Let the dialog finish its start-up (first folder listing, focus).
    Sleep(200);
}

std::wstring HostDialog::LastFolder() const {
    const std::vector<std::wstring> folders = process_.LinesTagged(L"FOLDER");
    return folders.empty() ? std::wstring() : folders.back();
}

std::wstring HostDialog::LastSelected() const {
    const std::vector<std::wstring> selected = process_.LinesTagged(L"SELECTED");
    return selected.empty() ? std::wstring() : selected.back();
}

::testing::AssertionResult HostDialog::SelectionBecomes(const std::wstring& path, DWORD timeoutMs) const {
    if (WaitUntil([&] { return SamePath(LastSelected(), path); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "last selection: " << ToUtf8(LastSelected()) << ", expected "
                                         << ToUtf8(path);
}

std::optional<std::wstring> HostDialog::ConfirmAndReadResult(DWORD timeoutMs) {
    PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
    return process_.WaitForLine(L"RESULT", timeoutMs);
}

} // namespace corvane::test
