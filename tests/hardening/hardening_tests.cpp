// The real program against hostile or unusual input: it must never crash or
// hang, always exit 0 or -1, and leave the system's settings as it found them.

#include <gtest/gtest.h>

#include "hooklib/CorvaneLib.h"
#include "support/host.h"
#include "support/lock_timeout.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

constexpr DWORD kRunBoundMs = 15000;

bool AnyModifierHeld() {
    for (int key : {VK_CONTROL, VK_SHIFT, VK_MENU})
        if (GetAsyncKeyState(key) & 0x8000)
            return true;
    return false;
}

// Runs the program with raw command-line tails, each checked for the
// invariants, while the lock timeout holds a value that a run must not lose.
class HardenedRuns {
public:
    int Run(const std::wstring& tail) {
        const int status = test::RunCorvaneRaw(tail, test::ThisArch(), kRunBoundMs);
        EXPECT_TRUE(status == 0 || status == -1) << "exit status " << status;
        if (lockTimeout_.refusal().empty()) {
            EXPECT_EQ(test::SystemLockTimeout(), test::NonzeroSystemLockTimeout::kValue) << "lock timeout not restored";
        }
        EXPECT_FALSE(AnyModifierHeld()) << "a modifier key was left pressed";
        return status;
    }

private:
    const test::NonzeroSystemLockTimeout lockTimeout_;
};

std::vector<std::wstring> HostileTargets() {
    std::wstring longPath = L"C:\\";
    while (longPath.size() < 32767)
        longPath += L"a\\";
    longPath.resize(32767);
    return {
        L"\"\"",                                       // empty argument
        L"\"" + longPath + L"\"",                      // 32,767 characters
        L"\\\\\\\\\\\\",                               // only separators
        L"\\\\server\\share\\x.txt",                   // UNC path
        L"\"C:\\windows\\trailing dot.\"",             // trailing dot
        L"\"C:\\windows\\trailing blank \"",           // trailing blank
        L"\"C:\\windows\\em\\\"bedded\\\"quotes.txt\"", // embedded double quotes
        L"C:\\windows\\\xD800lone\xDC00surrogates.txt",  // unpaired surrogates
        L"C:\\windows\\\xD83D\xDE00.txt",               // outside the BMP
    };
}

struct Road {
    const char* name;
    std::vector<std::wstring> host;
};

class HostileTargetsOnEveryRoad : public ::testing::TestWithParam<int> {};

const Road kRoads[] = {
    {"real open dialog", {L"open", L"--dir", L"C:\\windows"}},
    {"keyboard stand-in", {L"standin", L"F4", L"--keep-text", L"--dir", L"C:\\windows"}},
    {"office stand-in", {L"standin", L"O3", L"--dir", L"C:\\windows"}},
    {"real folder dialog", {L"browse"}},
};

TEST_P(HostileTargetsOnEveryRoad, ExitCleanlyAndLeaveTheDialogUsable) {
    const Road& road = kRoads[GetParam()];
    SCOPED_TRACE(road.name);
    HostDialog host(road.host);
    ASSERT_NE(host.dialog(), nullptr);
    HardenedRuns runs;
    for (const std::wstring& target : HostileTargets()) {
        SCOPED_TRACE(test::ToUtf8(target.substr(0, 60)));
        runs.Run(target);
        EXPECT_TRUE(host.StillOpen()) << "a hostile path closed the dialog";
        ASSERT_FALSE(host.WaitFor(L"RESULT", 0).has_value()) << "the dialog was confirmed";
    }
    // Still answers normally afterwards.
    EXPECT_TRUE(host.StillOpen());
    EXPECT_TRUE(host.Answers());
}

INSTANTIATE_TEST_SUITE_P(Roads, HostileTargetsOnEveryRoad, ::testing::Values(0, 1, 2, 3));

// The dialog goes away once the program has sent its box the first, second
// or fifth text message: recognised, then gone before the folder text, before
// the OK command, or while the box is read back.
TEST(HostileDialogs, DialogClosingBetweenRecognitionAndFilling) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"dest") + L"\\name.txt";
    HardenedRuns runs;
    for (int messages : {1, 2, 5}) {
        SCOPED_TRACE("closing at text message " + std::to_string(messages));
        HostDialog host(
            {L"standin", L"F2", L"--dir", folder.path(), L"--close-at-text-message", std::to_wstring(messages)});
        ASSERT_TRUE(host.StillOpen());
        runs.Run(test::QuoteArgument(target));
        EXPECT_TRUE(host.WaitFor(L"CLOSED", 5000).has_value()) << "the run never reached the dialog";
        EXPECT_FALSE(host.StillOpen());
        EXPECT_TRUE(host.Lines(L"RESULT").empty()) << "a closing dialog took a file";
    }
}

