// The hook library's export and hook procedures with a real hook installed in
// a second thread of the test, which owns a dialog with a real tree view; the
// test's own thread owns the carrier window and receives the replies.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "hooklib/CorvaneLib.h"
#include "hooklib/tree_walk.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;

std::wstring Path(std::initializer_list<const wchar_t*> components) {
    std::wstring path;
    for (const wchar_t* component : components) {
        if (!path.empty())
            path += cvlib::kComponentSeparator;
        path += component;
    }
    return path;
}

// A folder item, which announces children as a folder dialog's do.
HTREEITEM AddItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.cChildren = 1;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM SelectedItem(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// Gives the tree another window procedure, which passes what it does not
// handle on with CallTreeProcedure. (Wine's comctl32 subclassing looks up a
// window property on every message, far too slow for a walk's 65,536 items.)
void SubclassTree(HWND tree, WNDPROC procedure) {
    SetWindowLongPtrW(tree, GWLP_USERDATA, GetWindowLongPtrW(tree, GWLP_WNDPROC));
    SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

LRESULT CallTreeProcedure(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(tree, GWLP_USERDATA)), tree, message, wParam,
                           lParam);
}

// Builds the tree a folder dialog of the given type has, in the place where
// the hook looks for it.
HWND CreateFolderDialogTree(HWND dialog, DialogType type) {
    if (type == OldFolderBrowser)
        return test::CreateChild(dialog, WC_TREEVIEWW, 14145);
    const HWND nameSpace = test::CreateChild(dialog, L"SHBrowseForFolder ShellNameSpace Control", 0);
    return test::CreateChild(nameSpace, WC_TREEVIEWW, 100);
}

// Waits for the handle while answering messages sent to this thread: the
// hook reads the carrier's title, which this thread owns, by a sent message.
bool WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// A folder dialog owned by its own thread, which retrieves messages until the
// object goes. The tree has a root item "Desktop"; prepare runs in the thread
// once the tree exists.
class DialogThread {
public:
    explicit DialogThread(DialogType type, const std::function<void(HWND tree, HTREEITEM root)>& prepare = {})
        : mark_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, type, prepare] {
            test::OwnedWindow dialog = test::CreateTopLevel(L"#32770");
            dialog_ = dialog.get();
            tree_ = CreateFolderDialogTree(dialog_, type);
            root_ = AddItem(tree_, TVI_ROOT, L"Desktop");
            if (prepare)
                prepare(tree_, root_);
            threadId_ = GetCurrentThreadId();
            SetEvent(mark_);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (message.hwnd == nullptr && message.message == kMark) {
                    SetEvent(mark_);
                } else if (message.hwnd == nullptr && message.message == kHold) {
                    SetEvent(mark_);
                    WaitAnsweringSentMessages(release_, INFINITE);
                } else {
                    DispatchMessageW(&message);
                }
            }
        });
        WaitForSingleObject(mark_, INFINITE);
    }
    ~DialogThread() {
        SetEvent(release_);
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(mark_);
        CloseHandle(release_);
    }
    HWND dialog() const { return dialog_; }
    HWND tree() const { return tree_; }
    HTREEITEM root() const { return root_; }

    // True once the thread has retrieved every message posted to it before
    // (so the hook has seen them all).
    bool Drain() const { return PostAndWaitForMark(kMark); }
    // Keeps the thread from retrieving posted messages until Release; sent
    // messages are still answered.
    bool Hold() const { return PostAndWaitForMark(kHold); }
    void Release() const { SetEvent(release_); }
    // The thread message that holds the thread once retrieved, for the
    // thread's own code to post; then WaitUntilHeld.
    static constexpr UINT kHold = WM_APP + 41;
    bool WaitUntilHeld() const { return WaitAnsweringSentMessages(mark_, 10000); }

private:
    static constexpr UINT kMark = WM_APP + 40;

    bool PostAndWaitForMark(UINT message) const {
        return PostThreadMessageW(threadId_, message, 0, 0) && WaitAnsweringSentMessages(mark_, 10000);
    }

    HANDLE mark_;
    HANDLE release_;
    std::thread thread_;
    HWND dialog_ = nullptr;
    HWND tree_ = nullptr;
    HTREEITEM root_ = nullptr;
    DWORD threadId_ = 0;
};

struct Replies {
    int finished = 0;
    int notYet = 0;
    int notReached = 0;
    WPARAM lastNotYetLevel = 0;
    int total() const { return finished + notYet + notReached; }
};

