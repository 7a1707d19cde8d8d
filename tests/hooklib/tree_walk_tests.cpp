// The tree walk of the hook library against real tree-view controls filled
// with fixed item trees; the walk runs in the test's thread, as it runs in the
// dialog's thread when the hook calls it.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "hooklib/CorvaneLib.h"
#include "hooklib/tree_walk.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;

// A display path of these components.
std::wstring Path(std::initializer_list<std::wstring> components) {
    std::wstring path;
    for (const std::wstring& component : components) {
        if (&component != components.begin())
            path += cvlib::kComponentSeparator;
        path += component;
    }
    return path;
}

class ItemTree {
public:
    ItemTree() : top_(test::CreateTopLevel(L"CorvaneTreeWalkTest")) {
        tree_ = test::CreateChild(top_.get(), WC_TREEVIEWW, 14145, L"", TVS_HASBUTTONS | TVS_HASLINES);
        root_ = Add(TVI_ROOT, L"Desktop");
    }
    HWND window() const { return tree_; }
    HTREEITEM root() const { return root_; }

    // An item that announces children, as a folder dialog inserts its
    // folders, unless told otherwise.
    HTREEITEM Add(HTREEITEM parent, const std::wstring& text, bool announcesChildren = true) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.cChildren = announcesChildren ? 1 : 0;
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
    void Delete(HTREEITEM item) { SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)); }

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
    Walk(HWND tree, const std::wstring& title) : tree_(tree), carrier_(Carrier(title)) {
        cvlib::BeginTreeWalk(state_, tree, carrier_.get());
    }
    // A nudge, then what it posts retrieved as the dialog's thread retrieves
    // it, each mark taken as the hook takes it, until the walk has more to
    // say than Waiting.
    cvlib::WalkStep Step() {
        cvlib::WalkStep step = cvlib::ContinueTreeWalk(state_, true);
        for (MSG message; step == cvlib::WalkStep::Waiting && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            if (cvlib::TakeWalkMark(state_, message))
                step = cvlib::ContinueTreeWalk(state_, false);
            DispatchMessageW(&message);
        }
        return step;
    }
    // Nudges while the walk answers not yet; returns how often it did.
    int NotYetAnswersBeforeEnd(int limit = 1000) {
        int notYet = 0;
        while (notYet < limit && Step() == cvlib::WalkStep::NotYet)
            ++notYet;
        return notYet;
    }
    cvlib::TreeWalk& state() { return state_; }
    HWND carrier() const { return carrier_.get(); }
    // The next message the walk posted to the tree, left unhandled.
    MSG RetrievePosted() const {
        MSG message{};
        EXPECT_TRUE(PeekMessageW(&message, tree_, 0, 0, PM_REMOVE)) << "nothing posted to the tree";
        return message;
    }

private:
    HWND tree_;
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

    Walk walk(tree.window(), Path({L"Alpha", L"Beta", L"Gamma"}));
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), gamma);
    EXPECT_TRUE(tree.Expanded(alpha));
    EXPECT_TRUE(tree.Expanded(beta));
    EXPECT_FALSE(tree.Expanded(gamma)) << "the last level is selected, not expanded";
}

