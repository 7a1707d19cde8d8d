// The program against stand-ins of the item dialogs of Windows 10/11: the
// Open dialog filled by messages, the Save dialog, whose box lies deep in its
// item tree, by keystrokes. Each changes folder either inside the command, as
// Wine's dialogs do, or 150 ms after it with the box hidden meanwhile and
// emptied at the end, as the item dialogs do.

#include <gtest/gtest.h>

#include "filedialogs/e2e_support.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

const wchar_t* const kNavigations[] = {L"0", L"150"};

class ItemDialogRun : public test::ArchitectureTest {
protected:
    HostDialog Show(const wchar_t* layout, const std::wstring& folder,
                    std::initializer_list<std::wstring> extra = {}) {
        std::vector<std::wstring> arguments{L"standin", layout, L"--dir", folder, L"--name", L"old.txt",
                                            L"--report-keys"};
        arguments.insert(arguments.end(), extra);
        return HostDialog(arguments, arch());
    }
    int Run(const std::wstring& target) { return test::RunCorvane({target}, arch()); }
};

HWND BoxOf(const HostDialog& host, const wchar_t* layout) {
    return std::wstring(layout) == L"ItemSave" ? test::FindDescendant(host.dialog(), 1001, L"Edit")
                                                : GetDlgItem(host.dialog(), 1148);
}

// The dialog is in the folder, its box shows the name and keeps it, and
// nothing was chosen: confirming now picks exactly the target.
void ExpectFilledAndKept(HostDialog& host, HWND box, const std::wstring& folder, const std::wstring& name) {
    test::PumpMessages(400);
    EXPECT_EQ(test::ToUtf8(host.LastFolder()), test::ToUtf8(folder));
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(test::ToUtf8(test::WindowText(box)), test::ToUtf8(name));
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
    EXPECT_EQ(test::ToUtf8(host.ConfirmAndReadResult().value_or(L"<none>")), test::ToUtf8(folder + L"\\" + name));
}

TEST_P(ItemDialogRun, BothRoadsKeepTheNameThroughEitherNavigation) {
    for (const wchar_t* layout : {L"ItemOpen", L"ItemSave"}) {
        for (const wchar_t* delay : kNavigations) {
            SCOPED_TRACE(test::ToUtf8(std::wstring(layout) + L", navigation after " + delay + L" ms"));
            test::TempFolder root;
            const std::wstring work = root.MakeFolder(L"Work");
            HostDialog host = Show(layout, root.path(), {L"--late-navigation", delay});
            const HWND box = BoxOf(host, layout);
            ASSERT_NE(box, nullptr);

            EXPECT_EQ(Run(work + L"\\name.txt"), 0);
            ExpectFilledAndKept(host, box, work, L"name.txt");
        }
    }
}

// The Save dialog shows its box only once it has laid its view out.
TEST_P(ItemDialogRun, SaveBoxShownLateIsWaitedForAndNeverShownIsRefused) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    {
        SCOPED_TRACE("never shown");
        HostDialog host = Show(L"ItemSave", root.path(), {L"--box-shown-after", L"-1"});
        const HWND box = BoxOf(host, L"ItemSave");
        EXPECT_EQ(Run(work + L"\\name.txt"), -1);
        test::PumpMessages(300);
        EXPECT_TRUE(host.Lines(L"KEY").empty()) << "nothing may be typed";
        EXPECT_TRUE(host.Lines(L"FOLDER").empty());
        EXPECT_EQ(test::WindowText(box), L"old.txt");
    }
    {
        SCOPED_TRACE("shown after 300 ms");
        HostDialog host = Show(L"ItemSave", root.path(), {L"--box-shown-after", L"300", L"--late-navigation", L"150"});
        EXPECT_EQ(Run(work + L"\\name.txt"), 0);
        ExpectFilledAndKept(host, BoxOf(host, L"ItemSave"), work, L"name.txt");
    }
}

// A dialog whose thread stopped answering ends the run, on either road,
// instead of holding it (and the script that waits for it) as long.
TEST_P(ItemDialogRun, DialogThatStopsAnsweringEndsTheRunWithMinusOne) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    for (const wchar_t* layout : {L"ItemOpen", L"ItemSave"}) {
        SCOPED_TRACE(test::ToUtf8(layout));
        HostDialog host = Show(layout, root.path(), {L"--busy-after-ready", L"30000"});
        ASSERT_TRUE(host.WaitFor(L"BUSY").has_value());
        EXPECT_EQ(test::RunCorvane({work + L"\\name.txt"}, arch(), 10000), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowsShapes, ItemDialogRun, ::testing::ValuesIn(test::ArchitecturesToRun()),
                         test::ArchName);

} // namespace
} // namespace corvane
