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

// Without a reply for this long, the wait asks whether the dialog's thread
// can still go on.
constexpr DWORD kQuietMs = 1000;
// The pauses before the nudges that answer not-yet replies: short at a
// level's first, then doubled up to the longest, so that a folder whose
// children come late (a waking network share) is asked every few hundred
// milliseconds, not flooded.
constexpr DWORD kFirstNudgeMs = 25;
constexpr DWORD kLongestNudgeMs = 400;

DWORD TimeUntil(DWORD deadline, DWORD now) {
    const auto left = static_cast<LONG>(deadline - now);
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// When to answer the hook's not-yet replies with a nudge.
class NudgeSchedule {
public:
    // Plans the nudge that answers a not-yet reply about that level; true
    // when it is the level's first reply.
    bool Plan(WPARAM level, DWORD now) {
        const bool first = !started_ || level != level_;
        pause_ = first ? kFirstNudgeMs : std::min(pause_ * 2, kLongestNudgeMs);
        started_ = true;
        level_ = level;
        planned_ = true;
        at_ = now + pause_;
        return first;
    }
    // How long to wait for replies before the planned nudge, at most limit.
    DWORD WaitBefore(DWORD now, DWORD limit) const { return planned_ ? std::min(limit, TimeUntil(at_, now)) : limit; }
    // Whether the planned nudge is due now; it is then taken.
    bool TakeDue(DWORD now) {
        const bool due = planned_ && TimeUntil(at_, now) == 0;
        planned_ = planned_ && !due;
        return due;
    }

private:
    bool started_ = false;
    WPARAM level_ = 0;
    DWORD pause_ = 0;
    bool planned_ = false;
    DWORD at_ = 0;
};

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

HookReply ReplyOf(const MSG& message, HWND carrier) {
    if (message.hwnd != carrier)
        return {};
    switch (message.message) {
    case cvlib::kWalkFinished:
        return {WalkReply::Finished, 0};
    case cvlib::kWalkNotYet:
        return {WalkReply::NotYet, message.wParam};
    case cvlib::kWalkNotReached:
        return {WalkReply::NotReached, 0};
    default:
        return {};
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

HookReply FolderHookSession::AwaitReply(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // Anything else is dropped, neither translated nor dispatched.
            const HookReply reply = ReplyOf(message, carrier_);
            if (reply.kind != WalkReply::None)
                return reply;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return {};
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void FolderHookSession::Nudge() const {
    PostMessageW(dialog_.handle(), WM_NULL, 0, 0);
}

WalkReply FolderHookSession::AwaitOutcome() {
    const DWORD start = GetTickCount();
    NudgeSchedule nudges;
    // The last reply, or the last check that the dialog's thread can go on.
    DWORD lastSign = start;
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kWalkBoundMs)
            return WalkReply::None;
        const HookReply reply =
            AwaitReply(nudges.WaitBefore(GetTickCount(), std::min(kWalkBoundMs - elapsed, kQuietMs)));
        if (reply.kind == WalkReply::Finished || reply.kind == WalkReply::NotReached)
            return reply.kind;
        const DWORD now = GetTickCount();
        if (reply.kind == WalkReply::NotYet) {
            // Once per waiting level: a user who switched to another window
            // meanwhile is not pulled back on every nudge.
            if (nudges.Plan(reply.level, now))
                dialog_.BringToForeground();
            lastSign = now;
            continue;
        }
        if (nudges.TakeDue(now))
            Nudge();
        if (now - lastSign >= kQuietMs) {
            // Silence from a thread that is merely busy (the dialog listing a
            // slow folder) is waited through.
            if (!DialogThreadMayStillAct(dialog_.handle()))
                return WalkReply::None;
            lastSign = now;
        }
    }
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
