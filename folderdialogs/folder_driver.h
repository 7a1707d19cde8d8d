#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_type.h"
#include "core/target_window.h"
#include "folderdialogs/hand_over.h"

namespace corvane {

// Longest wait for the hook's walk, from its installation. A slow level (a
// waking network share, a cold volume) keeps the dialog's thread busy for a
// while; the wait goes on as long as that thread is alive and not hung.
constexpr DWORD kWalkBoundMs = 30000;

// Navigates a browse-for-folder dialog of another process to the target
// folder through the hook library. 0 when the hook reports the whole path
// selected, or the dialog's tree shows it selected when the wait has ended
// without that report (or the x86 build, handed a 32-bit dialog, ends with
// 0); -1 when the process's machine cannot be told or is foreign, the walk
// ended before the target, or the wait ended with the target not selected.
int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type);

// Searches the path and each of its ancestors once, so that slow volumes and
// network shares are awake before the dialog's tree is walked.
void ProbePathChain(const std::wstring& path);

enum class WalkReply { Finished, NotYet, NotReached, None };

// A reply of the hook; level tells which level a not-yet reply is about.
struct HookReply {
    WalkReply kind = WalkReply::None;
    WPARAM level = 0;
};

// One exchange with the hook library: a hidden carrier window titled with the
// display path, which receives the hook's replies, and the hook installed in
// the dialog's thread. DriveFolderDialog runs its steps in order; the
// benchmark times them one by one.
class FolderHookSession {
public:
    // Installs no hook when the carrier cannot let in the replies of a dialog
    // that runs at a lower integrity level than this process.
    FolderHookSession(HWND dialog, const std::wstring& displayPath, DialogType type);
    ~FolderHookSession();
    FolderHookSession(const FolderHookSession&) = delete;
    FolderHookSession& operator=(const FolderHookSession&) = delete;

    // Whether the carrier exists and the hook is installed.
    explicit operator bool() const noexcept { return hook_ != nullptr; }
    HWND carrier() const noexcept { return carrier_; }

    // The hook's next reply, or None after timeoutMs without one. Only the
    // three replies posted to the carrier count; everything else, thread
    // messages included, is dropped.
    HookReply AwaitReply(DWORD timeoutMs = 1000);
    // WM_NULL to the dialog, on which a hook waiting for a folder's children
    // looks again.
    void Nudge() const;
    // Replies and nudges until the walk has ended: Finished, NotReached, or
    // None when kWalkBoundMs have passed or the dialog's thread hung or went
    // away. Each not-yet reply is answered by a nudge after a pause that
    // grows while the same level waits; the dialog is brought to the
    // foreground once for each level that waits, not on every nudge.
    WalkReply AwaitOutcome();
    // Whether the dialog's tree shows the display path selected now.
    bool TreeShowsTarget() const;
    // Removes the hook and the carrier and brings the dialog to the foreground.
    void End();

private:
    void RemoveHookAndCarrier() noexcept;

    TargetWindow dialog_;
    DialogType type_;
    std::wstring displayPath_;
    HWND carrier_ = nullptr;
    HHOOK hook_ = nullptr;
};

} // namespace corvane