TEST(HostileDialogs, BusyDialogThreadIsWaitedFor) {
    test::TempFolder folder;
    const std::wstring dest = folder.MakeFolder(L"dest");
    HardenedRuns runs;
    // The dialog's thread sleeps for 2 s right after the dialog is up.
    HostDialog host({L"standin", L"F2", L"--dir", folder.path(), L"--busy-after-ready", L"2000"});
    ASSERT_TRUE(host.WaitFor(L"BUSY", 5000).has_value());
    ASSERT_FALSE(host.WaitFor(L"IDLE", 0).has_value());
    EXPECT_EQ(runs.Run(test::QuoteArgument(dest + L"\\name.txt")), 0);
    EXPECT_TRUE(host.WaitFor(L"IDLE", 0).has_value()) << "the program ended before the busy thread answered";
    EXPECT_EQ(host.LastFolder(), dest);
    EXPECT_EQ(test::WindowText(GetDlgItem(host.dialog(), 1152)), L"name.txt");
}

TEST(HostileDialogs, HiddenDialogIsFilledLikeAVisibleOne) {
    test::TempFolder folder;
    const std::wstring dest = folder.MakeFolder(L"dest");
    HostDialog host({L"standin", L"F2", L"--hidden", L"--dir", folder.path()});
    ASSERT_FALSE(IsWindowVisible(host.dialog()));
    HardenedRuns runs;
    EXPECT_EQ(runs.Run(test::QuoteArgument(dest + L"\\name.txt")), 0);
    EXPECT_EQ(host.LastFolder(), dest);
    EXPECT_EQ(test::WindowText(GetDlgItem(host.dialog(), 1152)), L"name.txt");
}

// The hook library inside another program's dialog: crowded and odd trees,
// an over-long carrier title and a dialog that goes away mid-walk must leave
// that program running.

bool ProcessStillRuns(HostDialog& host) {
    return !host.process().WaitForExit(0).has_value();
}

TEST(HookInForeignProcess, TenThousandSiblingsBeforeTheTarget) {
    HostDialog host({L"folder-standin", L"--extra-items", L"10000"});
    HardenedRuns runs;
    EXPECT_EQ(runs.Run(L"C:\\windows\\system32"), 0);
    const auto selected = host.WaitFor(L"SELECTED", 5000);
    EXPECT_TRUE(test::WaitUntil([&] { return host.Lines(L"SELECTED").size() >= 3; }, 5000));
    EXPECT_TRUE(host.SelectionBecomes(L"C:\\windows\\system32", 0));
    EXPECT_TRUE(ProcessStillRuns(host));
}

TEST(HookInForeignProcess, ItemTextLongerThanTheReadBuffer) {
    HostDialog host({L"folder-standin", L"--long-item", L"3000"});
    HardenedRuns runs;
    EXPECT_EQ(runs.Run(L"C:\\windows"), 0);
    EXPECT_TRUE(host.SelectionBecomes(L"C:\\windows", 5000));
    EXPECT_TRUE(ProcessStillRuns(host));
}

// The program refuses display paths the hook could not read whole; the
// library itself must still cope with such a title from any caller.
TEST(HookInForeignProcess, CarrierTitleLongerThanTheHookReads) {
    HostDialog host({L"folder-standin"});
    test::OwnedWindow carrier(CreateWindowExW(0, L"STATIC", std::wstring(5000, L'x').c_str(), WS_POPUP, 0, 0, 10, 10,
                                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(carrier.get(), nullptr);
    const HHOOK hook = CVLib_SetFolderDialog(host.dialog(), carrier.get(), NewFolderBrowser);
    ASSERT_NE(hook, nullptr);
    // The replies are thread messages: wait for them here, not in a pump.
    bool finished = false;
    for (int pass = 0; pass < 200 && !finished; ++pass) {
        MSG message;
        while (PeekMessageW(&message, nullptr, cvlib::kWalkFinished, cvlib::kWalkNotReached, PM_REMOVE))
            finished = finished || message.message != cvlib::kWalkNotYet;
        if (!finished) {
            PostMessageW(host.dialog(), WM_NULL, 0, 0);
            Sleep(25);
        }
    }
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(finished) << "the walk never reported back";
    EXPECT_TRUE(ProcessStillRuns(host));
    EXPECT_TRUE(host.Lines(L"SELECTED").empty()) << "a cut title selected something";
}

TEST(HookInForeignProcess, DialogClosingWhileTheWalkWaits) {
    test::TempFolder folder;
    const std::wstring deep = folder.MakeFolder(L"a\\b\\c\\d");
    HardenedRuns runs;
    for (int closeAfter : {150, 400, 800}) {
        HostDialog host({L"folder-standin", L"--late-children", L"250", L"--close-after",
                         std::to_wstring(closeAfter + 200)});
        runs.Run(test::QuoteArgument(deep));
        host.WaitFor(L"CLOSED", 5000);
        const auto exitCode = host.process().WaitForExit(5000);
        ASSERT_TRUE(exitCode.has_value()) << "the dialog's program did not end after its dialog closed";
        EXPECT_EQ(*exitCode, 0u) << "the dialog's program crashed";
    }
}

} // namespace
} // namespace corvane
