// The program end to end against browse-for-folder dialogs of other
// processes: the system's own (old style, and new style, which Wine shows
// with the old-style tree) and a new-style stand-in whose tree sits in the
// namespace control.

#include <gtest/gtest.h>

#include "folderdialogs/display_path.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;
using test::HostDialog;
using test::RunCorvane;

void ExpectNavigatedAndReturned(HostDialog& host, const std::wstring& target) {
    ASSERT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.SelectionBecomes(target));
    EXPECT_EQ(host.ConfirmAndReadResult(), std::optional<std::wstring>(target));
}

TEST(SystemFolderDialog, BothStylesReachAFolderSeveralLevelsDeep) {
    test::TempFolder folder;
    // Each level's children are listed only when its parent is expanded.
    const std::wstring target = folder.MakeFolder(L"one\\two\\three words\\four\\five");
    folder.MakeFolder(L"one\\two\\three");
    for (const wchar_t* style : {L"--old", L"--new"}) {
        SCOPED_TRACE(test::ToUtf8(style));
        HostDialog host({L"browse", style});
        ExpectNavigatedAndReturned(host, target);
    }
}

TEST(SystemFolderDialog, SecondRunOnTheSameDialogReachesItsOwnFolder) {
    test::TempFolder folder;
    const std::wstring first = folder.MakeFolder(L"first\\inner");
    const std::wstring second = folder.MakeFolder(L"second");
    HostDialog host({L"browse"});
    ASSERT_EQ(RunCorvane({first}), 0);
    ASSERT_TRUE(host.SelectionBecomes(first));
    ASSERT_EQ(RunCorvane({second}), 0);
    EXPECT_TRUE(host.SelectionBecomes(second));
    ASSERT_EQ(RunCorvane({first}), 0);
    EXPECT_TRUE(host.SelectionBecomes(first));
}

// The shell names no missing folder, so there is no display path to walk:
// nothing is created and the dialog keeps its selection. An empty path names
// no folder either.
TEST(SystemFolderDialog, MissingFolderOrEmptyPathEndsWithMinusOneUntouched) {
    test::TempFolder folder;
    folder.MakeFolder(L"present");
    HostDialog host({L"browse"});
    const std::size_t before = host.Lines(L"SELECTED").size();
    EXPECT_EQ(RunCorvane({folder.path() + L"\\present\\missing\\deeper"}), -1);
    EXPECT_EQ(RunCorvane({L""}), -1);
    test::PumpMessages(300);
    EXPECT_EQ(host.Lines(L"SELECTED").size(), before);
    EXPECT_TRUE(host.StillOpen());
}

// The hook reads 2,047 units of the carrier's title; a longer display path
// would be cut inside a component and could match another folder.
TEST(SystemFolderDialog, DisplayPathLongerThanTheHookReadsEndsWithMinusOne) {
    test::TempFolder folder;
    std::wstring target = folder.path();
    for (wchar_t letter = L'a'; target.size() <= 2100; ++letter) {
        target += L"\\" + std::wstring(200, letter);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + target).c_str(), nullptr));
    }
    const std::wstring displayPath = corvane::ResolveDisplayPath(target);
    if (displayPath.empty())
        GTEST_SKIP() << "the shell here cannot parse a path of " << target.size() << " units";
    ASSERT_GT(displayPath.size(), 2047u);
    HostDialog host({L"browse"});
    const std::size_t before = host.Lines(L"SELECTED").size();
    EXPECT_EQ(RunCorvane({target}), -1);
    test::PumpMessages(300);
    EXPECT_EQ(host.Lines(L"SELECTED").size(), before);
}

// A target the tree does not show is not reached: a file where the tree shows
// folders only (the walk stops at the deepest level the tree has, which may
// stay selected), or a folder outside the tree's root.
TEST(SystemFolderDialog, TargetTheTreeDoesNotShowEndsWithMinusOne) {
    test::TempFolder folder;
    const std::wstring holder = folder.MakeFolder(L"holder");
    const std::wstring file = folder.MakeFile(L"holder\\notes.txt");
    {
        HostDialog host({L"browse"});
        EXPECT_EQ(RunCorvane({file}), -1);
        EXPECT_TRUE(host.SelectionBecomes(holder));
    }
    {
        HostDialog host({L"browse", L"--files"});
        EXPECT_EQ(RunCorvane({file}), 0);
        EXPECT_TRUE(host.SelectionBecomes(file));
    }
    const std::wstring inside = folder.MakeFolder(L"inside");
    HostDialog host({L"browse", L"--root-dir", inside});
    EXPECT_EQ(RunCorvane({holder}), -1);
    EXPECT_TRUE(host.StillOpen());
}

// A dialog whose thread retrieves no messages through the whole wait has not
// been driven. Once it answers again, a run drives it.
TEST(SystemFolderDialog, DialogThreadBusyThroughTheWaitEndsWithMinusOne) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"target");
    // Longer than a run takes to start, find the dialog and wait for the hook.
    HostDialog host({L"browse", L"--busy-after-ready", L"5000"});
    ASSERT_TRUE(host.WaitFor(L"BUSY"));
    EXPECT_EQ(RunCorvane({target}), -1);
    ASSERT_TRUE(host.WaitFor(L"IDLE"));
    EXPECT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.SelectionBecomes(target));
}

TEST(NameSpaceStandIn, WalkReachesTheTargetAndTheDialogReturnsIt) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"alpha\\beta gamma\\delta");
    HostDialog host({L"folder-standin"});
    ExpectNavigatedAndReturned(host, target);
}

// Children that appear a while after each expansion: the hook answers not
// yet, the program nudges with WM_NULL, the only message this hook acts on.
TEST(NameSpaceStandIn, LateChildrenAreWaitedForThroughNudges) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"slow\\slower");
    HostDialog host({L"folder-standin", L"--late-children", L"120"});
    ASSERT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.SelectionBecomes(target));
}

} // namespace