// Adds the hook's replies in this thread's queue, waiting up to timeoutMs
// until there are enough. The carriers are this thread's only windows.
void TakeReplies(Replies& replies, const std::function<bool(const Replies&)>& enough = {}, DWORD timeoutMs = 0) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const bool toCarrier = message.hwnd != nullptr;
            if (toCarrier)
                DispatchMessageW(&message);
            replies.finished += toCarrier && message.message == cvlib::kWalkFinished;
            replies.notYet += toCarrier && message.message == cvlib::kWalkNotYet;
            if (toCarrier && message.message == cvlib::kWalkNotYet)
                replies.lastNotYetLevel = message.wParam;
            replies.notReached += toCarrier && message.message == cvlib::kWalkNotReached;
        }
        const DWORD elapsed = GetTickCount() - start;
        if ((enough && enough(replies)) || elapsed >= timeoutMs)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

// Waits for count replies, then takes whatever else the messages that the
// dialog's thread has retrieved until then bring.
Replies AwaitExactly(const DialogThread& dialog, int count) {
    Replies replies;
    TakeReplies(replies, [count](const Replies& r) { return r.total() >= count; }, 10000);
    EXPECT_TRUE(dialog.Drain()) << "the dialog's thread does not retrieve its messages";
    TakeReplies(replies);
    return replies;
}

Replies RepliesSoFar(const DialogThread& dialog) {
    return AwaitExactly(dialog, 0);
}

// One installation: carrier titled with the path, hook removed at the end.
class Installation {
public:
    Installation(const DialogThread& dialog, DialogType type, const std::wstring& path)
        : carrier_(CreateWindowExW(0, L"STATIC", path.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                                   nullptr)),
          hook_(CVLib_SetFolderDialog(dialog.dialog(), carrier_.get(), type)) {}
    ~Installation() { Unhook(); }
    HHOOK hook() const { return hook_; }
    // The end of a run: its hook removed, then its carrier destroyed.
    void Unhook() {
        if (hook_ != nullptr)
            UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    void DestroyCarrier() { carrier_.Reset(); }

private:
    test::OwnedWindow carrier_;
    HHOOK hook_;
};

const char* StyleName(DialogType type) {
    return type == OldFolderBrowser ? "old style" : "new style";
}

TEST(HookLibrary, OtherTypesAndVanishedDialogsInstallNothing) {
    test::OwnedWindow dialog = test::CreateTopLevel(L"#32770");
    CreateFolderDialogTree(dialog.get(), OldFolderBrowser);
    test::OwnedWindow carrier = test::CreateTopLevel(L"STATIC");
    test::PumpMessages(50);
    for (DialogType type : {StandardFileDialog, KeyboardFileDialog, OfficeFileDialog, FolderPickerOrItemDialog}) {
        EXPECT_EQ(CVLib_SetFolderDialog(dialog.get(), carrier.get(), type), nullptr);
        MSG message;
        EXPECT_FALSE(PeekMessageW(&message, dialog.get(), 0, 0, PM_REMOVE))
            << "type " << type << " posted message " << message.message << " to the dialog";
    }
    const HWND vanished = dialog.get();
    dialog.Reset();
    EXPECT_EQ(CVLib_SetFolderDialog(vanished, carrier.get(), OldFolderBrowser), nullptr);
}

// The hook acts on the message that arms it, on its own marks and on nudges
// (WM_NULL to the dialog); a level waiting for children answers each nudge.
// Other messages, and WM_NULL with other parameters, change nothing.
TEST(HookLibrary, HookAdvancesOnNudgesAndItsOwnMarksOnly) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(StyleName(type));
        DialogThread dialog(type);
        const HTREEITEM alpha = AddItem(dialog.tree(), dialog.root(), L"Alpha");
        const HTREEITEM slow = AddItem(dialog.tree(), alpha, L"Slow");

        Installation installation(dialog, type, Path({L"Alpha", L"Slow", L"Leaf"}));
        ASSERT_NE(installation.hook(), nullptr);
        Replies replies = AwaitExactly(dialog, 1);
        EXPECT_EQ(replies.notYet, 1) << "the arming message starts the walk";
        EXPECT_EQ(replies.lastNotYetLevel, 1u) << "the level of Slow";
        EXPECT_EQ(replies.total(), 1);
        EXPECT_EQ(SelectedItem(dialog.tree()), slow);

