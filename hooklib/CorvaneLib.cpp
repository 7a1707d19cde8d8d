// The folder-selection hook library. It is mapped into the processes of other
// programs, so it stays minimal: user32 only, no C runtime, no heap, and
// nothing shared between processes.
//
// A run reaches its hook by one posted message, the arming message, which
// carries the run's carrier window and dialog type to the dialog; the hook
// keeps what it needs in its own process. The message is registered, so a
// program at a lower integrity level than the dialog cannot post it, and it
// only acts while a run's hook is installed in the dialog's thread.
//
// The hook may be called in any thread it was ever installed in, and again
// from inside its own tree messages (the dialog's code may pump messages
// while it answers them). It acts only on the messages it retrieves for good
// (not on peeks that leave them queued), only in the thread that owns both
// the dialog and its tree, only while the run's carrier exists, and never
// inside itself; every other call is passed on untouched. An acting call
// only reads the tree and posts: the walk goes on level by level as the
// dialog carries out what the hook's marks become.

#include "hooklib/CorvaneLib.h"

#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "hooklib/tree_walk.h"

namespace {

constexpr wchar_t kArmingMessageName[] = L"Corvane.FolderWalk.Arm";

// One walk per process: the run armed last in any of its threads.
struct ProcessWalk {
    DWORD thread;
    HWND dialog;
    DialogType type;
    cvlib::TreeWalk walk;
};

HINSTANCE moduleHandle = nullptr;
ProcessWalk current;
UINT armingMessage = 0;
// Set while a hook call acts: nested calls (from messages that the dialog
// pumps while it handles a tree message) and other threads pass on.
LONG volatile acting = 0;

// Read from the thread's environment block (its client id), which needs no
// import. GCC's own reading of these offsets trips its array-bounds check.
DWORD CurrentThreadId() {
#if defined(_MSC_VER) && defined(_M_X64)
    return __readgsdword(0x48);
#elif defined(_MSC_VER)
    return __readfsdword(0x24);
#else
    DWORD id;
#if defined(__x86_64__)
    __asm__("movl %%gs:0x48, %0" : "=r"(id));
#else
    __asm__("movl %%fs:0x24, %0" : "=r"(id));
#endif
    return id;
#endif
}

bool IsOwnedByThisThread(HWND window) {
    return window != nullptr && GetWindowThreadProcessId(window, nullptr) == CurrentThreadId();
}

bool HasClass(HWND window, const wchar_t* expected) {
    wchar_t name[32];
    if (GetClassNameW(window, name, 32) == 0)
        return false;
    int i = 0;
    for (; expected[i] != L'\0'; ++i) {
        if (name[i] != expected[i])
            return false;
    }
    return name[i] == L'\0';
}

UINT ArmingMessage() {
    if (armingMessage == 0)
        armingMessage = RegisterWindowMessageW(kArmingMessageName);
    return armingMessage;
}

HWND FindTree(HWND dialog, DialogType type) {
    HWND tree = nullptr;
    if (type == OldFolderBrowser) {
        tree = GetDlgItem(dialog, cvlib::kOldStyleTreeId);
    } else {
        const HWND nameSpace = FindWindowExW(dialog, nullptr, cvlib::kNameSpaceClass, nullptr);
        tree = nameSpace != nullptr ? GetDlgItem(nameSpace, cvlib::kNameSpaceTreeId) : nullptr;
    }
    // A tree of another thread would be sent pointers into this one's stack.
    if (!IsOwnedByThisThread(tree) || !HasClass(tree, L"SysTreeView32"))
        return nullptr;
    return tree;
}

bool IsWalkingHere(DialogType type) {
    return current.thread == CurrentThreadId() && current.type == type && current.walk.phase != cvlib::WalkPhase::Ended;
}

// Starts the run that the arming message names (carrier in wParam, type in
// lParam) for a dialog of this thread, and leaves the dialog an empty
// WM_NULL in its place.
bool Arm(DialogType type, MSG& message) {
    if (message.lParam != static_cast<LPARAM>(type))
        return false;
    const HWND dialog = message.hwnd;
    const HWND carrier = reinterpret_cast<HWND>(message.wParam);
    message.message = WM_NULL;
    message.wParam = 0;
    message.lParam = 0;
    if (!IsOwnedByThisThread(dialog) || !IsWindow(carrier))
        return false;
    current.thread = CurrentThreadId();
    current.dialog = dialog;
    current.type = type;
    cvlib::BeginTreeWalk(current.walk, FindTree(dialog, type), carrier);
    return true;
}

// To the carrier window itself: a window can let posts from a lower integrity
// level in, a thread cannot.
void Reply(UINT message, WPARAM wParam) {
    PostMessageW(current.walk.carrier, message, wParam, 0);
}

// Whether the retrieved message moves this thread's walk: the arming
// message, which starts it, one of its marks, or a nudge (WM_NULL to the
// dialog with no parameters).
bool MovesTheWalk(DialogType type, MSG& retrieved, bool& nudged) {
    const UINT arming = ArmingMessage();
    if (arming != 0 && retrieved.message == arming) {
        // The arming message counts as the first nudge.
        nudged = true;
        return Arm(type, retrieved);
    }
    if (!IsWalkingHere(type) || retrieved.message != WM_NULL)
        return false;
    // Another run's marks, and marks of a run whose carrier has gone, stay
    // empty messages.
    if (cvlib::IsWalkMark(retrieved))
        return IsWindow(current.walk.carrier) && cvlib::TakeWalkMark(current.walk, retrieved);
    nudged = retrieved.hwnd == current.dialog && retrieved.wParam == 0 && retrieved.lParam == 0;
    return true;
}

void Advance(bool nudged) {
    // The run has ended (its carrier is gone): nothing more is done. A tree
    // that has gone since the walk began is not followed to whatever window
    // reuses its handle.
    if (!IsWindow(current.walk.carrier)) {
        current.walk.phase = cvlib::WalkPhase::Ended;
        return;
    }
    cvlib::WalkStep step = cvlib::WalkStep::NotReached;
    if (current.walk.tree == nullptr || IsOwnedByThisThread(current.walk.tree))
        step = cvlib::ContinueTreeWalk(current.walk, nudged);
    switch (step) {
    case cvlib::WalkStep::Waiting:
        return;
    case cvlib::WalkStep::NotYet:
        Reply(cvlib::kWalkNotYet, static_cast<WPARAM>(current.walk.level));
        return;
    case cvlib::WalkStep::Finished:
        Reply(cvlib::kWalkFinished, 0);
        break;
    case cvlib::WalkStep::NotReached:
        Reply(cvlib::kWalkNotReached, 0);
        break;
    }
    current.walk.phase = cvlib::WalkPhase::Ended;
}

LRESULT Hook(DialogType type, int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && InterlockedCompareExchange(&acting, 1, 0) == 0) {
        bool nudged = false;
        if (MovesTheWalk(type, *reinterpret_cast<MSG*>(lParam), nudged))
            Advance(nudged);
        InterlockedExchange(&acting, 0);
    }
    // The hook handle is ignored here.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ClassicTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    return Hook(OldFolderBrowser, code, wParam, lParam);
}

LRESULT CALLBACK NameSpaceTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    return Hook(NewFolderBrowser, code, wParam, lParam);
}

} // namespace

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        moduleHandle = instance;
    return TRUE;
}

CVLIB_API HHOOK CVLib_SetFolderDialog(HWND dialog, HWND carrier, DialogType type) {
    HOOKPROC procedure;
    if (type == OldFolderBrowser)
        procedure = ClassicTreeHookProc;
    else if (type == NewFolderBrowser)
        procedure = NameSpaceTreeHookProc;
    else
        return nullptr;
    const DWORD dialogThread = GetWindowThreadProcessId(dialog, nullptr);
    const UINT arming = ArmingMessage();
    if (dialogThread == 0 || arming == 0)
        return nullptr;
    const HHOOK installed = SetWindowsHookExW(WH_GETMESSAGE, procedure, moduleHandle, dialogThread);
    if (installed == nullptr)
        return nullptr;
    if (!PostMessageW(dialog, arming, reinterpret_cast<WPARAM>(carrier), static_cast<LPARAM>(type))) {
        UnhookWindowsHookEx(installed);
        return nullptr;
    }
    return installed;
}
