// Targets and dialogs that a run must survive: no crash, no hang, an exit
// status of 0 or -1, and system settings put back.

#include <gtest/gtest.h>

#include "filedialogs/e2e_support.h"
#include "filedialogs/strategies.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

constexpr DWORD kRunBoundMs = 10000;

bool IsExitStatus(int code) {
    return code == 0 || code == -1;
}

class BadInputRun : public test::ArchitectureTest {};

TEST_P(BadInputRun, LongestPathsEndWithoutTakingAFile) {
    test::TempFolder root;
    auto host = std::make_unique<HostDialog>(
        std::vector<std::wstring>{L"open", L"--dir", root.path(), L"--name", L"keep.txt"}, arch());
    const HWND box = GetDlgItem(host->dialog(), 1148);

    // As long as a command line can carry it.
    const std::wstring program = test::QuoteArgument(test::BinaryPath(L"Corvane", arch()));
    const std::size_t room = 32767 - program.size() - 1 - 2 - 1;
    std::wstring inExisting = root.path() + L"\\";
    inExisting.append(room - inExisting.size(), L'n');
    EXPECT_EQ(test::RunCorvaneRaw(L"\"" + inExisting + L"\"", arch(), kRunBoundMs), 0);
    std::wstring inMissing = root.path() + L"\\missing\\";
    inMissing.append(room - inMissing.size(), L'm');
    EXPECT_EQ(test::RunCorvaneRaw(L"\"" + inMissing + L"\"", arch(), kRunBoundMs), -1);

    // The full 32,767 characters, handed to the strategy directly.
    std::wstring longest = root.path() + L"\\";
    longest.append(32767 - longest.size(), L'x');
    EXPECT_EQ(FillStandardFileDialog(host->dialog(), longest, box, IDOK), 0);
    std::wstring longestMissing = root.path() + L"\\gone\\";
    longestMissing.append(32767 - longestMissing.size(), L'y');
    EXPECT_EQ(FillStandardFileDialog(host->dialog(), longestMissing, box, IDOK), -1);

    test::PumpMessages(200);
    EXPECT_TRUE(host->StillOpen());
    EXPECT_TRUE(host->Lines(L"RESULT").empty());
    EXPECT_EQ(host->LastFolder(), root.path());
}

TEST_P(BadInputRun, OnlyBackslashesNeverChooseAFile) {
    test::TempFolder root;
    for (const std::vector<std::wstring>& dialog :
         {std::vector<std::wstring>{L"open", L"--dir", root.path(), L"--name", L"keep.txt"},
          std::vector<std::wstring>{L"standin", L"O3", L"--dir", root.path(), L"--name", L"keep.doc"}}) {
        SCOPED_TRACE(test::ToUtf8(dialog[0]));
        HostDialog host(dialog, arch());
        for (const wchar_t* backslashes : {L"\\", L"\\\\", L"\\\\\\\\\\"}) {
            const int code = test::RunCorvaneRaw(backslashes, arch(), kRunBoundMs);
            EXPECT_TRUE(IsExitStatus(code)) << code << " for " << test::ToUtf8(backslashes);
        }
        test::PumpMessages(200);
        EXPECT_TRUE(host.StillOpen());
        EXPECT_TRUE(host.Lines(L"RESULT").empty());
    }
}

TEST_P(BadInputRun, DialogClosingDuringTheRun) {
    const test::NonzeroSystemLockTimeout lockTimeout;
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    for (const wchar_t* kind : {L"open", L"standin"}) {
        // Counted from READY; a run lasts about a second once its dialog has
        // gone, so these land before, during and after the filling.
        for (const int closeAfterMs : {150, 400, 900}) {
            SCOPED_TRACE(test::ToUtf8(kind) + " closing after " + std::to_string(closeAfterMs) + " ms");
            std::vector<std::wstring> arguments{kind};
            if (arguments[0] == L"standin")
                arguments.push_back(L"O1");
            arguments.insert(arguments.end(), {L"--dir", root.path(), L"--close-after", std::to_wstring(closeAfterMs)});
            test::ChildProcess host(test::BinaryPath(L"testhost", arch()), arguments);
            ASSERT_TRUE(host.WaitForLine(L"READY", 20000).has_value());

            const int code = test::RunCorvane({work + L"\\report.txt"}, arch(), kRunBoundMs);
            EXPECT_TRUE(IsExitStatus(code)) << code;
            EXPECT_TRUE(host.WaitForLine(L"CLOSED", 10000).has_value());
            EXPECT_TRUE(host.LinesTagged(L"RESULT").empty());
        }
    }
    if (lockTimeout.refusal().empty()) {
        EXPECT_EQ(test::SystemLockTimeout(), test::NonzeroSystemLockTimeout::kValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, BadInputRun, ::testing::ValuesIn(test::ArchitecturesToRun()), test::ArchName);

} // namespace
} // namespace corvane
