#pragma once

#include <windows.h>
#include <commctrl.h>

// The walk along a display path through a tree-view control, one level per
// path component. Runs in the dialog's thread; allocates nothing.

namespace cvlib {

constexpr int kPathCapacity = 2048;
constexpr int kItemTextCapacity = 1024;
constexpr int kRetryBudget = 50;

enum class WalkStep { Finished, NotYet };

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

// Selects and expands matching items as far as the tree allows.
WalkStep ContinueTreeWalk(TreeWalk& walk);

} // namespace cvlib
