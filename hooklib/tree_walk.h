#pragma once

#include <windows.h>
#include <commctrl.h>

// The walk along a display path through a tree-view control, one level per
// path component. Runs in the dialog's thread; allocates nothing.
//
// The walk reads the tree by sent messages but selects and expands by posted
// ones: what the dialog does on a selection or an expansion (list a slow
// volume, wake a network share) then runs after the hook call has returned,
// in the dialog's own dispatch. So no hook call lasts while the dialog works,
// and removing the hook never pulls the library from under a running call.

namespace cvlib {

constexpr int kPathCapacity = 2048;
constexpr int kItemTextCapacity = 1024;
constexpr int kRetryBudget = 50;
// Items one call of ContinueTreeWalk looks at before it gives up: a tree
// whose sibling chain never ends must not hold the dialog's thread.
constexpr int kItemsPerCall = 65536;

// Where browse-for-folder dialogs keep their tree: a direct child of the old
// style, a child of the namespace control in the new style.
constexpr int kOldStyleTreeId = 14145;
constexpr int kNameSpaceTreeId = 100;
constexpr wchar_t kNameSpaceClass[] = L"SHBrowseForFolder ShellNameSpace Control";

// wParam of the WM_NULL that the walk posts to the tree behind a selection
// and expansion; its lParam is the item. Once it is retrieved, the tree has
// carried out what was posted before it.
constexpr WPARAM kCarriedOutMark = 0x43564C57;

// Finished: the whole path matched and its last item is selected. Waiting:
// the walk has posted the tree a selection (and an expansion) and goes on
// once NoteRetrievedMessage has seen the tree carry them out; nothing to
// report meanwhile. NotYet: an expanded item shows no child yet; call again
// later. NotReached: the walk ended before the last component (no tree or
// root, no matching sibling, the retry budget spent, the item bound reached,
// a selection the tree refused); later calls say so again.
enum class WalkStep { Finished, Waiting, NotYet, NotReached };

struct TreeWalk {
    wchar_t path[kPathCapacity];
    HWND tree;
    HTREEITEM current;
    const wchar_t* remaining;
    // Where the current item's component ends, once the item has matched.
    const wchar_t* componentEnd;
    // The item whose posted selection the walk waits for, and the last one
    // the tree has carried out.
    HTREEITEM awaited;
    HTREEITEM carriedOut;
    int retries;
};

// Where the component at remaining ends (the backslash or the terminating NUL)
// when text equals it exactly; null otherwise.
const wchar_t* MatchPathComponent(const wchar_t* remaining, const wchar_t* text);

// Reads the display path from the carrier's title and starts at the first
// child of the tree's root item.
void BeginTreeWalk(TreeWalk& walk, HWND tree, HWND carrier);

// Matches, selects and expands as far as the tree allows without waiting for
// it, looking at no more than kItemsPerCall items.
WalkStep ContinueTreeWalk(TreeWalk& walk);

// To be told of every message the dialog's thread retrieves while the walk
// is Waiting: the walk's own mark ends the wait.
void NoteRetrievedMessage(TreeWalk& walk, const MSG& message);

} // namespace cvlib
