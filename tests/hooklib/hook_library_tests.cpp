// The hook library's export and hook procedures with a real hook installed in
// a second thread of the test, which owns a dialog with a real tree view; the
// test's own thread owns the carrier window and receives the replies.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "hooklib/CorvaneLib.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;

constexpr UINT kWalkFinished = WM_APP;
constexpr UINT kWalkNotYet = WM_APP + 1;

HTREEITEM AddItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM SelectedItem(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// Builds the tree a folder dialog of the given type has, in the place where
// the hook looks for it.
HWND CreateFolderDialogTree(HWND dialog, DialogType type) {
    if (type == OldFolderBrowser)
        return test::CreateChild(dialog, WC_TREEVIEWW, 14145);
    const HWND nameSpace = test::CreateChild(dialog, L"SHBrowseForFolder ShellNameSpace Control", 0);
    return test::CreateChild(nameSpace, WC_TREEVIEWW, 100);
}

// A folder dialog owned by its own thread, which retrieves messages until the
// object goes.
class DialogThread {
public:
    explicit DialogThread(DialogType type) {
        std::atomic<bool> ready{false};
        thread_ = std::thread([&] {
            test::OwnedWindow dialog = test::CreateTopLevel(L"#32770");
            dialog_ = dialog.get();
            tree_ = CreateFolderDialogTree(dialog_, type);
            root_ = AddItem(tree_, TVI_ROOT, L"Desktop");
            threadId_ = GetCurrentThreadId();
            ready = true;
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                DispatchMessageW(&message);
        });
        while (!ready)
            Sleep(5);
    }
    ~DialogThread() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND dialog() const { return dialog_; }
    HWND tree() const { return tree_; }
    HTREEITEM root() const { return root_; }

private:
    std::thread thread_;
    HWND dialog_ = nullptr;
    HWND tree_ = nullptr;
    HTREEITEM root_ = nullptr;
    DWORD threadId_ = 0;
};

struct Replies {
    int finished = 0;
    int notYet = 0;
};

// Collects the hook's replies that reach this thread within the given time.
Replies CollectReplies(DWORD milliseconds) {
    Replies replies;
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == kWalkFinished)
                ++replies.finished;
            else if (message.message == kWalkNotYet)
                ++replies.notYet;
            else
                DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
    return replies;
}

// One installation: carrier titled with the path, hook removed at the end.
class Installation {
public:
    Installation(const DialogThread& dialog, DialogType type, const std::wstring& path)
        : carrier_(CreateWindowExW(0, L"STATIC", path.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                                   nullptr)),
          hook_(CVLib_SetFolderDialog(dialog.dialog(), carrier_.get(), type)) {}
    ~Installation() {
        if (hook_ != nullptr)
            UnhookWindowsHookEx(hook_);
    }
    HHOOK hook() const { return hook_; }

private:
    test::OwnedWindow carrier_;
    HHOOK hook_;
};

TEST(HookLibrary, OtherTypesAndVanishedDialogsInstallNothing) {
    test::OwnedWindow dialog = test::CreateTopLevel(L"#32770");
    CreateFolderDialogTree(dialog.get(), OldFolderBrowser);
    test::OwnedWindow carrier = test::CreateTopLevel(L"STATIC");
    test::PumpMessages(50);
    for (int type : {2, 3, 4}) {
        EXPECT_EQ(CVLib_SetFolderDialog(dialog.get(), carrier.get(), static_cast<DialogType>(type)), nullptr);
        MSG message;
        bool nudged = false;
        while (PeekMessageW(&message, dialog.get(), 0, 0, PM_REMOVE))
            nudged = nudged || message.message == WM_NULL;
        EXPECT_FALSE(nudged) << "type " << type << " posted WM_NULL to the dialog";
    }
    const HWND vanished = dialog.get();
    dialog.Reset();
    EXPECT_EQ(CVLib_SetFolderDialog(vanished, carrier.get(), OldFolderBrowser), nullptr);
}

