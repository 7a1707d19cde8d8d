#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace corvane {

// The modifier keys, each side on its own. Right Ctrl, right Alt (AltGr)
// and both Windows keys are extended keys.
struct ModifierKey {
    WORD virtualKey;
    bool extended;
};
constexpr std::array<ModifierKey, 8> kModifierKeys{{{VK_LCONTROL, false},
                                                    {VK_RCONTROL, true},
                                                    {VK_LMENU, false},
                                                    {VK_RMENU, true},
                                                    {VK_LSHIFT, false},
                                                    {VK_RSHIFT, false},
                                                    {VK_LWIN, true},
                                                    {VK_RWIN, true}}};

// A key that no keyboard layout assigns. Pressed while Alt or a Windows key
// is down, it keeps their release from opening the window's menu or the
// Start menu.
constexpr WORD kMaskKey = 0xE8;

// Which of the modifier keys the user holds while a batch goes out.
class HeldModifiers {
public:
    static HeldModifiers Sample();
    static HeldModifiers Of(std::initializer_list<WORD> virtualKeys);

    bool Holds(std::size_t index) const noexcept { return down_[index]; }
    bool Any() const noexcept;
    // Alt or a Windows key: their release alone would open a menu.
    bool AnyOpensAMenu() const noexcept;

private:
    std::array<bool, kModifierKeys.size()> down_{};
};

// How long a run waits for the user to let go of a hotkey's modifiers before
// it types, so that no modifier has to be released for them.
constexpr DWORD kModifierReleaseWaitMs = 500;
// Waits until no modifier key is held, at most boundMs; true when none is.
bool WaitForModifiersReleased(DWORD boundMs = kModifierReleaseWaitMs);

// Keyboard input records built in memory and handed to the system in one
// SendInput call, so no other input can come between them.
class KeystrokeBatch {
public:
    void AddKey(WORD virtualKey, WORD scan, DWORD flags);
    void AddKeyPress(WORD virtualKey);
    void AddText(const std::wstring& text);
    // Ctrl+Alt+Shift+Home: selects from the caret back to the start of an edit box.
    void AddHomeChord();

    // Sends the batch with the modifiers the user holds released around it
    // and pressed again after it, each exactly as it was.
    void Send() const;

    // The records that Send delivers when the given modifiers are held.
    std::vector<INPUT> FramedRecords(const HeldModifiers& held) const;

    const std::vector<INPUT>& records() const noexcept { return records_; }

private:
    std::vector<INPUT> records_;
};

} // namespace corvane
