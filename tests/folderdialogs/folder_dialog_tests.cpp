// The program end to end against browse-for-folder dialogs of other
// processes: the system's own (old style, and new style, which Wine shows
// with the old-style tree) and a new-style stand-in whose tree sits in the
// namespace control.

#include <gtest/gtest.h>

#include "folderdialogs/display_path.h"
#include "folderdialogs/folder_driver.h"
#include "folderdialogs/tree_selection.h"
#include "hooklib/CorvaneLib.h"
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

// The shell names a drive after its label, which may hold backslashes, as a
// mapped network drive's "Public (\\nas)" does. The test environment maps
// such a drive for Wine (which reads the label when its server starts).
TEST(SystemFolderDialog, DriveWhoseNameHoldsBackslashes) {
    wchar_t drive[8] = L"";
    if (GetEnvironmentVariableW(L"CORVANE_LABELLED_DRIVE", drive, 8) == 0)
        GTEST_SKIP() << "no drive with a labelled root here (the Wine environment script maps one)";
    const std::wstring root = std::wstring(drive) + L"\\";
    wchar_t label[MAX_PATH + 1] = L"";
    ASSERT_TRUE(GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0));
    ASSERT_NE(std::wstring(label).find(L'\\'), std::wstring::npos)
        << "the label reads \"" << test::ToUtf8(label) << "\": the drive was mapped after Wine's server started";
    CreateDirectoryW((root + L"sub").c_str(), nullptr);
    CreateDirectoryW((root + L"sub\\deeper").c_str(), nullptr);
    const std::wstring target = root + L"sub\\deeper";
    ASSERT_NE(corvane::ResolveDisplayPath(target).find(std::wstring(label) + L" ("), std::wstring::npos);
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

// A dialog whose thread retrieves no messages for a while (but not so long
// that the system calls it hung) is waited for, well past a second.
TEST(SystemFolderDialog, DialogThreadBusyForAWhileIsWaitedFor) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"target");
    HostDialog host({L"browse", L"--busy-after-ready", L"2500"});
    ASSERT_TRUE(host.WaitFor(L"BUSY"));
    EXPECT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.WaitFor(L"IDLE", 0).has_value()) << "the run ended before the busy thread answered";
    EXPECT_TRUE(host.SelectionBecomes(target));
}

// The hook's replies come to the carrier window; the same messages posted to
// the thread or to another window are no replies.
TEST(SystemFolderDialog, CarrierTakesRepliesOnlyAddressedToItself) {
    test::TempFolder folder;
    HostDialog host({L"browse"});
    const test::OwnedWindow other = test::CreateTopLevel(L"STATIC");
    PostThreadMessageW(GetCurrentThreadId(), cvlib::kWalkFinished, 0, 0);
    PostMessageW(other.get(), cvlib::kWalkFinished, 0, 0);
    corvane::FolderHookSession session(
        host.dialog(), corvane::ResolveDisplayPath(folder.path()) + cvlib::kComponentSeparator + L"missing",
        OldFolderBrowser);
    ASSERT_TRUE(session);
    EXPECT_EQ(session.AwaitOutcome(), corvane::WalkReply::NotReached);
    session.End();
}

// The carrier lets exactly the three replies in from a lower integrity level.
// Where the system keeps per-window message filters (Wine keeps none), a
// second admission of each reply finds it admitted already, and an admission
// of another message finds that it was not.
TEST(SystemFolderDialog, CarrierAdmitsTheRepliesFromLowerLevels) {
    HostDialog host({L"browse"});
    const corvane::FolderHookSession open(host.dialog(), L"x", OldFolderBrowser);
    ASSERT_TRUE(open);
    const auto admit = [&](UINT message) {
        CHANGEFILTERSTRUCT status{sizeof(status), 0xFFFF};
        EXPECT_TRUE(ChangeWindowMessageFilterEx(open.carrier(), message, MSGFLT_ALLOW, &status));
        return status.ExtStatus;
    };
    const DWORD other = admit(cvlib::kWalkNotReached + 1);
    if (other == 0xFFFF)
        GTEST_SKIP() << "this system reports no message filter status";
    EXPECT_EQ(other, static_cast<DWORD>(MSGFLTINFO_NONE)) << "another message was let in too";
    for (const UINT reply : {cvlib::kWalkFinished, cvlib::kWalkNotYet, cvlib::kWalkNotReached})
        EXPECT_EQ(admit(reply), static_cast<DWORD>(MSGFLTINFO_ALREADYALLOWED_FORWND)) << "reply " << std::hex << reply;
}

