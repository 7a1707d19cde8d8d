#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/process.h"

namespace corvane::test {

// A running test host that shows one dialog.
class HostDialog {
public:
    // Starts "testhost.<arch>.exe <arguments>" and waits until its dialog is up.
    explicit HostDialog(const std::vector<std::wstring>& arguments, const std::wstring& arch = ThisArch());

    HWND dialog() const noexcept { return dialog_; }
    ChildProcess& process() noexcept { return process_; }

    // The first line tagged so, waiting up to timeoutMs.
    std::optional<std::wstring> WaitFor(const std::wstring& tag, DWORD timeoutMs = 10000) {
        return process_.WaitForLine(tag, timeoutMs);
    }
    std::vector<std::wstring> Lines(const std::wstring& tag) const { return process_.LinesTagged(tag); }
    // The last FOLDER line so far, or empty.
    std::wstring LastFolder() const;
    // The last SELECTED line so far (a folder dialog's selection), or empty.
    std::wstring LastSelected() const;
    // Waits until the folder dialog reports path as its selection (compared
    // as Windows compares paths), which arrives a moment after the program
    // ends; a failure names the last one.
    ::testing::AssertionResult SelectionBecomes(const std::wstring& path, DWORD timeoutMs = 10000) const;

    // Presses OK the way a user would and returns what the dialog ended with.
    std::optional<std::wstring> ConfirmAndReadResult(DWORD timeoutMs = 10000);
    bool StillOpen() const { return IsWindow(dialog_) != FALSE; }
    // True when the dialog's thread still answers a sent message within 5 s.
    bool Answers() const {
        return SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0;
    }

private:
    ChildProcess process_;
    HWND dialog_ = nullptr;
};

} // namespace corvane::test
