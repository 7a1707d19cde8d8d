#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane {

// Which of Ctrl, Alt and Shift the user holds while a batch goes out.
struct HeldModifiers {
    bool control = false;
    bool shift = false;
    bool alt = false;

    static HeldModifiers Sample();
};

// Keyboard input records built in memory and handed to the system in one
// SendInput call, so no other input can come between them.
class KeystrokeBatch {
public:
    void AddKey(WORD virtualKey, WORD scan, DWORD flags);
    void AddKeyPress(WORD virtualKey);
    void AddText(const std::wstring& text);
    // Ctrl+Alt+Shift+Home: selects from the caret back to the start of an edit box.
    void AddHomeChord();

    // Sends the batch, releasing the modifiers the user holds around it.
    void Send() const;

    // The records that Send delivers when the given modifiers are held.
    std::vector<INPUT> FramedRecords(const HeldModifiers& held) const;

    const std::vector<INPUT>& records() const noexcept { return records_; }

private:
    std::vector<INPUT> records_;
};

} // namespace corvane