// The walk posts marks that hold no item: only a mark of this walk, taken
// when it is retrieved, becomes the tree's message, for the item found then.
TEST(TreeWalk, PostedMarksBecomeTheTreesMessagesOnlyWhenTaken) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    const HTREEITEM beta = tree.Add(alpha, L"Beta");
    Walk walk(tree.window(), Path({L"Alpha", L"Beta"}));
    EXPECT_EQ(cvlib::ContinueTreeWalk(walk.state(), true), cvlib::WalkStep::Waiting);

    MSG mark = walk.RetrievePosted();
    EXPECT_TRUE(cvlib::IsWalkMark(mark));
    EXPECT_EQ(mark.wParam, cvlib::kSelectMark);
    EXPECT_EQ(mark.lParam, reinterpret_cast<LPARAM>(walk.carrier())) << "the mark names the run, not an item";
    MSG otherRun = mark;
    otherRun.lParam = reinterpret_cast<LPARAM>(tree.window());
    MSG outOfTurn = mark;
    outOfTurn.wParam = cvlib::kCarriedOutMark;
    for (MSG* foreign : {&otherRun, &outOfTurn}) {
        const MSG before = *foreign;
        EXPECT_FALSE(cvlib::TakeWalkMark(walk.state(), *foreign));
        EXPECT_EQ(foreign->message, UINT{WM_NULL});
        EXPECT_EQ(foreign->wParam, before.wParam) << "a foreign mark is left alone";
    }

    ASSERT_TRUE(cvlib::TakeWalkMark(walk.state(), mark));
    EXPECT_EQ(mark.message, UINT{TVM_SELECTITEM});
    EXPECT_EQ(mark.lParam, reinterpret_cast<LPARAM>(alpha));
    EXPECT_EQ(tree.Selected(), nullptr) << "selected inside the walk's call";
    DispatchMessageW(&mark);
    EXPECT_EQ(tree.Selected(), alpha);
    EXPECT_EQ(cvlib::ContinueTreeWalk(walk.state(), true), cvlib::WalkStep::Waiting) << "waits for its next mark";

    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), beta);
    EXPECT_TRUE(tree.Expanded(alpha));
}

// The dialog deletes the item after the walk posted its mark, and inserts
// another (which may take the freed item's memory): the tree is handed
// nothing, nothing more is selected and the walk ends short of the target.
TEST(TreeWalk, ItemDeletedBeforeItsMarkIsTakenIsNotHandedToTheTree) {
    struct Row {
        const char* when;
        int marksTakenBefore; // 0: before the selection, 1: before the expansion
    };
    for (const Row& row : {Row{"before the selection", 0}, Row{"before the expansion", 1}}) {
        SCOPED_TRACE(row.when);
        ItemTree tree;
        const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
        tree.Add(alpha, L"Beta");
        Walk walk(tree.window(), Path({L"Alpha", L"Beta"}));
        ASSERT_EQ(cvlib::ContinueTreeWalk(walk.state(), true), cvlib::WalkStep::Waiting);
        for (int i = 0; i < row.marksTakenBefore; ++i) {
            MSG mark = walk.RetrievePosted();
            ASSERT_TRUE(cvlib::TakeWalkMark(walk.state(), mark));
            DispatchMessageW(&mark);
        }
        tree.Delete(alpha);
        const HTREEITEM replacement = tree.Add(tree.root(), L"Replacement");

        MSG mark = walk.RetrievePosted();
        ASSERT_TRUE(cvlib::TakeWalkMark(walk.state(), mark));
        EXPECT_EQ(mark.message, UINT{WM_NULL});
        EXPECT_EQ(mark.lParam, 0) << "an item handle reached the tree";
        DispatchMessageW(&mark);
        EXPECT_EQ(cvlib::ContinueTreeWalk(walk.state(), true), cvlib::WalkStep::NotReached);
        EXPECT_NE(tree.Selected(), replacement);
        if (row.marksTakenBefore == 0) {
            EXPECT_EQ(tree.Selected(), nullptr);
        }
        EXPECT_FALSE(tree.Expanded(replacement));
    }
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
        std::wstring path;
        const char* why;
    };
    for (const Case& c : {Case{Path({L"Alpha", L"beta", L"Gamma"}), "letter case differs"},
                          Case{Path({L"Alpha", L"Bet", L"Gamma"}), "component is a prefix of the item"},
                          Case{Path({L"Alpha", L"Betam", L"Gamma"}), "longer than one item, shorter than another"},
                          Case{Path({L"Alpha", L"Beta ", L"Gamma"}), "trailing blank"},
                          Case{Path({L"Alpha", L"Beta\\Gamma"}), "a backslash separates nothing"}}) {
        SCOPED_TRACE(c.why);
        SendMessageW(tree.window(), TVM_SELECTITEM, TVGN_CARET, 0);
        Walk walk(tree.window(), c.path);
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), alpha) << "the deepest matched level stays selected";
    }
}

