// Foreground activation and the guards that put system state back.

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "core/target_window.h"
#include "input/input_guards.h"
#include "support/lock_timeout.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::NonzeroSystemLockTimeout;
using test::SystemLockTimeout;

// A window with a focused edit box, owned by a thread of its own, so that
// the test thread has input state apart from it.
class WindowThread {
public:
    explicit WindowThread(bool visible) {
        std::promise<void> ready;
        std::future<void> started = ready.get_future();
        thread_ = std::thread([this, visible, &ready] {
            window_ = test::CreateTopLevel(L"CorvaneForegroundTarget", visible);
            edit_ = test::CreateChild(window_.get(), L"Edit", 7);
            SetFocus(edit_);
            threadId_ = GetCurrentThreadId();
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // a queue for WM_QUIT
            ready.set_value();
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                DispatchMessageW(&message);
            window_.Reset();
        });
        started.wait();
    }
    ~WindowThread() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    HWND window() const { return window_.get(); }
    HWND edit() const { return edit_; }
    DWORD threadId() const { return threadId_; }

private:
    std::thread thread_;
    test::OwnedWindow window_;
    HWND edit_ = nullptr;
    DWORD threadId_ = 0;
};

// Detaching a pair that is not attached fails; so a successful detach here
// means an attachment was left behind (and is now undone).
bool WasStillAttached(DWORD fromThread, DWORD toThread) {
    return AttachThreadInput(fromThread, toThread, FALSE) != FALSE;
}

TEST(ThreadInputAttachment, SharesFocusOnlyWhileItLives) {
    WindowThread other(false);
    const DWORD me = GetCurrentThreadId();
    ASSERT_NE(GetFocus(), other.edit());
    {
        ThreadInputAttachment attachment(me, other.threadId());
        ASSERT_TRUE(attachment.attached());
        EXPECT_EQ(GetFocus(), other.edit()) << "the other thread's focus is seen while attached";
    }
    EXPECT_NE(GetFocus(), other.edit());
    EXPECT_FALSE(WasStillAttached(me, other.threadId()));

    ThreadInputAttachment toItself(me, me);
    EXPECT_FALSE(toItself.attached());
    ThreadInputAttachment toNoThread(me, 0);
    EXPECT_FALSE(toNoThread.attached());
}

TEST(ZeroForegroundLockTimeout, IsZeroOnlyWhileItLives) {
    const NonzeroSystemLockTimeout setting;
    if (!setting.refusal().empty())
        GTEST_SKIP() << setting.refusal();
    {
        ZeroForegroundLockTimeout unlocked;
        ASSERT_TRUE(unlocked.lowered());
        EXPECT_EQ(SystemLockTimeout(), 0u);
    }
    EXPECT_EQ(SystemLockTimeout(), NonzeroSystemLockTimeout::kValue);
}

TEST(BringToForeground, AcceptedRequestMakesTheWindowForegroundAndChangesNothing) {
    const NonzeroSystemLockTimeout setting;
    if (!setting.refusal().empty())
        GTEST_SKIP() << setting.refusal();
    WindowThread other(true);
    const HWND activeBefore = GetActiveWindow();

    TargetWindow(other.window()).BringToForeground();

    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == other.window(); }, 2000));
    EXPECT_EQ(SystemLockTimeout(), NonzeroSystemLockTimeout::kValue);
    EXPECT_EQ(GetActiveWindow(), activeBefore) << "the test thread keeps its own input state";
    EXPECT_NE(GetFocus(), other.edit());
    EXPECT_FALSE(WasStillAttached(GetCurrentThreadId(), other.threadId()));
}

TEST(BringToForeground, RefusedRequestPutsTheLockTimeoutBack) {
    const NonzeroSystemLockTimeout setting;
    if (!setting.refusal().empty())
        GTEST_SKIP() << setting.refusal();
    HWND gone = nullptr;
    {
        test::OwnedWindow window = test::CreateTopLevel(L"CorvaneForegroundTarget");
        gone = window.get();
    }
    ASSERT_FALSE(SetForegroundWindow(gone)) << "a window that no longer exists is refused";

    TargetWindow(gone).BringToForeground();

    EXPECT_EQ(SystemLockTimeout(), NonzeroSystemLockTimeout::kValue);
}

} // namespace
} // namespace corvane
