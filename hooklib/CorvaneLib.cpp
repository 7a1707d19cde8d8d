// The folder-selection hook library. It is mapped into the processes of other
// programs, so it stays minimal: user32 only, no C runtime, no heap.

#include "hooklib/CorvaneLib.h"

#include "hooklib/tree_walk.h"

#if defined(_MSC_VER)
#pragma section(".shared", read, write, shared)
#define CVLIB_SHARED __declspec(allocate(".shared"))
#else
#define CVLIB_SHARED __attribute__((section(".shared"), shared))
#endif

namespace {

// Seen by every process that maps this file: written by the controller's
// export, read by the hook in the dialog's process.
CVLIB_SHARED HHOOK sharedHook = nullptr;
CVLIB_SHARED HWND sharedDialog = nullptr;
CVLIB_SHARED HWND sharedCarrier = nullptr;
// Counts installations, so that a dialog process that still has the library
// mapped from an earlier run starts a fresh walk for the next one.
CVLIB_SHARED LONG sharedInstallation = 0;

// Per process.
HINSTANCE moduleHandle = nullptr;
bool firstCall = true;
bool walkDone = false;
LONG installationSetUp = 0;
cvlib::TreeWalk walk;

constexpr UINT kWalkFinished = WM_APP;
constexpr UINT kWalkNotYet = WM_APP + 1;
constexpr int kOldStyleTreeId = 14145;
constexpr int kNameSpaceTreeId = 100;

HWND FindTree(DialogType type) {
    if (type == OldFolderBrowser)
        return GetDlgItem(sharedDialog, kOldStyleTreeId);
    const HWND nameSpace = FindWindowExW(sharedDialog, nullptr, L"SHBrowseForFolder ShellNameSpace Control", nullptr);
    return nameSpace != nullptr ? GetDlgItem(nameSpace, kNameSpaceTreeId) : nullptr;
}

// A new installation since the last walk in this process: start over.
void RearmForNewInstallation() {
    const LONG installation = sharedInstallation;
    if (installation == installationSetUp)
        return;
    installationSetUp = installation;
    firstCall = true;
    walkDone = false;
}

void Act(DialogType type) {
    if (firstCall) {
        cvlib::BeginTreeWalk(walk, FindTree(type), sharedCarrier);
        firstCall = false;
    }
    const DWORD controllerThread = GetWindowThreadProcessId(sharedCarrier, nullptr);
    if (cvlib::ContinueTreeWalk(walk) == cvlib::WalkStep::Finished) {
        PostThreadMessageW(controllerThread, kWalkFinished, 0, 0);
        walkDone = true;
    } else {
        PostThreadMessageW(controllerThread, kWalkNotYet, 0, 0);
    }
}

// Not armed before the controller has stored the hook's handle; done once
// the walk of the current installation has finished.
bool ShouldAct() {
    if (sharedHook == nullptr)
        return false;
    RearmForNewInstallation();
    return !walkDone;
}

LRESULT CALLBACK ClassicTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (ShouldAct())
        Act(OldFolderBrowser);
    return CallNextHookEx(sharedHook, code, wParam, lParam);
}

LRESULT CALLBACK NameSpaceTreeHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message->message == WM_NULL && ShouldAct())
        Act(NewFolderBrowser);
    return CallNextHookEx(sharedHook, code, wParam, lParam);
}

} // namespace

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleHandle = instance;
        walkDone = false;
        firstCall = true;
        installationSetUp = sharedInstallation;
    }
    return TRUE;
}

CVLIB_API HHOOK CVLib_SetFolderDialog(HWND dialog, HWND carrier, DialogType type) {
    sharedDialog = dialog;
    sharedCarrier = carrier;
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
    // Disarm until the new hook's handle is in place, and mark a new walk.
    sharedHook = nullptr;
    ++sharedInstallation;
    sharedHook = SetWindowsHookExW(WH_GETMESSAGE, procedure, moduleHandle, dialogThread);
    PostMessageW(dialog, WM_NULL, 0, 0);
    return sharedHook;
}
