// The program typing into a file dialog whose file-name box is nested below
// the dialog's direct children: the host's stand-in changes folder when Enter
// is pressed in the box with a folder in it and empties the box, or with
// --keep-text keeps the folder text there.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/target_window.h"
#include "filedialogs/strategies.h"
#include "support/host.h"
#include "support/keys.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;
using test::RunCorvane;

constexpr DWORD kKeysArriveMs = 5000;

std::vector<std::wstring> StandInArguments(const std::wstring& folder, const std::wstring& boxText,
                                           std::initializer_list<const wchar_t*> extra = {}) {
    std::vector<std::wstring> arguments{L"standin", L"F4", L"--report-keys", L"--dir", folder, L"--name", boxText};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

HWND FileNameBox(const HostDialog& host) {
    return test::FindDescendant(host.dialog(), 1001, L"Edit");
}

bool BoxEndsWith(HWND box, const std::wstring& text) {
    return test::WaitUntil([&] { return test::WindowText(box) == text; }, kKeysArriveMs);
}

std::size_t CountKeys(const HostDialog& host, WORD virtualKey) {
    const std::wstring prefix = std::to_wstring(virtualKey) + L" ";
    const std::vector<std::wstring> keys = host.Lines(L"KEY");
    return static_cast<std::size_t>(std::count_if(
        keys.begin(), keys.end(), [&](const std::wstring& line) { return line.rfind(prefix, 0) == 0; }));
}

// Waits until the host has logged the expected number of Backspaces, so that
// a count that stays short shows up as a difference, not as a time-out.
std::size_t BackspacesOnceSettled(const HostDialog& host, std::size_t expected) {
    test::WaitUntil([&] { return CountKeys(host, VK_BACK) >= expected; }, kKeysArriveMs);
    test::PumpMessages(100);
    return CountKeys(host, VK_BACK);
}

// Nothing reached the dialog: no key, no Enter, the box as it was.
void ExpectNoKeyArrived(HostDialog& host, HWND box, const std::wstring& boxText) {
    test::PumpMessages(300);
    EXPECT_TRUE(host.StillOpen());
    EXPECT_TRUE(host.Lines(L"KEY").empty()) << "first key: " << testing::PrintToString(host.Lines(L"KEY"));
    EXPECT_TRUE(host.Lines(L"ENTER").empty());
    EXPECT_TRUE(host.Lines(L"FOLDER").empty());
    EXPECT_EQ(test::WindowText(box), boxText);
}

TEST(KeyboardFileDialog, ChangesIntoTheFolderAndLeavesTheFileNameInTheBox) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    HostDialog host(StandInArguments(temp.path(), L"old.txt"));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder + L"\\name.txt"}), 0);
    EXPECT_EQ(host.WaitFor(L"ENTER", kKeysArriveMs), folder) << "the old name was not erased before the folder";
    EXPECT_TRUE(BoxEndsWith(box, L"name.txt")) << "box: " << testing::PrintToString(test::WindowText(box));
    EXPECT_EQ(host.LastFolder(), folder);
    EXPECT_EQ(host.Lines(L"ENTER").size(), 1u) << "exactly one Enter, and nothing confirmed the file";
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
    EXPECT_TRUE(host.StillOpen());
    EXPECT_EQ(BackspacesOnceSettled(host, 7), 7u) << "Backspaces for the old text only";
}

// A dialog that keeps the folder text after Enter (as one whose auto-complete
// list took the first Enter does) gets one more Enter, then the name
// replaces the folder text.
TEST(KeyboardFileDialog, DialogThatKeepsTheFolderTextGetsOneMoreEnterThenTheName) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    HostDialog host(StandInArguments(temp.path(), L"old.txt", {L"--keep-text"}));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder + L"\\name.txt"}), 0);
    EXPECT_EQ(test::WindowText(box), L"name.txt");
    EXPECT_EQ(host.LastFolder(), folder);
    EXPECT_EQ(host.Lines(L"ENTER"), (std::vector<std::wstring>{folder, folder}));
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
}

// A box that gets the focus from the program has its caret at the start of
// its old text; the old text must still be gone before the folder is entered.
TEST(KeyboardFileDialog, OldTextIsErasedWhereverTheCaretStands) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    HostDialog host(StandInArguments(temp.path(), L"old.txt", {L"--focus", L"2"}));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder + L"\\name.txt"}), 0);
    EXPECT_EQ(host.WaitFor(L"ENTER", kKeysArriveMs), folder);
    EXPECT_TRUE(BoxEndsWith(box, L"name.txt")) << "box: " << testing::PrintToString(test::WindowText(box));
    EXPECT_TRUE(host.Lines(L"RESULT").empty()) << "the dialog took a mixed text as the chosen file";
    EXPECT_TRUE(host.StillOpen());
}

TEST(KeyboardFileDialog, ExistingDirectoryTypesTheFormerBoxTextBack) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"only a folder");
    HostDialog host(StandInArguments(temp.path(), L"former.txt"));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder}), 0);
    EXPECT_EQ(host.WaitFor(L"ENTER", kKeysArriveMs), folder);
    EXPECT_TRUE(BoxEndsWith(box, L"former.txt")) << "box: " << testing::PrintToString(test::WindowText(box));
    EXPECT_EQ(host.LastFolder(), folder);
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
}

