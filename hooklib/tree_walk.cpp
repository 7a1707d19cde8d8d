#include "hooklib/tree_walk.h"

#include <commctrl.h>

namespace cvlib {
namespace {

HTREEITEM NextItem(HWND tree, WPARAM relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool FillsBuffer(const wchar_t* text) {
    int length = 0;
    while (length < kItemTextCapacity && text[length] != L'\0')
        ++length;
    return length >= kItemTextCapacity - 1;
}

bool ReadItemText(HWND tree, HTREEITEM item, wchar_t* text) {
    TVITEMW query;
    query.mask = TVIF_TEXT | TVIF_HANDLE;
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
    // A text that fills the buffer may have been cut: its cut form could equal
    // another folder's name, so it is treated like an unreadable one.
    return !FillsBuffer(text);
}

// Posts the tree the selection of the current item, its expansion when the
// path goes deeper, and the mark behind them.
bool PostSelection(TreeWalk& walk, bool expand) {
    const LPARAM item = reinterpret_cast<LPARAM>(walk.current);
    if (!PostMessageW(walk.tree, TVM_SELECTITEM, TVGN_CARET, item))
        return false;
    if (expand && !PostMessageW(walk.tree, TVM_EXPAND, TVE_EXPAND, item))
        return false;
    if (!PostMessageW(walk.tree, WM_NULL, kCarriedOutMark, item))
        return false;
    walk.awaited = walk.current;
    return true;
}

} // namespace

const wchar_t* MatchPathComponent(const wchar_t* remaining, const wchar_t* text) {
    const wchar_t* position = remaining;
    while (*position != L'\0' && *position != L'\\') {
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
    walk.remaining = walk.path;
    walk.componentEnd = nullptr;
    walk.awaited = nullptr;
    walk.carriedOut = nullptr;
    walk.retries = 0;
    walk.current = nullptr;
    if (tree == nullptr)
        return;
    const HTREEITEM root = NextItem(tree, TVGN_ROOT, nullptr);
    if (root == nullptr)
        return;
    // The root itself is never compared: the first component names a child of it.
    walk.current = NextItem(tree, TVGN_CHILD, root);
}

WalkStep ContinueTreeWalk(TreeWalk& walk) {
    if (walk.awaited != nullptr)
        return WalkStep::Waiting;
    wchar_t text[kItemTextCapacity];
    for (int visited = 0; walk.current != nullptr; ++visited) {
        if (visited == kItemsPerCall) {
            walk.current = nullptr;
            break;
        }
        if (walk.current == walk.carriedOut) {
            if (*walk.componentEnd == L'\0') {
                if (NextItem(walk.tree, TVGN_CARET, nullptr) == walk.current)
                    return WalkStep::Finished;
                walk.current = nullptr;
                break;
            }
            const HTREEITEM child = NextItem(walk.tree, TVGN_CHILD, walk.current);
            if (child == nullptr && walk.retries < kRetryBudget) {
                ++walk.retries;
                return WalkStep::NotYet;
            }
            walk.current = child;
            walk.remaining = walk.componentEnd + 1;
            continue;
        }
        const wchar_t* end = nullptr;
        if (ReadItemText(walk.tree, walk.current, text))
            end = MatchPathComponent(walk.remaining, text);
        if (end == nullptr) {
            walk.current = NextItem(walk.tree, TVGN_NEXT, walk.current);
            continue;
        }
        walk.componentEnd = end;
        if (!PostSelection(walk, *end != L'\0')) {
            walk.current = nullptr;
            break;
        }
        return WalkStep::Waiting;
    }
    return WalkStep::NotReached;
}

void NoteRetrievedMessage(TreeWalk& walk, const MSG& message) {
    if (walk.awaited != nullptr && message.hwnd == walk.tree && message.message == WM_NULL &&
        message.wParam == kCarriedOutMark && message.lParam == reinterpret_cast<LPARAM>(walk.awaited)) {
        walk.carriedOut = walk.awaited;
        walk.awaited = nullptr;
    }
}

} // namespace cvlib
