#pragma once

#include <windows.h>
#include <commctrl.h>

// The walk along a display path through a tree-view control, one level per
// path component. Runs in the dialog's thread; allocates nothing.
//
// A tree view takes item handles as pointers, unchecked, and the dialog may
// delete items at any time (a shell change notification, its own code). So
// the walk keeps no item between calls: every call finds the items it needs
// again from the root, by their texts, and hands the tree only items found in
// that same call.
//
// It reads the tree by sent messages but never selects or expands from inside
// its call: it posts the tree a mark, and when the mark is retrieved it
// rewrites it into the selection or expansion of the item found again just
// then. What the dialog does on a selection or an expansion (list a slow
// volume, wake a network share) thus runs after the hook call has returned,
// in the dialog's own dispatch; a mark retrieved without the hook, or for
// another run, stays an empty WM_NULL.

namespace cvlib {

constexpr int kPathCapacity = 2048;
constexpr int kItemTextCapacity = 1024;
// Not-yet answers for one level whose folder shows no children yet. Each
// answers a nudge, and the nudges back off to a few hundred milliseconds:
// more than the program's own bound of the walk.
constexpr int kNotYetPerLevel = 100;
// Items one call looks at before it gives up: a tree whose sibling chain
// never ends must not hold the dialog's thread.
constexpr int kItemsPerCall = 65536;

// Where browse-for-folder dialogs keep their tree: a direct child of the old
// style, a child of the namespace control in the new style.
constexpr int kOldStyleTreeId = 14145;
constexpr int kNameSpaceTreeId = 100;
constexpr wchar_t kNameSpaceClass[] = L"SHBrowseForFolder ShellNameSpace Control";

// The walk's marks: WM_NULL posted to the tree, wParam one of these, lParam
// the run's carrier window.
constexpr WPARAM kSelectMark = 0x43564C40;
constexpr WPARAM kExpandMark = kSelectMark + 1;
constexpr WPARAM kCarriedOutMark = kSelectMark + 2;

// Finished: the whole path matched and its last item is selected. Waiting:
// nothing to report (a mark is on its way, or the walk waits for a nudge).
// NotYet: an expanded item shows no child yet; nudge later. NotReached: the
// walk ended before the last component (no tree or root, no matching
// sibling, an item gone from the tree, a folder that shows no children, the
// not-yet budget spent, the item bound reached, a selection the tree
// refused); later calls say so again.
enum class WalkStep { Finished, Waiting, NotYet, NotReached };

enum class WalkPhase {
    Matching,         // the current level's item is still to be found
    Marked,           // a mark for the current level's item is on its way
    CarriedOut,       // the tree has selected (and expanded) that item
    AwaitingChildren, // the expanded item showed no children yet
    Lost,             // the item went from the tree before the tree acted
    Ended,
};

struct TreeWalk {
    wchar_t path[kPathCapacity];
    HWND tree;
    // Names the run in the walk's marks.
    HWND carrier;
    WalkPhase phase;
    // The component being worked on: its index and where it begins.
    int level;
    const wchar_t* component;
    // The mark on its way, while Marked.
    WPARAM pendingMark;
    // Whether the tree announced children for the current item before it was
    // expanded: a folder that shows none is not waited for.
    bool mayHaveChildren;
    int notYet;
};

// Where the component at remaining ends (the separator or the terminating
// NUL) when text equals it exactly; null otherwise.
const wchar_t* MatchPathComponent(const wchar_t* remaining, const wchar_t* text);

// Reads the display path from the carrier's title; the walk starts among the
// children of the tree's root item.
void BeginTreeWalk(TreeWalk& walk, HWND tree, HWND carrier);

// Whether the message is a mark of any run's walk.
bool IsWalkMark(const MSG& message);

// Takes a retrieved mark of this walk: a selection or expansion mark becomes,
// in place, that message for the item found again now (or stays an empty
// WM_NULL when the item has gone), and the next mark is posted behind it.
// False, with the message left alone, for anything else.
bool TakeWalkMark(TreeWalk& walk, MSG& message);

// Goes on as far as the tree allows without waiting for it, looking at no
// more than kItemsPerCall items. nudged: the call answers a nudge, which is
// when a level waiting for children looks again and answers not yet.
WalkStep ContinueTreeWalk(TreeWalk& walk, bool nudged);

} // namespace cvlib
