// The program against the item dialogs whose box it fills and never confirms:
// Wine's real open, save and folder-picker dialogs, and a stand-in of the
// folder picker of Windows 10/11, whose OK command picks the folder in its box
// and closes.

#include <gtest/gtest.h>

#include "filedialogs/e2e_support.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;
using test::ToUtf8;

class ItemBoxRun : public test::ArchitectureTest {};

// After the run the box shows the target and nothing else has happened: the
// dialog is open and nothing was chosen or typed (an OK command would have
// closed each of them with the target). Confirming then takes the target.
TEST_P(ItemBoxRun, BoxShowsTheTargetUntilTheTestConfirmsIt) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    const std::wstring existing = root.MakeFile(L"Work\\report.txt");
    const struct {
        const char* what;
        std::vector<std::wstring> host;
        std::wstring target;
    } rows[] = {
        {"Wine's folder picker, a folder", {L"item-pick"}, work},
        {"Wine's open dialog, an existing file", {L"item-open"}, existing},
        {"Wine's save dialog, a name beyond ASCII", {L"item-save"}, work + L"\\n\u00E4me \u0416 \U0001F600.txt"},
        {"Windows' folder picker, a folder", {L"standin", L"FolderPicker", L"--report-keys"}, work},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::wstring> arguments = row.host;
        arguments.insert(arguments.end(), {L"--dir", root.path()});
        HostDialog host(arguments, arch());
        const HWND box = GetDlgItem(host.dialog(), 1152);
        ASSERT_NE(box, nullptr);

        EXPECT_EQ(test::RunCorvane({row.target}, arch()), 0);
        test::PumpMessages(300);
        EXPECT_TRUE(host.StillOpen());
        EXPECT_TRUE(host.Lines(L"RESULT").empty()) << "nothing may be confirmed";
        EXPECT_TRUE(host.Lines(L"KEY").empty()) << "nothing may be typed";
        EXPECT_EQ(ToUtf8(test::WindowText(box)), ToUtf8(row.target));

        const std::wstring result = host.ConfirmAndReadResult().value_or(L"<none>");
        EXPECT_TRUE(test::SamePath(result, row.target)) << ToUtf8(result);
    }
}

TEST_P(ItemBoxRun, TargetInAMissingFolderLeavesTheBoxAlone) {
    test::TempFolder root;
    HostDialog host({L"standin", L"FolderPicker", L"--name", L"kept"}, arch());
    EXPECT_EQ(test::RunCorvane({root.path() + L"\\gone\\report.txt"}, arch()), -1);
    EXPECT_EQ(test::ControlText(host.dialog(), 1152), L"kept");
}

INSTANTIATE_TEST_SUITE_P(ItemDialogs, ItemBoxRun, ::testing::ValuesIn(test::ArchitecturesToRun()), test::ArchName);

} // namespace
} // namespace corvane
