#include "folderdialogs/folder_driver.h"

#include <algorithm>
#include <optional>

#include "core/process_integrity.h"
#include "core/program_instance.h"
#include "core/unique_handle.h"
#include "folderdialogs/display_path.h"
#include "folderdialogs/process_bitness.h"
#include "folderdialogs/tree_selection.h"
#include "hooklib/CorvaneLib.h"
#include "tallow/module_path.h"

namespace corvane {
namespace {

// After this many passes of up to 100 ms without a reply, the wait asks
// whether the dialog's thread can still go on.
constexpr int kPassesWithoutReply = 10;
constexpr DWORD kPassMs = 100;
// Time for an expanded folder's children to appear before the hook retries.
constexpr DWORD kPauseBeforeNudgeMs = 25;
// The hook answers not yet at most 50 times per walk; more come from elsewhere.
constexpr int kMostNudges = 50;

void SearchOnce(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW(path.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const UniqueFindHandle search(first);
    while (FindNextFileW(search.get(), &found)) {
    }
}

// While no reply comes, the walk may still go on unless the dialog's thread
// is gone or hung (by the system's measure: 5 s without retrieving messages).
bool DialogThreadMayStillAct(HWND dialog) {
    return IsWindow(dialog) && !IsHungAppWindow(dialog);
}

// A process at a lower integrity level than this one, or one whose level
// cannot be read.
bool RunsBelowThisProcess(HWND dialog) {
    const std::optional<DWORD> dialogLevel = IntegrityLevelOfWindow(dialog);
    const std::optional<DWORD> ownLevel = ProcessIntegrityLevel(GetCurrentProcess());
    return !dialogLevel || !ownLevel || *dialogLevel < *ownLevel;
}

// The system drops posts from a lower integrity level to a higher one unless
// the receiving window lets the message in: an elevated run must let in the
// replies of the hook in a normal program's dialog, and nothing else.
bool OpenToReplies(HWND carrier) {
    for (const UINT reply : {cvlib::kWalkFinished, cvlib::kWalkNotYet, cvlib::kWalkNotReached}) {
        if (!ChangeWindowMessageFilterEx(carrier, reply, MSGFLT_ALLOW, nullptr))
            return false;
    }
    return true;
}

HWND CreateCarrier(const std::wstring& displayPath) {
    return CreateWindowExW(0, L"STATIC", displayPath.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), nullptr);
}

WalkReply ReplyOf(const MSG& message, HWND carrier) {
    if (message.hwnd != carrier)
        return WalkReply::None;
    switch (message.message) {
    case cvlib::kWalkFinished:
        return WalkReply::Finished;
    case cvlib::kWalkNotYet:
        return WalkReply::NotYet;
    case cvlib::kWalkNotReached:
        return WalkReply::NotReached;
    default:
        return WalkReply::None;
    }
}

} // namespace

void ProbePathChain(const std::wstring& path) {
    std::wstring current = path;
    while (!current.empty()) {
        SearchOnce(current);
        const std::size_t slash = current.rfind(L'/');
        const std::size_t backslash = current.rfind(L'\\');
        const std::size_t cut = std::max(slash == std::wstring::npos ? 0 : slash,
                                         backslash == std::wstring::npos ? 0 : backslash);
        current.resize(cut);
    }
}

FolderHookSession::FolderHookSession(HWND dialog, const std::wstring& displayPath, DialogType type)
    : dialog_(dialog), type_(type), displayPath_(displayPath), carrier_(CreateCarrier(displayPath)) {
    // A reply that could not come back would leave a driven dialog reported
    // as -1: such a dialog is not touched at all.
    if (carrier_ != nullptr && (OpenToReplies(carrier_) || !RunsBelowThisProcess(dialog)))
        hook_ = CVLib_SetFolderDialog(dialog, carrier_, type);
}

FolderHookSession::~FolderHookSession() {
    RemoveHookAndCarrier();
}

void FolderHookSession::RemoveHookAndCarrier() noexcept {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (carrier_ != nullptr)
        DestroyWindow(carrier_);
    carrier_ = nullptr;
}

WalkReply FolderHookSession::AwaitReply() {
    for (int pass = 0; pass < kPassesWithoutReply; ++pass) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPassMs, QS_ALLINPUT);
            continue;
        }
        // Anything else is dropped, neither translated nor dispatched.
        const WalkReply reply = ReplyOf(message, carrier_);
        if (reply != WalkReply::None)
            return reply;
    }
    return WalkReply::None;
}

void FolderHookSession::Nudge() const {
    dialog_.BringToForeground();
    Sleep(kPauseBeforeNudgeMs);
    PostMessageW(dialog_.handle(), WM_NULL, 0, 0);
}

WalkReply FolderHookSession::AwaitOutcome() {
    const DWORD start = GetTickCount();
    int nudges = 0;
    while (GetTickCount() - start < kWalkBoundMs) {
        const WalkReply reply = AwaitReply();
        if (reply == WalkReply::Finished || reply == WalkReply::NotReached)
            return reply;
        if (reply == WalkReply::NotYet) {
            if (++nudges > kMostNudges)
                return WalkReply::None;
            Nudge();
        } else if (!DialogThreadMayStillAct(dialog_.handle())) {
            // Silence from a thread that is merely busy (the dialog listing a
            // slow folder) is waited through.
            return WalkReply::None;
        }
    }
    return WalkReply::None;
}

bool FolderHookSession::TreeShowsTarget() const {
    return ReadSelectedTreePath(FindFolderDialogTree(dialog_.handle(), type_)) == displayPath_;
}

void FolderHookSession::End() {
    // The hook goes before the dialog is activated, the carrier after it.
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    dialog_.BringToForeground();
    RemoveHookAndCarrier();
}

int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type) {
    switch (RouteForDialog(dialog)) {
    case FolderDialogRoute::Refuse:
        return -1;
    case FolderDialogRoute::HandOver:
        return HandOverToX86Build(path, tallow::GetModulePath(), FolderRedirectedForX86());
    case FolderDialogRoute::DriveHere:
        break;
    }
    const std::wstring displayPath = ResolveDisplayPath(path);
    if (FindDisplayPathFault(displayPath) != DisplayPathFault::None)
        return -1;
    ProbePathChain(path);

    FolderHookSession session(dialog, displayPath, type);
    if (!session)
        return -1;
    const WalkReply outcome = session.AwaitOutcome();
    // A wait that ended without the hook's last word may have missed a walk
    // that got there all the same.
    const bool reached =
        outcome == WalkReply::Finished || (outcome == WalkReply::None && session.TreeShowsTarget());
    session.End();
    return reached ? 0 : -1;
}

} // namespace corvane