TEST(KeyboardFileDialog, BareNameOnlyReplacesTheBoxText) {
    test::TempFolder temp;
    HostDialog host(StandInArguments(temp.path(), L"old.txt"));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({L"plain-name.txt"}), 0);
    EXPECT_TRUE(BoxEndsWith(box, L"plain-name.txt")) << "box: " << testing::PrintToString(test::WindowText(box));
    EXPECT_TRUE(host.Lines(L"ENTER").empty()) << "no Enter: the dialog stays in its folder";
    EXPECT_TRUE(host.Lines(L"FOLDER").empty());
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
}

// A hotkey's modifiers still held while the program types, let go of only
// afterwards: each is released and put back as itself, nothing leaks into
// the typed text, and no key is left down once the user has let go.
TEST(KeyboardFileDialog, HeldHotkeyModifiersAreLeftAsTheUserHoldsThem) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    const struct {
        const char* name;
        std::vector<WORD> keys;
    } holds[] = {
        {"right Ctrl", {VK_RCONTROL}},
        {"AltGr", {VK_LCONTROL, VK_RMENU}},
        {"left Windows key", {VK_LWIN}},
    };
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.name);
        HostDialog host(StandInArguments(temp.path(), L"old.txt"));
        const HWND box = FileNameBox(host);
        ASSERT_NE(box, nullptr);
        int status = 1;
        {
            test::HeldKeys keys(hold.keys);
            ASSERT_TRUE(keys.Registered());
            status = RunCorvane({folder + L"\\name.txt"});
        }
        test::PumpMessages(100);
        EXPECT_EQ(test::ModifierKeysDown(), std::vector<WORD>{}) << "a key stayed down";
        EXPECT_EQ(status, 0);
        EXPECT_EQ(test::WindowText(box), L"name.txt");
        EXPECT_EQ(host.LastFolder(), folder);
        EXPECT_TRUE(host.Lines(L"RESULT").empty());
    }
}

TEST(KeyboardFileDialog, LongBoxTextIsErasedUnitByUnit) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"long");
    const std::wstring longText(300, L'w');
    HostDialog host(StandInArguments(temp.path(), longText));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(test::WindowText(box), longText);

    EXPECT_EQ(RunCorvane({folder + L"\\after.txt"}), 0);
    EXPECT_EQ(host.WaitFor(L"ENTER", kKeysArriveMs), folder);
    EXPECT_TRUE(BoxEndsWith(box, L"after.txt")) << "box holds " << test::WindowText(box).size() << " units";
    EXPECT_EQ(BackspacesOnceSettled(host, 300), 300u);
}

TEST(KeyboardFileDialog, FocusThatStaysOffTheBoxSendsNoKeyAndEndsWithMinusOne) {
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    HostDialog host(StandInArguments(temp.path(), L"untouched.txt", {L"--refuse-focus"}));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder + L"\\name.txt"}), -1);
    ExpectNoKeyArrived(host, box, L"untouched.txt");
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
}

TEST(KeyboardFileDialog, MissingTargetFolderIsRefusedBeforeAnyKey) {
    test::TempFolder temp;
    HostDialog host(StandInArguments(temp.path(), L"untouched.txt"));
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({temp.path() + L"\\no such folder\\name.txt"}), -1);
    EXPECT_EQ(RunCorvane({temp.path() + L"\\no such folder\\"}), -1) << "a trailing backslash, folder missing";
    ExpectNoKeyArrived(host, box, L"untouched.txt");
}

// Input cannot be attached to the calling thread itself: given a dialog of
// this very thread, both roads that attach refuse before touching it.
TEST(RefusedInputAttachment, EndsWithMinusOneAndNothingSent) {
    test::TempFolder temp;
    const std::wstring target = temp.MakeFolder(L"dir") + L"\\name.txt";
    const test::OwnedWindow dialog = test::CreateTopLevel(L"CorvaneOwnThreadDialog", true);
    const HWND box = test::CreateChild(dialog.get(), L"Edit", 1001, L"untouched.txt");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(GetFocus(), box);

    EXPECT_EQ(TargetWindow(dialog.get()).FillKeyboardFileDialog(target, box), -1);
    EXPECT_EQ(FillOfficeFileDialog(dialog.get(), target, box), -1);
    test::PumpMessages(200);
    EXPECT_EQ(test::WindowText(box), L"untouched.txt");
    EXPECT_NE(GetFocus(), box);
    EXPECT_NE(GetForegroundWindow(), dialog.get());
}

TEST(KeyboardFileDialog, The32BitBuildFillsA32BitDialog) {
    CORVANE_SKIP_UNLESS_ARCH_RUNS(L"x86-32");
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"dir");
    HostDialog host(StandInArguments(temp.path(), L"old.txt"), L"x86-32");
    const HWND box = FileNameBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({folder + L"\\name32.txt"}, L"x86-32"), 0);
    EXPECT_EQ(host.WaitFor(L"ENTER", kKeysArriveMs), folder);
    EXPECT_TRUE(BoxEndsWith(box, L"name32.txt")) << "box: " << testing::PrintToString(test::WindowText(box));
    EXPECT_EQ(host.LastFolder(), folder);
}

} // namespace
} // namespace corvane
