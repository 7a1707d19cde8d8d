// The folder-selection hook library. It is mapped into the processes of other
// programs, so it stays minimal: user32 only, no C runtime, no heap.
//
// The hook may be called in any thread it was ever installed in, for any
// installation the shared section names, and again from inside its own tree
// messages (the dialog's code may pump messages while it answers them).
// It acts only for the current installation, only in the thread that owns
// both the dialog and its tree, and never inside itself; every other call is
// passed on untouched. An acting call only reads the tree and posts: the
// walk goes on level by level as the dialog carries out what it posted.

#include "hooklib/CorvaneLib.h"

#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "hooklib/tree_walk.h"

#if defined(_MSC_VER)
#pragma section(".shared", read, write)
// The linker shares the section between processes. clang-cl ignores a
// "shared" flag in the pragma above; link.exe and lld-link both take this.
#pragma comment(linker, "/SECTION:.shared,RWS")
#define CVLIB_SHARED __declspec(allocate(".shared"))
#else
#define CVLIB_SHARED __attribute__((section(".shared"), shared))
#endif

namespace {

// Seen by every process that maps this file. Only the export writes them, in
// this order: disarm the hook, store dialog, carrier and type, count the
// installation, publish the new hook. Readers take the count before and after
// reading the rest (see ReadInstallation), so they never mix two installations.
CVLIB_SHARED HHOOK volatile sharedHook = nullptr;
CVLIB_SHARED HWND volatile sharedDialog = nullptr;
CVLIB_SHARED HWND volatile sharedCarrier = nullptr;
CVLIB_SHARED LONG volatile sharedType = 0;
CVLIB_SHARED ULONG volatile sharedInstallation = 0;

// What one installation asked for, as read from the shared section.
struct Installation {
    ULONG number;
    HWND dialog;
    HWND carrier;
    DialogType type;
};

// Per process. The walk's own copies of dialog, carrier and tree are taken
// when it begins; the shared values are not consulted again for it.
struct ProcessWalk {
    bool begun;
    bool ended;
    Installation installation;
    cvlib::TreeWalk walk;
};

HINSTANCE moduleHandle = nullptr;
ProcessWalk current;
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

// The armed installation, or false while none is armed or the export is
// storing a new one.
bool ReadInstallation(Installation& installation) {
    const ULONG before = sharedInstallation;
    installation.dialog = sharedDialog;
    installation.carrier = sharedCarrier;
    installation.type = static_cast<DialogType>(sharedType);
    const bool armed = sharedHook != nullptr;
    installation.number = sharedInstallation;
    return armed && installation.number == before;
}

HWND FindTree(const Installation& installation) {
    HWND tree = nullptr;
    if (installation.type == OldFolderBrowser) {
        tree = GetDlgItem(installation.dialog, cvlib::kOldStyleTreeId);
    } else {
        const HWND nameSpace = FindWindowExW(installation.dialog, nullptr, cvlib::kNameSpaceClass, nullptr);
        tree = nameSpace != nullptr ? GetDlgItem(nameSpace, cvlib::kNameSpaceTreeId) : nullptr;
    }
    // A tree of another thread would be sent pointers into this one's stack.
    if (!IsOwnedByThisThread(tree) || !HasClass(tree, L"SysTreeView32"))
        return nullptr;
    return tree;
}

void BeginWalk(const Installation& installation) {
    current.begun = true;
    current.ended = false;
    current.installation = installation;
    cvlib::BeginTreeWalk(current.walk, FindTree(installation), installation.carrier);
}

// To the carrier window itself: a window can let posts from a lower integrity
// level in, a thread cannot.
void Reply(UINT message) {
    PostMessageW(current.installation.carrier, message, 0, 0);
}

void Act(DialogType type, const MSG& retrieved) {
    Installation installation;
    if (!ReadInstallation(installation))
        return;
    const bool walking = current.begun && current.installation.number == installation.number;
    if (walking && current.ended)
        return;
    if (walking)
        installation = current.installation;
    if (installation.type != type || !IsOwnedByThisThread(installation.dialog))
        return;
    if (!walking)
        BeginWalk(installation);
    cvlib::NoteRetrievedMessage(current.walk, retrieved);
    cvlib::WalkStep step = cvlib::WalkStep::NotReached;
    // A tree that has gone since the walk began is not followed to whatever
    // window reuses its handle.
    if (current.walk.tree == nullptr || IsOwnedByThisThread(current.walk.tree))
        step = cvlib::ContinueTreeWalk(current.walk);
    if (step == cvlib::WalkStep::Waiting)
        return;
    if (step == cvlib::WalkStep::NotYet) {
        Reply(cvlib::kWalkNotYet);
        return;
    }
    current.ended = true;
    Reply(step == cvlib::WalkStep::Finished ? cvlib::kWalkFinished : cvlib::kWalkNotReached);
}

void ActOnce(int code, DialogType type, const MSG& retrieved) {
    if (code != HC_ACTION)
        return;
    if (InterlockedCompareExchange(&acting, 1, 0) != 0)
        return;
    Act(type, retrieved);
    InterlockedExchange(&acting, 0);
}

LRESULT CALLBACK ClassicTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    ActOnce(code, OldFolderBrowser, *reinterpret_cast<const MSG*>(lParam));
    return CallNextHookEx(sharedHook, code, wParam, lParam);
}

LRESULT CALLBACK NameSpaceTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message->message == WM_NULL)
        ActOnce(code, NewFolderBrowser, *message);
    return CallNextHookEx(sharedHook, code, wParam, lParam);
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
    if (dialogThread == 0)
        return nullptr;
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&sharedHook), nullptr);
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&sharedDialog), dialog);
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&sharedCarrier), carrier);
    InterlockedExchange(&sharedType, type);
    InterlockedIncrement(reinterpret_cast<LONG volatile*>(&sharedInstallation));
    const HHOOK installed = SetWindowsHookExW(WH_GETMESSAGE, procedure, moduleHandle, dialogThread);
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&sharedHook), installed);
    PostMessageW(dialog, WM_NULL, 0, 0);
    return installed;
}