TEST(HookLibrary, NewStyleHookAdvancesOnlyOnWmNull) {
    DialogThread dialog(NewFolderBrowser);
    const HTREEITEM alpha = AddItem(dialog.tree(), dialog.root(), L"Alpha");
    const HTREEITEM slow = AddItem(dialog.tree(), alpha, L"Slow");

    Installation installation(dialog, NewFolderBrowser, L"Alpha\\Slow\\Leaf");
    ASSERT_NE(installation.hook(), nullptr);
    Replies replies = CollectReplies(300);
    EXPECT_EQ(replies.notYet, 1) << "the export's own WM_NULL starts the walk";
    EXPECT_EQ(replies.finished, 0);
    EXPECT_EQ(SelectedItem(dialog.tree()), slow);

    for (UINT other : {UINT{WM_USER}, UINT{WM_TIMER}, UINT{WM_APP + 7}})
        PostMessageW(dialog.dialog(), other, 0, 0);
    replies = CollectReplies(300);
    EXPECT_EQ(replies.notYet + replies.finished, 0) << "messages other than WM_NULL change nothing";

    PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
    EXPECT_EQ(CollectReplies(300).notYet, 1);

    const HTREEITEM leaf = AddItem(dialog.tree(), slow, L"Leaf");
    PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
    replies = CollectReplies(300);
    EXPECT_EQ(replies.finished, 1);
    EXPECT_EQ(replies.notYet, 0);
    EXPECT_EQ(SelectedItem(dialog.tree()), leaf);

    PostMessageW(dialog.dialog(), WM_NULL, 0, 0);
    replies = CollectReplies(200);
    EXPECT_EQ(replies.notYet + replies.finished, 0) << "after finishing the hook only passes calls on";
}

TEST(HookLibrary, OldStyleHookAdvancesOnEveryRetrievedMessage) {
    DialogThread dialog(OldFolderBrowser);
    const HTREEITEM alpha = AddItem(dialog.tree(), dialog.root(), L"Alpha");
    const HTREEITEM slow = AddItem(dialog.tree(), alpha, L"Slow");

    Installation installation(dialog, OldFolderBrowser, L"Alpha\\Slow\\Leaf");
    ASSERT_NE(installation.hook(), nullptr);
    const Replies first = CollectReplies(300);
    EXPECT_GE(first.notYet, 1);
    EXPECT_EQ(SelectedItem(dialog.tree()), slow);

    PostMessageW(dialog.dialog(), WM_USER, 0, 0);
    EXPECT_GE(CollectReplies(300).notYet, 1) << "any retrieved message is another attempt";

    const HTREEITEM leaf = AddItem(dialog.tree(), slow, L"Leaf");
    PostMessageW(dialog.dialog(), WM_USER, 0, 0);
    EXPECT_EQ(CollectReplies(300).finished, 1);
    EXPECT_EQ(SelectedItem(dialog.tree()), leaf);
}

// A dialog process keeps the library mapped after the first run's hook is
// gone; the next run with another path must walk again.
TEST(HookLibrary, EachInstallationStartsAFreshWalk) {
    for (DialogType type : {OldFolderBrowser, NewFolderBrowser}) {
        SCOPED_TRACE(type == OldFolderBrowser ? "old style" : "new style");
        DialogThread dialog(type);
        const HTREEITEM alpha = AddItem(dialog.tree(), dialog.root(), L"Alpha");
        const HTREEITEM first = AddItem(dialog.tree(), alpha, L"First");
        const HTREEITEM second = AddItem(dialog.tree(), alpha, L"Second");
        {
            Installation installation(dialog, type, L"Alpha\\First");
            EXPECT_EQ(CollectReplies(300).finished, 1);
            EXPECT_EQ(SelectedItem(dialog.tree()), first);
        }
        {
            Installation installation(dialog, type, L"Alpha\\Second");
            EXPECT_EQ(CollectReplies(300).finished, 1);
            EXPECT_EQ(SelectedItem(dialog.tree()), second);
        }
    }
}

} // namespace
