#include "hooklib/tree_walk.h"

#include <commctrl.h>

#include "hooklib/CorvaneLib.h"

namespace cvlib {
namespace {

HTREEITEM NextItem(HWND tree, WPARAM relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

const wchar_t* ComponentEnd(const wchar_t* component) {
    while (*component != L'\0' && *component != kComponentSeparator)
        ++component;
    return component;
}

bool IsLastComponent(const TreeWalk& walk) {
    return *ComponentEnd(walk.component) == L'\0';
}

bool FillsBuffer(const wchar_t* text) {
    int length = 0;
    while (length < kItemTextCapacity && text[length] != L'\0')
        ++length;
    return length >= kItemTextCapacity - 1;
}

// The item's text, and whether the tree announces children for it.
bool ReadItem(HWND tree, HTREEITEM item, wchar_t* text, bool& mayHaveChildren) {
    TVITEMW query;
    query.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_HANDLE;
    query.hItem = item;
    query.state = 0;
    query.stateMask = 0;
    query.pszText = text;
    query.cchTextMax = kItemTextCapacity;
    query.iImage = 0;
    query.iSelectedImage = 0;
    query.cChildren = 0;
    query.lParam = 0;
    text[0] = L'\0';
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) == 0)
        return false;
    text[kItemTextCapacity - 1] = L'\0';
    // I_CHILDRENCALLBACK counts as children: the dialog decides later.
    mayHaveChildren = query.cChildren != 0;
    // A text that fills the buffer may have been cut: its cut form could equal
    // another folder's name, so it is treated like an unreadable one.
    return !FillsBuffer(text);
}

// The first of first and its later siblings whose text is the component;
// null when there is none or the budget runs out.
HTREEITEM FindSibling(HWND tree, HTREEITEM first, const wchar_t* component, int& budget, bool& mayHaveChildren) {
    wchar_t text[kItemTextCapacity];
    for (HTREEITEM item = first; item != nullptr; item = NextItem(tree, TVGN_NEXT, item)) {
        if (--budget < 0)
            return nullptr;
        bool children = false;
        if (ReadItem(tree, item, text, children) && MatchPathComponent(component, text) != nullptr) {
            mayHaveChildren = children;
            return item;
        }
    }
    return nullptr;
}

// The item of the component at index depth, found from the root's children
// down; the root itself for depth -1. The root is never compared: the first
// component names a child of it.
HTREEITEM FindLevelItem(const TreeWalk& walk, int depth, int& budget) {
    HTREEITEM item = NextItem(walk.tree, TVGN_ROOT, nullptr);
    const wchar_t* component = walk.path;
    for (int level = 0; item != nullptr && level <= depth; ++level) {
        bool children = false;
        item = FindSibling(walk.tree, NextItem(walk.tree, TVGN_CHILD, item), component, budget, children);
        component = ComponentEnd(component) + 1;
    }
    return item;
}

WalkStep End(TreeWalk& walk) {
    walk.phase = WalkPhase::Ended;
    return WalkStep::NotReached;
}

bool PostMark(TreeWalk& walk, WPARAM mark) {
    if (!PostMessageW(walk.tree, WM_NULL, mark, reinterpret_cast<LPARAM>(walk.carrier)))
        return false;
    walk.phase = WalkPhase::Marked;
    walk.pendingMark = mark;
    return true;
}

// Finds the current component among first and its siblings and posts the
// mark that will have the tree select it.
WalkStep MatchLevel(TreeWalk& walk, HTREEITEM first, int& budget) {
    bool children = false;
    if (FindSibling(walk.tree, first, walk.component, budget, children) == nullptr)
        return End(walk);
    walk.mayHaveChildren = children;
    walk.notYet = 0;
    return PostMark(walk, kSelectMark) ? WalkStep::Waiting : End(walk);
}

} // namespace

