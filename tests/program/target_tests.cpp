// Targets as Windows reads them: alone, a drive ("C:") names the current
// folder on that drive, and a relative folder part is resolved against the
// current folder of whichever process reads it. The program passes on the
// folder it checked: the root itself, and relative targets made absolute
// where the program runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;
using test::ToUtf8;

// The stand-ins resolve a folder with GetFullPathNameW in their own process,
// whose current folder is the one they show, as the system's dialogs do: a
// bare "C:" sent or typed there is that folder, not the root.
TEST(DriveRootTarget, MessagesAndKeysBothReachTheRoot) {
    test::TempFolder root;
    const std::wstring shown = root.MakeFolder(L"shown\\deeper");
    const std::wstring target = L"C:\\corvane-root-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const struct {
        const char* road;
        std::vector<std::wstring> host;
        int boxId;
    } roads[] = {
        {"messages", {L"standin", L"F2", L"--dir", shown}, 1152},
        {"keys", {L"standin", L"F4", L"--keep-text", L"--dir", shown}, 1001},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.road);
        HostDialog host(road.host);
        const HWND box = test::FindDescendant(host.dialog(), road.boxId, L"Edit");
        ASSERT_NE(box, nullptr);

        EXPECT_EQ(test::RunCorvane({target}), 0);
        EXPECT_TRUE(test::WaitUntil([&] { return test::WindowText(box) == target.substr(3); }, 5000));
        EXPECT_EQ(ToUtf8(host.LastFolder()), "C:\\");
        EXPECT_EQ(host.ConfirmAndReadResult(), std::optional<std::wstring>(target));
    }
}

// The program runs in one folder, the real save dialog shows another (and its
// process runs there): each relative form reaches the program's sub folder.
TEST(RelativeTarget, SaveDialogChangesIntoTheFolderBelowTheProgramsFolder) {
    test::TempFolder root;
    const std::wstring dirOne = root.MakeFolder(L"dir one");
    const std::wstring elsewhere = root.MakeFolder(L"elsewhere");
    const struct {
        std::wstring target;
        std::wstring boxText;
    } cases[] = {
        {L"dir one\\rel.txt", L"rel.txt"},
        {L"dir one/rel.txt", L"rel.txt"},
        {L"C:dir one\\rel.txt", L"rel.txt"},
        {L"dir one", L"keep.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.target));
        std::unique_ptr<HostDialog> host;
        {
            const test::CurrentDirectory inDialogsFolder(elsewhere);
            host = std::make_unique<HostDialog>(std::vector<std::wstring>{L"save", L"--dir", elsewhere, L"--name", L"keep.txt"});
        }
        const test::CurrentDirectory inRoot(root.path());

        EXPECT_EQ(test::RunCorvane({c.target}), 0);
        test::WaitUntil([&] { return host->LastFolder() == dirOne; }, 2000);
        EXPECT_EQ(ToUtf8(host->LastFolder()), ToUtf8(dirOne));
        EXPECT_EQ(ToUtf8(test::WindowText(GetDlgItem(host->dialog(), 1148))), ToUtf8(c.boxText));
        EXPECT_TRUE(host->Lines(L"RESULT").empty()) << "the dialog took the folder part as the chosen file";
    }
}

// Absolute targets written with forward slashes reach their folder on both
// kinds of dialog.
TEST(AbsoluteTarget, ForwardSlashesReachTheFolderOnFileAndFolderDialogs) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work\\deeper");
    std::wstring slashed = work;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    {
        HostDialog host({L"standin", L"F2", L"--dir", root.path()});
        EXPECT_EQ(test::RunCorvane({slashed + L"/name.txt"}), 0);
        EXPECT_EQ(ToUtf8(host.LastFolder()), ToUtf8(work));
        EXPECT_EQ(test::WindowText(GetDlgItem(host.dialog(), 1152)), L"name.txt");
    }
    {
        HostDialog host({L"browse"});
        EXPECT_EQ(test::RunCorvane({slashed + L"/"}), 0);
        EXPECT_TRUE(host.SelectionBecomes(work));
    }
}

TEST(RelativeTarget, FolderDialogSelectsTheFolderBelowTheProgramsFolder) {
    test::TempFolder root;
    const std::wstring two = root.MakeFolder(L"one\\two");
    const std::wstring three = root.MakeFolder(L"one\\three");
    HostDialog host({L"browse"});
    const test::CurrentDirectory inRoot(root.path());
    for (const auto& [target, folder] : {std::pair{L"one\\two", two}, std::pair{L"one/three", three}}) {
        SCOPED_TRACE(ToUtf8(target));
        EXPECT_EQ(test::RunCorvane({target}), 0);
        EXPECT_TRUE(host.SelectionBecomes(folder));
    }
}

} // namespace
} // namespace corvane
