#include <windows.h>

#include "core/file_name_box.h"
#include "core/folder_signals.h"
#include "core/poll.h"
#include "core/target_path.h"
#include "core/target_window.h"
#include "input/input_guards.h"
#include "input/keystroke_batch.h"

namespace corvane {
namespace {

constexpr int kNameAttempts = 10;

void AddBackspaces(KeystrokeBatch& batch, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        batch.AddKeyPress(VK_BACK);
}

// With the input attached: the dialog in front and the box focused, asked
// for again each time (the dialog may have moved the focus while it changed
// folder). Keys go wherever the foreground's focus is, so nothing may be
// typed unless this holds.
bool FocusFileNameBox(HWND dialog, HWND box) {
    SetFocus(box);
    return SetForegroundWindow(dialog) && GetFocus() == box;
}

void PressEnter() {
    KeystrokeBatch batch;
    batch.AddKeyPress(VK_RETURN);
    batch.Send();
}

// Empties the box and types the folder: one batch, so that nothing the user
// types can come between the keys. True once the box shows exactly the folder
// text: only then may Enter go, or the dialog could take a mixed text for the
// chosen file.
bool TypeFolder(const TargetWindow& box, const std::wstring& boxText, const std::wstring& folderPart) {
    KeystrokeBatch batch;
    AddBackspaces(batch, boxText.size());
    batch.AddText(folderPart);
    batch.Send();
    return PollUntil([&] { return box.ReadControlText() == folderPart; }, kDialogLayoutBoundMs);
}

// The shell's auto-complete list, shown for what was typed: a top-level
// window of the dialog's process. While it is shown, Enter only closes it.
bool AutoCompleteListShown(HWND dialog) {
    DWORD dialogProcess = 0;
    GetWindowThreadProcessId(dialog, &dialogProcess);
    for (HWND list = FindWindowExW(nullptr, nullptr, L"Auto-Suggest Dropdown", nullptr); list != nullptr;
         list = FindWindowExW(nullptr, list, L"Auto-Suggest Dropdown", nullptr)) {
        DWORD listProcess = 0;
        GetWindowThreadProcessId(list, &listProcess);
        if (listProcess == dialogProcess && IsWindowVisible(list))
            return true;
    }
    return false;
}

// Closes a shown auto-complete list with an Enter of its own, so that the
// Enter that follows is the one that changes folder: the road must never
// press a second one while that change may be under way. False when the list
// stays, or took another text into the box: nothing more may be pressed.
bool CloseAutoCompleteList(HWND dialog, const TargetWindow& box, const std::wstring& folderPart) {
    if (!AutoCompleteListShown(dialog))
        return true;
    PressEnter();
    return PollUntil([&] { return !AutoCompleteListShown(dialog) && box.ReadControlText() == folderPart; },
                     kDialogLayoutBoundMs) &&
           FocusFileNameBox(dialog, box.handle());
}

// Enter with the folder in the box changes into it. False when the dialog
// did not reach the folder, as far as it tells. Keys are handled after they
// were sent, whenever the dialog gets to them, so the box right after Enter
// says nothing: only the breadcrumb of an item dialog, or else a bounded
// wait on the box, tells that the change has ended. The folder text stays in
// the box until the dialog has taken the Enter, so that wait cannot end
// early. A dialog whose auto-complete list was open spends the first Enter on
// closing it and keeps the folder text; where the breadcrumb tells of the
// change, the list is closed first, otherwise one more Enter follows.
bool ChangeIntoFolder(HWND dialog, const TargetWindow& box, const std::wstring& folderPart, FolderSignal signal) {
    if (signal == FolderSignal::Breadcrumb) {
        if (!CloseAutoCompleteList(dialog, box, folderPart))
            return false;
        PressEnter();
        Breadcrumb breadcrumb(dialog);
        return WaitForBreadcrumb(breadcrumb, box, folderPart);
    }
    PressEnter();
    if (WaitForFolderChange(box, folderPart))
        return true;
    if (!box.IsShown() || !FocusFileNameBox(dialog, box.handle()))
        return true;
    PressEnter();
    WaitForFolderChange(box, folderPart, kRepeatedCommandWaitMs);
    return true;
}

// Replaces what the box holds by the name, typed, and selects it.
void TypeName(const TargetWindow& box, const std::wstring& fileNamePart) {
    SendToDialog(box.handle(), EM_SETSEL, 0, -1);
    KeystrokeBatch batch;
    batch.AddText(fileNamePart);
    batch.AddHomeChord();
    batch.Send();
}

enum class TypedName { Stays, EmptiedLate, NeverArrived };

TypedName WatchTypedName(const TargetWindow& box, const std::wstring& fileNamePart, NameCheck check) {
    if (!PollUntil([&] { return box.ReadControlText() == fileNamePart; }, kDialogLayoutBoundMs))
        return TypedName::NeverArrived;
    return HoldsText(box, fileNamePart, check) ? TypedName::Stays : TypedName::EmptiedLate;
}

} // namespace

int TargetWindow::FillKeyboardFileDialog(const std::wstring& path, const TargetWindow& fileNameBox) const {
    std::wstring folderPart;
    std::wstring fileNamePart;
    if (!SplitActionableTargetPath(path, folderPart, fileNamePart))
        return -1;
    // The box is hidden while the dialog lays its view out after opening.
    if (!WaitUntilShown(fileNameBox))
        return -1;
    const std::wstring boxText = fileNameBox.ReadControlText();
    if (fileNamePart.empty())
        fileNamePart = boxText;

    const DWORD controllerThread = GetCurrentThreadId();
    const DWORD dialogThread = GetWindowThreadProcessId(window_, nullptr);
    ThreadInputAttachment attachment(controllerThread, dialogThread);
    if (!attachment.attached())
        return -1;
    BringToForeground();
    if (!FocusFileNameBox(window_, fileNameBox.handle()))
        return -1;
    // A hotkey that started this run may still be held: the user's letting
    // go spares the keys any modifier released and pressed for them.
    WaitForModifiersReleased();
    // A bare name goes into the box and nothing else: the dialog stays; so
    // does an item dialog that shows the folder already.
    NameCheck check = NameCheck::ReadBack;
    if (!folderPart.empty()) {
        FolderStepPlan plan = PlanFolderStep(window_, folderPart);
        // Only a sent command is over when it returns, and keys are not sent.
        if (plan.signal == FolderSignal::BoxAfterCommand)
            plan.signal = FolderSignal::TimedWait;
        if (!plan.alreadyThere) {
            // The Backspaces must empty the box wherever its caret stands: a
            // box that got the focus with the caret before its old text would
            // otherwise keep that text behind the typed folder.
            SendToDialog(fileNameBox.handle(), EM_SETSEL, 0, -1);
            if (!TypeFolder(fileNameBox, boxText, folderPart) || !FocusFileNameBox(window_, fileNameBox.handle()))
                return -1;
            if (!ChangeIntoFolder(window_, fileNameBox, folderPart, plan.signal))
                return -1;
            check = NameCheck::ReadBackAndStays;
        }
    }

    // The name goes in once the folder change has ended, which empties the
    // box, and is typed again if a late one emptied it all the same.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (!WaitUntilShown(fileNameBox) || !FocusFileNameBox(window_, fileNameBox.handle()))
            return -1;
        TypeName(fileNameBox, fileNamePart);
        switch (WatchTypedName(fileNameBox, fileNamePart, check)) {
        case TypedName::Stays:
            return 0;
        case TypedName::NeverArrived:
            // The keys went astray; typing them again would not help.
            return -1;
        case TypedName::EmptiedLate:
            break;
        }
    }
    return -1;
}

} // namespace corvane
