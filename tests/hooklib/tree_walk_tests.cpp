// The tree walk of the hook library against real tree-view controls filled
// with fixed item trees; the walk runs in the test's thread, as it runs in the
// dialog's thread when the hook calls it.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "hooklib/tree_walk.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;

class ItemTree {
public:
    ItemTree() : top_(test::CreateTopLevel(L"CorvaneTreeWalkTest")) {
        tree_ = test::CreateChild(top_.get(), WC_TREEVIEWW, 14145, L"", TVS_HASBUTTONS | TVS_HASLINES);
        root_ = Add(TVI_ROOT, L"Desktop");
    }
    HWND window() const { return tree_; }
    HTREEITEM root() const { return root_; }

    HTREEITEM Add(HTREEITEM parent, const std::wstring& text) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    // Adds a chain of items, each below the one before; returns the last.
    HTREEITEM AddChain(HTREEITEM parent, std::initializer_list<const wchar_t*> texts) {
        for (const wchar_t* text : texts)
            parent = Add(parent, text);
        return parent;
    }
    HTREEITEM Selected() const {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }
    bool Expanded(HTREEITEM item) const {
        return (SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }

private:
    test::OwnedWindow top_;
    HWND tree_ = nullptr;
    HTREEITEM root_ = nullptr;
};

test::OwnedWindow Carrier(const std::wstring& title) {
    return test::OwnedWindow(CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr));
}

// A walk along the carrier title's path, as the hook runs it.
class Walk {
public:
    Walk(HWND tree, const std::wstring& title) : carrier_(Carrier(title)) {
        cvlib::BeginTreeWalk(state_, tree, carrier_.get());
    }
    // One call of the walk, as the hook makes it for a retrieved message.
    cvlib::WalkStep Call(const MSG& retrieved = {}) {
        cvlib::NoteRetrievedMessage(state_, retrieved);
        return cvlib::ContinueTreeWalk(state_);
    }
    // Calls the walk until it has more to say than Waiting, retrieving and
    // dispatching what it posts, as the dialog's thread does.
    cvlib::WalkStep Step() {
        cvlib::WalkStep step = Call();
        for (MSG message; step == cvlib::WalkStep::Waiting && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            step = Call(message);
            DispatchMessageW(&message);
        }
        return step;
    }
    // Continues while the walk answers not yet; returns how often it did.
    int NotYetAnswersBeforeEnd(int limit = 200) {
        int notYet = 0;
        while (notYet < limit && Step() == cvlib::WalkStep::NotYet)
            ++notYet;
        return notYet;
    }
    const wchar_t* path() const { return state_.path; }

private:
    test::OwnedWindow carrier_;
    cvlib::TreeWalk state_{};
};

TEST(TreeWalk, SelectsAndExpandsEachMatchingLevel) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    tree.Add(tree.root(), L"Other");
    const HTREEITEM beta = tree.Add(alpha, L"Beta");
    tree.Add(alpha, L"Beta2");
    const HTREEITEM gamma = tree.Add(beta, L"Gamma");
    tree.Add(gamma, L"below the target");

    Walk walk(tree.window(), L"Alpha\\Beta\\Gamma");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), gamma);
    EXPECT_TRUE(tree.Expanded(alpha));
    EXPECT_TRUE(tree.Expanded(beta));
    EXPECT_FALSE(tree.Expanded(gamma)) << "the last level is selected, not expanded";
}

// The walk posts its selections and expansions: the tree carries them out
// after the walk's call has returned, and the walk goes on only behind its
// own mark for that item.
TEST(TreeWalk, SelectionAndExpansionRunAfterTheCallThatPostsThem) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    const HTREEITEM beta = tree.Add(alpha, L"Beta");
    Walk walk(tree.window(), L"Alpha\\Beta");
    EXPECT_EQ(walk.Call(), cvlib::WalkStep::Waiting);
    EXPECT_EQ(tree.Selected(), nullptr) << "selected inside the walk's call";
    EXPECT_FALSE(tree.Expanded(alpha)) << "expanded inside the walk's call";

    const auto mark = [&](WPARAM wParam, HTREEITEM item) {
        MSG message{};
        message.hwnd = tree.window();
        message.message = WM_NULL;
        message.wParam = wParam;
        message.lParam = reinterpret_cast<LPARAM>(item);
        return message;
    };
    EXPECT_EQ(walk.Call(mark(0, alpha)), cvlib::WalkStep::Waiting) << "a plain WM_NULL";
    EXPECT_EQ(walk.Call(mark(cvlib::kCarriedOutMark, beta)), cvlib::WalkStep::Waiting) << "another item's mark";
    MSG message;
    int posted = 0;
    while (PeekMessageW(&message, tree.window(), 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
        ++posted;
    }
    EXPECT_EQ(posted, 3) << "selection, expansion and mark";
    EXPECT_EQ(tree.Selected(), alpha);
    EXPECT_TRUE(tree.Expanded(alpha));
    EXPECT_EQ(walk.Call(mark(cvlib::kCarriedOutMark, alpha)), cvlib::WalkStep::Waiting) << "Beta posted in turn";
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), beta);
}

// A last item that the tree does not select (here its parent vetoes the
// change) is not reported as reached.
LRESULT CALLBACK VetoingSelectionChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == TVN_SELCHANGINGW)
        return TRUE;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(TreeWalk, SelectionTheTreeRefusesIsNotReached) {
    ItemTree tree;
    tree.Add(tree.root(), L"Alpha");
    SetWindowLongPtrW(GetParent(tree.window()), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(VetoingSelectionChanges));
    Walk walk(tree.window(), L"Alpha");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    EXPECT_EQ(tree.Selected(), nullptr);
}