// The shell names a mapped network drive after its share: one component.
TEST(TreeWalk, ComponentMayHoldBackslashes) {
    ItemTree tree;
    const HTREEITEM computer = tree.Add(tree.root(), L"This PC");
    const HTREEITEM drive = tree.Add(computer, L"Public (\\\\nas) (Z:)");
    const HTREEITEM folder = tree.Add(drive, L"Reports");
    Walk walk(tree.window(), Path({L"This PC", L"Public (\\\\nas) (Z:)", L"Reports"}));
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), folder);
}

// The empty component after a trailing separator names no folder.
TEST(TreeWalk, TrailingSeparatorEndsAtLastComponentExpanded) {
    ItemTree tree;
    const HTREEITEM alpha = tree.Add(tree.root(), L"Alpha");
    const HTREEITEM beta = tree.Add(alpha, L"Beta");
    tree.Add(beta, L"Child");
    Walk walk(tree.window(), Path({L"Alpha", L"Beta", L""}));
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
    EXPECT_EQ(tree.Selected(), beta);
    EXPECT_TRUE(tree.Expanded(beta));
}

// A folder that announces children is waited for, each level with its own
// budget of not-yet answers; a nudge-free call spends none of it. One that
// announces none ends the walk at once.
TEST(TreeWalk, ChildrenThatAppearLateAreWaitedForLevelByLevel) {
    ItemTree tree;
    const HTREEITEM first = tree.Add(tree.root(), L"First");
    Walk walk(tree.window(), Path({L"First", L"Second", L"Leaf"}));
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(walk.Step(), cvlib::WalkStep::NotYet) << "not-yet answer " << i;
    EXPECT_EQ(cvlib::ContinueTreeWalk(walk.state(), false), cvlib::WalkStep::Waiting);
    EXPECT_EQ(tree.Selected(), first);

    const HTREEITEM second = tree.Add(first, L"Second");
    EXPECT_EQ(walk.NotYetAnswersBeforeEnd(), cvlib::kNotYetPerLevel) << "the second level's own budget";
    EXPECT_EQ(tree.Selected(), second);
    tree.Add(second, L"Leaf");
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached) << "children that came after the walk gave up";

    ItemTree late;
    const HTREEITEM slow = late.AddChain(late.root(), {L"Alpha", L"Slow"});
    Walk waiting(late.window(), Path({L"Alpha", L"Slow", L"Leaf"}));
    EXPECT_EQ(waiting.Step(), cvlib::WalkStep::NotYet);
    const HTREEITEM leaf = late.Add(slow, L"Leaf");
    EXPECT_EQ(waiting.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(late.Selected(), leaf);

    ItemTree bare;
    const HTREEITEM empty = bare.Add(bare.AddChain(bare.root(), {L"Alpha"}), L"Empty", false);
    Walk ending(bare.window(), Path({L"Alpha", L"Empty", L"Below"}));
    EXPECT_EQ(ending.NotYetAnswersBeforeEnd(), 0);
    EXPECT_EQ(bare.Selected(), empty);
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
    Walk walk(tree.window(), Path({L"Desktop", L"Alpha"}));
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
        Walk walk(tree.window(), Path({L"Alpha", *name}));
        EXPECT_EQ(walk.Step(), cvlib::WalkStep::NotReached);
        EXPECT_EQ(tree.Selected(), alpha) << "component of " << name->size() << " units";
    }
    Walk walk(tree.window(), Path({L"Alpha", fittingName}));
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), fitting);
}

TEST(TreeWalk, CarrierTitleIsReadUpTo2047Units) {
    ItemTree tree;
    const std::wstring first(1000, L'a');
    const std::wstring second(1000, L'b');
    // 1000 + 1 + 1000 + 1 = 2002 units before the last component: 45 of its
    // 50 units fit.
    const std::wstring title = Path({first, second, std::wstring(50, L'c')});
    const HTREEITEM level = tree.AddChain(tree.root(), {first.c_str(), second.c_str()});
    tree.Add(level, std::wstring(50, L'c'));
    const HTREEITEM cut = tree.Add(level, std::wstring(45, L'c'));

    Walk walk(tree.window(), title);
    EXPECT_EQ(std::wstring(walk.state().path).size(), 2047u);
    EXPECT_EQ(walk.Step(), cvlib::WalkStep::Finished);
    EXPECT_EQ(tree.Selected(), cut);
}

} // namespace
