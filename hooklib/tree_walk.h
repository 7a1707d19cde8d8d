#pragma once

#include <windows.h>
#include <commctrl.h>

// The walk along a display path through a tree-view control, one level per
// path component. Runs in the dialog's thread; allocates nothing.

namespace cvlib {

constexpr int kPathCapacity = 2048;
constexpr int kItemTextCapacity = 1024;
constexpr int kRetryBudget = 50;
// Items one call of ContinueTreeWalk looks at before it gives up: a tree
// whose sibling chain never ends must not hold the dialog's thread.
constexpr int kItemsPerCall = 65536;

// Finished: the whole path matched and its last item is selected. NotYet: an
// expanded item shows no child yet; call again later. NotReached: the walk
// ended before the last component (no tree or root, no matching sibling, the
// retry budget spent, the item bound reached); later calls say so again.
enum class WalkStep { Finished, NotYet, NotReached };

struct TreeWalk {
    wchar_t path[kPathCapacity];
    HWND tree;
    HTREEITEM current;
    const wchar_t* remaining;
    int retries;
};

// Where the component at remaining ends (the backslash or the terminating NUL)
// when text equals it exactly; null otherwise.
const wchar_t* MatchPathComponent(const wchar_t* remaining, const wchar_t* text);

// Reads the display path from the carrier's title and starts at the first
// child of the tree's root item.
void BeginTreeWalk(TreeWalk& walk, HWND tree, HWND carrier);

// Selects and expands matching items as far as the tree allows, looking at
// no more than kItemsPerCall items.
WalkStep ContinueTreeWalk(TreeWalk& walk);

} // namespace cvlib