        for (UINT other : {UINT{WM_USER}, UINT{WM_TIMER}, UINT{WM_APP + 7}})
            PostMessageW(dialog.dialog(), other, 0, 0);
        PostMessageW(dialog.dialog(), WM_NULL, 1, 0);
        PostMessageW(dialog.tree(), WM_NULL, cvlib::kCarriedOutMark, 0);
        EXPECT_EQ(RepliesSoFar(dialog).total(), 0) << "messages other than nudges change nothing";

        PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
        replies = AwaitExactly(dialog, 1);
        EXPECT_EQ(replies.notYet, 1);
        EXPECT_EQ(replies.total(), 1);

        const HTREEITEM leaf = AddItem(dialog.tree(), slow, L"Leaf");
        PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
        replies = AwaitExactly(dialog, 1);
        EXPECT_EQ(replies.finished, 1);
        EXPECT_EQ(replies.total(), 1);
        EXPECT_EQ(SelectedItem(dialog.tree()), leaf);

        PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
        EXPECT_EQ(RepliesSoFar(dialog).total(), 0) << "after finishing the hook only passes calls on";
    }
}

std::atomic<bool> holdOnNextRead{false};

// The walk's first read of an item makes the dialog's thread hold before it
// retrieves the mark that the walk posts next.
LRESULT CALLBACK HoldingAfterFirstRead(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TVM_GETITEMW && holdOnNextRead.exchange(false))
        PostThreadMessageW(GetCurrentThreadId(), DialogThread::kHold, 0, 0);
    return CallTreeProcedure(tree, message, wParam, lParam);
}

// A run ends while the hook's mark for Alpha is still queued: with its hook
// left in place but its carrier gone, or with the next run's hook installed
// (for a folder the tree does not have). The mark stays an empty message.
TEST(HookLibrary, MarksOfARunThatEndedSelectNothing) {
    for (const bool nextRun : {false, true}) {
        SCOPED_TRACE(nextRun ? "next run installed" : "hook left in place");
        holdOnNextRead = true;
        DialogThread dialog(OldFolderBrowser, [](HWND tree, HTREEITEM root) {
            AddItem(tree, root, L"Alpha");
            SubclassTree(tree, HoldingAfterFirstRead);
        });
        Installation ended(dialog, OldFolderBrowser, L"Alpha");
        ASSERT_TRUE(dialog.WaitUntilHeld());
        if (nextRun)
            ended.Unhook();
        ended.DestroyCarrier();
        std::unique_ptr<Installation> next;
        if (nextRun)
            next = std::make_unique<Installation>(dialog, OldFolderBrowser, L"Missing");
        dialog.Release();
        const Replies replies = AwaitExactly(dialog, nextRun ? 1 : 0);
        EXPECT_EQ(replies.notReached, nextRun ? 1 : 0);
        EXPECT_EQ(replies.total(), replies.notReached);
        EXPECT_EQ(SelectedItem(dialog.tree()), nullptr) << "the ended run's mark selected its item";
    }
}

// A dialog process keeps the library mapped after the first run's hook is
// gone; the next run with another path must walk again, and a path the tree
// does not have is reported as not reached.
TEST(HookLibrary, EachInstallationStartsAFreshWalk) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(StyleName(type));
        DialogThread dialog(type);
        const HTREEITEM alpha = AddItem(dialog.tree(), dialog.root(), L"Alpha");
        const HTREEITEM first = AddItem(dialog.tree(), alpha, L"First");
        const HTREEITEM second = AddItem(dialog.tree(), alpha, L"Second");
        {
            Installation installation(dialog, type, Path({L"Alpha", L"First"}));
            const Replies replies = AwaitExactly(dialog, 1);
            EXPECT_EQ(replies.finished, 1);
            EXPECT_EQ(replies.total(), 1);
            EXPECT_EQ(SelectedItem(dialog.tree()), first);
        }
        {
            Installation installation(dialog, type, Path({L"Alpha", L"Second"}));
            const Replies replies = AwaitExactly(dialog, 1);
            EXPECT_EQ(replies.finished, 1);
            EXPECT_EQ(replies.total(), 1);
            EXPECT_EQ(SelectedItem(dialog.tree()), second);
        }
        {
            Installation installation(dialog, type, Path({L"Alpha", L"Third"}));
            const Replies replies = AwaitExactly(dialog, 1);
            EXPECT_EQ(replies.notReached, 1);
            EXPECT_EQ(replies.total(), 1);
            EXPECT_EQ(SelectedItem(dialog.tree()), alpha) << "the deepest level reached stays selected";
        }
    }
}

