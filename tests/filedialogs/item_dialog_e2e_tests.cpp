// The program against stand-ins of the item dialogs of Windows 10/11: the
// Open dialog filled by messages, the Save dialog, whose box lies deep in its
// item tree, by keystrokes. Each changes folder inside the command, as Wine's
// dialogs do, or some time after it, as the item dialogs do, and names the
// folder in its breadcrumb once the change has ended.

#include <gtest/gtest.h>

#include "filedialogs/e2e_support.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

class ItemDialogRun : public test::ArchitectureTest {
protected:
    HostDialog Show(const wchar_t* layout, const std::wstring& folder, const std::vector<std::wstring>& extra = {}) {
        std::vector<std::wstring> arguments{L"standin", layout, L"--dir", folder, L"--name", L"old.txt",
                                            L"--report-keys"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return HostDialog(arguments, arch());
    }
    int Run(const std::wstring& target) { return test::RunCorvane({target}, arch()); }
};

HWND BoxOf(const HostDialog& host, const wchar_t* layout) {
    return std::wstring(layout) == L"ItemSave" ? test::FindDescendant(host.dialog(), 1001, L"Edit")
                                                : GetDlgItem(host.dialog(), 1148);
}

// The OK commands and Enter keys the dialog was given.
std::size_t CommandsGiven(const HostDialog& host) {
    return host.Lines(L"OK").size() + host.Lines(L"ENTER").size();
}

// The dialog is in the folder, its box shows the name and keeps it a second
// later, and nothing was chosen: confirming now picks exactly the target.
void ExpectFilledAndKept(HostDialog& host, HWND box, const std::wstring& folder, const std::wstring& name) {
    test::PumpMessages(1000);
    EXPECT_EQ(test::ToUtf8(host.LastFolder()), test::ToUtf8(folder));
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(test::ToUtf8(test::WindowText(box)), test::ToUtf8(name));
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
    EXPECT_EQ(test::ToUtf8(host.ConfirmAndReadResult().value_or(L"<none>")), test::ToUtf8(folder + L"\\" + name));
}

struct FolderChange {
    const char* name;
    std::vector<std::wstring> options;
    bool startsInTarget = false;
};

// Each road waits for the breadcrumb to name the target, however long the
// change takes, and never gives a second command meanwhile; a dialog that
// shows the target already gets none; a breadcrumb that shows names only
// leaves the road to its bounded wait on the box.
TEST_P(ItemDialogRun, BothRoadsPutTheNameOnceTheChangeHasEnded) {
    const FolderChange changes[] = {
        {"change inside the command", {L"--late-navigation", L"0"}},
        {"change ends 150 ms later, box hidden", {L"--late-navigation", L"150"}},
        {"change ends 2.5 s later, box shown", {L"--late-navigation", L"2500", L"--shown-during-navigation"}},
        {"target folder shown already", {L"--late-navigation", L"150"}, true},
        {"breadcrumb shows names only", {L"--late-navigation", L"150", L"--breadcrumb-names"}},
    };
    for (const wchar_t* layout : {L"ItemOpen", L"ItemSave"}) {
        for (const FolderChange& change : changes) {
            SCOPED_TRACE(test::ToUtf8(layout) + ", " + change.name);
            test::TempFolder root;
            const std::wstring work = root.MakeFolder(L"Work");
            HostDialog host = Show(layout, change.startsInTarget ? work : root.path(), change.options);
            const HWND box = BoxOf(host, layout);
            ASSERT_NE(box, nullptr);

            EXPECT_EQ(Run(work + L"\\name.txt"), 0);
            EXPECT_EQ(CommandsGiven(host), change.startsInTarget ? 0u : 1u);
            if (change.startsInTarget) {
                EXPECT_TRUE(host.Lines(L"FOLDER").empty());
                test::PumpMessages(1000);
                EXPECT_EQ(test::ToUtf8(test::WindowText(box)), "name.txt");
                EXPECT_EQ(test::ToUtf8(host.ConfirmAndReadResult().value_or(L"<none>")),
                          test::ToUtf8(work + L"\\name.txt"));
            } else {
                ExpectFilledAndKept(host, box, work, L"name.txt");
            }
        }
    }
}

// The typed folder raises the Save dialog's auto-complete list, which takes
// the first Enter: the road closes it before the Enter that changes folder,
// and presses no other.
TEST_P(ItemDialogRun, SaveDialogsAutoCompleteListIsClosedBeforeTheChange) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    HostDialog host = Show(L"ItemSave", root.path(), {L"--auto-complete", L"--late-navigation", L"150"});
    const HWND box = BoxOf(host, L"ItemSave");

    EXPECT_EQ(Run(work + L"\\name.txt"), 0);
    EXPECT_EQ(host.Lines(L"LISTCLOSED").size(), 1u);
    EXPECT_EQ(host.Lines(L"ENTER"), std::vector<std::wstring>{work});
    ExpectFilledAndKept(host, box, work, L"name.txt");
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
