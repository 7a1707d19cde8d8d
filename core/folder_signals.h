#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/target_window.h"

namespace corvane {

// What tells a road that a file dialog has finished changing into the folder
// it was sent to.
enum class FolderSignal {
    // The older dialog, with a shell view among its direct children, changes
    // folder inside the OK command: what its box holds right after the
    // command is final.
    BoxAfterCommand,
    // The item dialog (Vista to 11) goes on changing after the command; its
    // breadcrumb names the file-system folder it has reached.
    Breadcrumb,
    // Neither can be read: only a bounded wait on the box tells.
    TimedWait,
};

// Which signal a dialog gives, read before anything is sent to it, and
// whether it already shows the folder the road is about to send it to.
struct FolderStepPlan {
    FolderSignal signal = FolderSignal::TimedWait;
    bool alreadyThere = false;
};
FolderStepPlan PlanFolderStep(HWND dialog, const std::wstring& folder);

// Whether two absolute paths name the same folder as Windows compares them:
// letter case and a trailing backslash aside, short names made long.
bool IsSameFolder(const std::wstring& first, const std::wstring& second);

// The file-system folder that a breadcrumb text names ("Address: C:\Work"
// gives "C:\Work": the label before the first ": " is localized), or nothing
// when the rest is not a drive or UNC path (libraries, "This PC").
std::optional<std::wstring> FolderOfBreadcrumbText(const std::wstring& text);

// The item dialog's breadcrumb: the address band's toolbar with id 1001. It
// is looked up again when the dialog has made a new one.
class Breadcrumb {
public:
    explicit Breadcrumb(HWND dialog) noexcept : dialog_(dialog) {}

    // The folder it names now; nothing without a breadcrumb or when it names
    // no file-system folder. Reads with the given bound per message.
    std::optional<std::wstring> Folder(DWORD boundMs = kTextMessageBoundMs);

private:
    HWND dialog_;
    HWND toolbar_ = nullptr;
};

// After the command that sends an item dialog into the folder: true once its
// breadcrumb names the folder and the box is shown; false when the bound
// passes first. Throws when the dialog stops answering.
bool WaitForBreadcrumb(Breadcrumb& breadcrumb, const TargetWindow& box, const std::wstring& folder,
                       DWORD boundMs = kOkCommandBoundMs);

} // namespace corvane
