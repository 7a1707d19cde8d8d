#pragma once

#include <windows.h>

#include <string>

#include "core/dialog_type.h"
#include "core/target_window.h"

namespace corvane {

// Navigates a browse-for-folder dialog of another process to the target
// folder through the hook library. 0 when the hook reports the whole path
// selected (or the x86 build, handed a 32-bit dialog, ends with 0); -1 when
// the process's bitness cannot be told or is foreign, the walk ended before
// the target, or no final reply came.
int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type);

// Searches the path and each of its ancestors once, so that slow volumes and
// network shares are awake before the dialog's tree is walked.
void ProbePathChain(const std::wstring& path);

// Path of the x86 build next to the given program file.
std::wstring X86BuildPathBeside(const std::wstring& programPath);
// Path of the x86 build's hook library next to the given program file.
std::wstring X86LibraryPathBeside(const std::wstring& programPath);

enum class WalkReply { Finished, NotYet, NotReached, None };

// One exchange with the hook library: a hidden carrier window titled with the
// display path, whose thread (the caller's) receives the hook's replies, and
// the hook installed in the dialog's thread. DriveFolderDialog runs its steps
// in order; the benchmark times them one by one.
class FolderHookSession {
public:
    FolderHookSession(HWND dialog, const std::wstring& displayPath, DialogType type);
    ~FolderHookSession();
    FolderHookSession(const FolderHookSession&) = delete;
    FolderHookSession& operator=(const FolderHookSession&) = delete;

    // Whether the carrier exists and the hook is installed.
    explicit operator bool() const noexcept { return hook_ != nullptr; }

    // The hook's next reply; None after 10 passes of up to 100 ms without one.
    // Only thread messages count; everything else is dropped.
    WalkReply AwaitReply();
    // Answers a not-yet reply: the dialog to the foreground, a short pause for
    // the folder's children, then WM_NULL, on which the hook tries again.
    void Nudge() const;
    // Replies and nudges until the walk has ended: Finished, NotReached, or
    // None when the hook went silent.
    WalkReply AwaitOutcome();
    // Removes the hook and the carrier and brings the dialog to the foreground.
    void End();

private:
    void RemoveHookAndCarrier() noexcept;

    TargetWindow dialog_;
    HWND carrier_ = nullptr;
    HHOOK hook_ = nullptr;
};

} // namespace corvane