const wchar_t* MatchPathComponent(const wchar_t* remaining, const wchar_t* text) {
    const wchar_t* position = remaining;
    while (*position != L'\0' && *position != kComponentSeparator) {
        if (*text != *position)
            return nullptr;
        ++position;
        ++text;
    }
    return *text == L'\0' ? position : nullptr;
}

void BeginTreeWalk(TreeWalk& walk, HWND tree, HWND carrier) {
    walk.path[0] = L'\0';
    GetWindowTextW(carrier, walk.path, kPathCapacity);
    walk.path[kPathCapacity - 1] = L'\0';
    walk.tree = tree;
    walk.carrier = carrier;
    walk.phase = WalkPhase::Matching;
    walk.level = 0;
    walk.component = walk.path;
    walk.pendingMark = 0;
    walk.mayHaveChildren = false;
    walk.notYet = 0;
}

bool IsWalkMark(const MSG& message) {
    return message.message == WM_NULL && message.wParam >= kSelectMark && message.wParam <= kCarriedOutMark;
}

bool TakeWalkMark(TreeWalk& walk, MSG& message) {
    if (!IsWalkMark(message) || message.hwnd != walk.tree ||
        message.lParam != reinterpret_cast<LPARAM>(walk.carrier) || walk.phase != WalkPhase::Marked ||
        message.wParam != walk.pendingMark)
        return false;
    const WPARAM mark = message.wParam;
    message.wParam = 0;
    message.lParam = 0;
    if (mark == kCarriedOutMark) {
        walk.phase = WalkPhase::CarriedOut;
        return true;
    }
    // Found before the next mark is posted: reading texts may run the
    // dialog's code, which may retrieve messages without the hook acting.
    int budget = kItemsPerCall;
    const HTREEITEM item = FindLevelItem(walk, walk.level, budget);
    const bool select = mark == kSelectMark;
    const WPARAM next = select && !IsLastComponent(walk) ? kExpandMark : kCarriedOutMark;
    if (item == nullptr || !PostMark(walk, next)) {
        walk.phase = WalkPhase::Lost;
        return true;
    }
    message.message = select ? TVM_SELECTITEM : TVM_EXPAND;
    message.wParam = select ? TVGN_CARET : TVE_EXPAND;
    message.lParam = reinterpret_cast<LPARAM>(item);
    return true;
}

WalkStep ContinueTreeWalk(TreeWalk& walk, bool nudged) {
    int budget = kItemsPerCall;
    switch (walk.phase) {
    case WalkPhase::Marked:
        return WalkStep::Waiting;
    case WalkPhase::Lost:
    case WalkPhase::Ended:
        return End(walk);
    case WalkPhase::Matching: {
        if (walk.tree == nullptr)
            return End(walk);
        const HTREEITEM parent = FindLevelItem(walk, walk.level - 1, budget);
        return parent != nullptr ? MatchLevel(walk, NextItem(walk.tree, TVGN_CHILD, parent), budget) : End(walk);
    }
    case WalkPhase::AwaitingChildren:
        if (!nudged)
            return WalkStep::Waiting;
        break;
    case WalkPhase::CarriedOut:
        break;
    }
    const HTREEITEM item = FindLevelItem(walk, walk.level, budget);
    if (item == nullptr)
        return End(walk);
    if (IsLastComponent(walk)) {
        walk.phase = WalkPhase::Ended;
        return NextItem(walk.tree, TVGN_CARET, nullptr) == item ? WalkStep::Finished : WalkStep::NotReached;
    }
    const HTREEITEM child = NextItem(walk.tree, TVGN_CHILD, item);
    if (child != nullptr) {
        ++walk.level;
        walk.component = ComponentEnd(walk.component) + 1;
        return MatchLevel(walk, child, budget);
    }
    if (!walk.mayHaveChildren || walk.notYet == kNotYetPerLevel)
        return End(walk);
    walk.phase = WalkPhase::AwaitingChildren;
    ++walk.notYet;
    return WalkStep::NotYet;
}

} // namespace cvlib