// A tree whose "next sibling" answer never runs out (here: every item is its
// own next sibling) must not keep the dialog's thread inside the hook.
LRESULT CALLBACK EndlessSiblings(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TVM_GETNEXTITEM && wParam == TVGN_NEXT)
        return lParam;
    return CallTreeProcedure(tree, message, wParam, lParam);
}

TEST(HookLibrary, EndlessSiblingChainEndsTheWalkAndTheDialogStillAnswers) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(StyleName(type));
        DialogThread dialog(type, [](HWND tree, HTREEITEM root) {
            AddItem(tree, root, L"Alpha");
            SubclassTree(tree, EndlessSiblings);
        });
        Installation installation(dialog, type, L"Omega");
        const Replies replies = AwaitExactly(dialog, 1);
        EXPECT_EQ(replies.notReached, 1);
        EXPECT_EQ(replies.total(), 1);
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutW(dialog.dialog(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result), 0)
            << "the dialog's thread no longer answers";
        EXPECT_EQ(SelectedItem(dialog.tree()), nullptr);
    }
}

// Reading an item's text can run the dialog's own code (a text callback),
// which may pump messages: here every read posts a WM_NULL and retrieves it,
// so the hook is called inside its own acting call.
LRESULT CALLBACK PumpingOnRead(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    static bool pumping = false;
    if (message == TVM_GETITEMW && !pumping) {
        pumping = true;
        PostMessageW(GetAncestor(tree, GA_ROOT), WM_NULL, 0, 0);
        MSG retrieved;
        while (PeekMessageW(&retrieved, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&retrieved);
        pumping = false;
    }
    return CallTreeProcedure(tree, message, wParam, lParam);
}

TEST(HookLibrary, CallsFromInsideAnActingCallPassOn) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(StyleName(type));
        HTREEITEM alpha = nullptr;
        HTREEITEM beta = nullptr;
        DialogThread dialog(type, [&](HWND tree, HTREEITEM root) {
            alpha = AddItem(tree, root, L"Alpha");
            AddItem(tree, alpha, L"Other");
            beta = AddItem(tree, alpha, L"Beta");
            SubclassTree(tree, PumpingOnRead);
        });
        Installation installation(dialog, type, Path({L"Alpha", L"Beta"}));
        const Replies replies = AwaitExactly(dialog, 1);
        EXPECT_EQ(replies.finished, 1);
        EXPECT_EQ(replies.total(), 1) << "one installation, one reply";
        EXPECT_EQ(SelectedItem(dialog.tree()), beta);
    }
}

// Tree-view messages that a tree received from another thread.
std::atomic<int> foreignTreeMessages{0};

LRESULT CALLBACK CountingForeignTreeMessages(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= TV_FIRST && message < TV_FIRST + 0x100 && InSendMessage())
        ++foreignTreeMessages;
    return CallTreeProcedure(tree, message, wParam, lParam);
}

// Two runs overlap: a hook still installed in one dialog's thread sees the
// other run's installation. It must leave the other thread's dialog alone.
TEST(HookLibrary, HookLeavesDialogsOfOtherThreadsAlone) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(StyleName(type));
        foreignTreeMessages = 0;
        auto prepare = [](HWND tree, HTREEITEM root) {
            const HTREEITEM alpha = AddItem(tree, root, L"Alpha");
            AddItem(tree, alpha, L"First");
            AddItem(tree, alpha, L"Second");
            SubclassTree(tree, CountingForeignTreeMessages);
        };
        DialogThread first(type, prepare);
        DialogThread second(type, prepare);

        Installation one(first, type, Path({L"Alpha", L"First"}));
        EXPECT_EQ(AwaitExactly(first, 1).finished, 1);
        // The second run installs while its dialog's thread is held, so that
        // the first dialog's thread, with its hook still in place, sees the
        // new installation first.
        ASSERT_TRUE(second.Hold());
        Installation two(second, type, Path({L"Alpha", L"Second"}));
        for (UINT message : {UINT{WM_NULL}, UINT{WM_USER}, UINT{WM_NULL}})
            PostMessageW(first.dialog(), message, 0, 0);
        EXPECT_EQ(RepliesSoFar(first).total(), 0) << "the first dialog's hook acted on the second installation";
        second.Release();
        const Replies replies = AwaitExactly(second, 1);
        EXPECT_EQ(replies.finished, 1);
        EXPECT_EQ(replies.total(), 1);

        EXPECT_EQ(foreignTreeMessages.load(), 0) << "a tree received messages from the other dialog's thread";
    }
}

} // namespace