TEST(TreeWalk, ComponentsMatchOnlyExactly) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    tree.AddChain(alpha, {L"Beta", L"Gamma"});
    tree.Add(alpha, L"Betamax");

    struct Case {
        const wchar_t* path;
        const char* why;
    };
    for (const Case& c : {Case{L"Alpha\\beta\\Gamma", "letter case differs"},
                          Case{L"Alpha\\Bet\\Gamma", "component is a prefix of the item"},
                          Case{L"Alpha\\Betam\\Gamma", "component is longer than one item, shorter than another"},
                          Case{L"Alpha\\Beta \\Gamma", "trailing blank"}}) {
        SCOPED_TRACE(c.why);
        SendMessageW(tree.window(), TVM_SELECTITEM, TVGN_CARET, 0);
        Walk walk(tree.window(), c.path);
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), alpha) << "the deepest matched level stays selected";
    }
}

// The empty component after a trailing backslash names no folder.
TEST(TreeWalk, TrailingBackslashEndsAtLastComponentExpanded) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    const HTREEITEM beta = tree.Add(alpha, L"Beta");
    tree.Add(beta, L"Child");
    {
        Walk walk(tree.window(), L"Alpha\\Beta\\");
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), beta);
        EXPECT_TRUE(tree.Expanded(beta));
    }
    // Below a last item without children the retry rule comes first.
    const HTREEITEM leaf = tree.Add(alpha, L"Leaf");
    Walk walk(tree.window(), L"Alpha\\Leaf\\");
    EXPECT_EQ(walk.NotYetAnswersBeforeEnd(), cvlib::kRetryBudget);
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    EXPECT_EQ(tree.Selected(), leaf);
}

TEST(TreeWalk, ChildrenThatAppearLateAreWaitedFor) {
    ItemTree tree;
    const HTREEITEM slow = tree.AddChain(tree.root(), {L"Alpha", L"Slow"});
    Walk walk(tree.window(), L"Alpha\\Slow\\Leaf");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotYet);
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotYet);
    EXPECT_EQ(tree.Selected(), slow);

    tree.Add(slow, L"Other");
    const HTREEITEM leaf = tree.Add(slow, L"Leaf");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), leaf);
}

TEST(TreeWalk, TwoSlowLevelsShareOneRetryBudget) {
    ItemTree tree;
    const HTREEITEM first = tree.Add(tree.root(), L"First");
    Walk walk(tree.window(), L"First\\Second\\Leaf");
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(walk.Step(), cvlib::WalkStep::NotYet) << "retry " << i;
    const HTREEITEM second = tree.Add(first, L"Second");

    // Second never shows children: what the first level left over is spent.
    EXPECT_EQ(walk.NotYetAnswersBeforeEnd(), cvlib::kRetryBudget - 30);
    EXPECT_EQ(tree.Selected(), second);
    // Children that come after the walk gave up change nothing.
    tree.Add(second, L"Leaf");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    EXPECT_EQ(tree.Selected(), second);
}

TEST(TreeWalk, EmptyTitleMatchesOnlyAnItemWithEmptyText) {
    ItemTree tree;
    tree.AddChain(tree.root(), {L"Alpha", L""});
    {
        Walk walk(tree.window(), L"");
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), nullptr);
    }
    const HTREEITEM blank = tree.Add(tree.root(), L"");
    Walk walk(tree.window(), L"");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), blank);
}

TEST(TreeWalk, RootItemIsNeverCompared) {
    ItemTree tree;
    tree.Add(tree.root(), L"Alpha");
    Walk walk(tree.window(), L"Desktop\\Alpha");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    EXPECT_EQ(tree.Selected(), nullptr);
}

TEST(TreeWalk, NoTreeOrEmptyTreeEndsAtOnce) {
    {
        Walk walk(nullptr, L"Alpha");
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    }
    test::OwnedWindow top = test::CreateTopLevel(L"CorvaneTreeWalkTest");
    const HWND empty = test::CreateChild(top.get(), WC_TREEVIEWW, 14145);
    Walk walk(empty, L"Alpha");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
}

TEST(TreeWalk, ItemTextThatMayBeCutNeverMatches) {
    ItemTree tree;
    const std::wstring longName(1500, L'n');
    const std::wstring cutName(cvlib::kItemTextCapacity - 1, L'n');
    const std::wstring fittingName(cvlib::kItemTextCapacity - 2, L'f');
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    tree.Add(alpha, longName);
    const HTREEITEM fitting = tree.Add(alpha, fittingName);

    for (const std::wstring* name : {&longName, &cutName}) {
        SendMessageW(tree.window(), TVM_SELECTITEM, TVGN_CARET, 0);
        Walk walk(tree.window(), L"Alpha\\" + *name);
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), alpha) << "component of " << name->size() << " units";
    }
    Walk walk(tree.window(), L"Alpha\\" + fittingName);
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), fitting);
}

TEST(TreeWalk, CarrierTitleIsReadUpTo2047Units) {
    ItemTree tree;
    const std::wstring first(1000, L'a');
    const std::wstring second(1000, L'b');
    // 1000 + 1 + 1000 + 1 = 2002 units before the last component: 45 of its
    // 50 units fit.
    const std::wstring title = first + L"\\" + second + L"\\" + std::wstring(50, L'c');
    const HTREEITEM level = tree.AddChain(tree.root(), {first.c_str(), second.c_str()});
    tree.Add(level, std::wstring(50, L'c'));
    const HTREEITEM cut = tree.Add(level, std::wstring(45, L'c'));

    Walk walk(tree.window(), title);
    EXPECT_EQ(std::wstring(walk.path()).size(), 2047u);
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), cut);
}

} // namespace