TEST(NameSpaceStandIn, WalkReachesTheTargetAndTheDialogReturnsIt) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"alpha\\beta gamma\\delta");
    HostDialog host({L"folder-standin"});
    ExpectNavigatedAndReturned(host, target);
}

// One level takes 1.5 s to expand, the dialog's thread busy all the while:
// the run waits for it and reaches the target.
TEST(NameSpaceStandIn, SlowLevelIsWaitedFor) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"slow\\beyond");
    HostDialog host({L"folder-standin", L"--slow-folder", L"slow", L"--slow-ms", L"1500"});
    EXPECT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.WaitFor(L"SLOW", 0).has_value()) << "no level was slow";
    EXPECT_TRUE(host.SelectionBecomes(target));
    EXPECT_EQ(corvane::ReadSelectedTreePath(corvane::FindFolderDialogTree(host.dialog(), NewFolderBrowser)),
              corvane::ResolveDisplayPath(target));
}

// A level that keeps the thread busy for 40 s: the system calls the thread
// hung long before, and the run ends with -1 within its bound, leaving the
// dialog's program running.
TEST(NameSpaceStandIn, LevelThatHangsTheDialogEndsWithMinusOneWithinTheBound) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"stuck\\beyond");
    HostDialog host({L"folder-standin", L"--slow-folder", L"stuck", L"--slow-ms", L"40000"});
    EXPECT_EQ(RunCorvane({target}, test::ThisArch(), corvane::kWalkBoundMs + 5000), -1);
    EXPECT_TRUE(host.WaitFor(L"SLOW", 0).has_value()) << "the walk never reached the slow level";
    EXPECT_FALSE(host.process().WaitForExit(0).has_value()) << "the dialog's program ended";
}

// Children that come 2 s after each expansion, three levels in a row (a
// network share that wakes slowly): the run waits for each level and reaches
// the target. A user who switched to another window meanwhile (the stand-in
// takes the foreground back after each activation) is pulled back to the
// dialog at most once for each waiting level, and at the end.
TEST(NameSpaceStandIn, ChildrenLateAtThreeLevelsAreWaitedForWithoutPullingTheUserBack) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"one\\two\\three");
    HostDialog host({L"folder-standin", L"--late-children", L"2000", L"--late-under", folder.path(),
                     L"--steal-foreground", L"300"});
    ASSERT_TRUE(host.WaitFor(L"STOLEN"));
    const std::size_t before = host.Lines(L"ACTIVATED").size();
    ASSERT_EQ(RunCorvane({target}), 0);
    EXPECT_TRUE(host.SelectionBecomes(target));
    test::PumpMessages(300);
    const std::size_t activations = host.Lines(L"ACTIVATED").size() - before;
    EXPECT_GE(activations, 1u) << "not even brought to the foreground at the end";
    EXPECT_LE(activations, 3u + 1u) << "three waiting levels and the end";
}

// The dialog's thread is kept busy by a selection long enough to count as
// hung: the run ends with -1, and what the hook had queued for that level
// (the folder's expansion) does nothing once the thread goes on.
TEST(NameSpaceStandIn, TreeStaysPutAfterARunThatEndedWithMinusOne) {
    test::TempFolder folder;
    const std::wstring slow = folder.MakeFolder(L"slow");
    const std::wstring target = folder.MakeFolder(L"slow\\beyond");
    HostDialog host({L"folder-standin", L"--slow-folder", L"slow", L"--slow-ms", L"8000", L"--slow-on-select"});
    EXPECT_EQ(RunCorvane({target}), -1);
    ASSERT_TRUE(host.WaitFor(L"SLOWDONE", 10000));
    test::PumpMessages(500);
    EXPECT_TRUE(host.Answers());
    EXPECT_TRUE(test::SamePath(host.LastSelected(), slow)) << "the selection moved on to " << test::ToUtf8(host.LastSelected());
    for (const std::wstring& expanded : host.Lines(L"EXPANDING"))
        EXPECT_FALSE(test::SamePath(expanded, slow)) << "the slow folder was expanded after the run had ended";
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
