#include "input/keystroke_batch.h"

#include "core/poll.h"

namespace corvane {
namespace {

INPUT KeyRecord(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    input.ki.time = 0;
    input.ki.dwExtraInfo = 0;
    return input;
}

INPUT VirtualKeyRecord(WORD virtualKey, DWORD flags) {
    return KeyRecord(virtualKey, static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)), flags);
}

bool IsHeld(int virtualKey) {
    return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

// A modifier of one side, with the scan code and extended flag that make the
// system take it for that side's key.
INPUT ModifierRecord(const ModifierKey& key, bool up) {
    const WORD scan = static_cast<WORD>(MapVirtualKeyW(key.virtualKey, MAPVK_VK_TO_VSC) & 0xFF);
    DWORD flags = key.extended ? KEYEVENTF_EXTENDEDKEY : 0;
    if (up)
        flags |= KEYEVENTF_KEYUP;
    return KeyRecord(key.virtualKey, scan, flags);
}

void AddMaskPress(std::vector<INPUT>& sequence) {
    sequence.push_back(KeyRecord(kMaskKey, 0, 0));
    sequence.push_back(KeyRecord(kMaskKey, 0, KEYEVENTF_KEYUP));
}

} // namespace

HeldModifiers HeldModifiers::Sample() {
    HeldModifiers held;
    for (std::size_t i = 0; i < kModifierKeys.size(); ++i)
        held.down_[i] = IsHeld(kModifierKeys[i].virtualKey);
    return held;
}

HeldModifiers HeldModifiers::Of(std::initializer_list<WORD> virtualKeys) {
    HeldModifiers held;
    for (const WORD virtualKey : virtualKeys)
        for (std::size_t i = 0; i < kModifierKeys.size(); ++i)
            if (kModifierKeys[i].virtualKey == virtualKey)
                held.down_[i] = true;
    return held;
}

bool HeldModifiers::Any() const noexcept {
    for (const bool down : down_)
        if (down)
            return true;
    return false;
}

bool HeldModifiers::AnyOpensAMenu() const noexcept {
    for (std::size_t i = 0; i < kModifierKeys.size(); ++i) {
        const WORD key = kModifierKeys[i].virtualKey;
        if (down_[i] && (key == VK_LMENU || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN))
            return true;
    }
    return false;
}

bool WaitForModifiersReleased(DWORD boundMs) {
    return PollUntil([] { return !HeldModifiers::Sample().Any(); }, boundMs);
}

void KeystrokeBatch::AddKey(WORD virtualKey, WORD scan, DWORD flags) {
    records_.push_back(KeyRecord(virtualKey, scan, flags));
}

void KeystrokeBatch::AddKeyPress(WORD virtualKey) {
    records_.push_back(VirtualKeyRecord(virtualKey, 0));
    records_.push_back(VirtualKeyRecord(virtualKey, KEYEVENTF_KEYUP));
}

void KeystrokeBatch::AddText(const std::wstring& text) {
    for (const wchar_t unit : text) {
        AddKey(0, static_cast<WORD>(unit), KEYEVENTF_UNICODE);
        AddKey(0, static_cast<WORD>(unit), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
    }
}

void KeystrokeBatch::AddHomeChord() {
    records_.push_back(VirtualKeyRecord(VK_CONTROL, 0));
    records_.push_back(VirtualKeyRecord(VK_MENU, 0));
    records_.push_back(VirtualKeyRecord(VK_SHIFT, 0));
    records_.push_back(VirtualKeyRecord(VK_HOME, KEYEVENTF_EXTENDEDKEY));
    records_.push_back(VirtualKeyRecord(VK_HOME, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP));
    records_.push_back(VirtualKeyRecord(VK_SHIFT, KEYEVENTF_KEYUP));
    records_.push_back(VirtualKeyRecord(VK_MENU, KEYEVENTF_KEYUP));
    records_.push_back(VirtualKeyRecord(VK_CONTROL, KEYEVENTF_KEYUP));
}

std::vector<INPUT> KeystrokeBatch::FramedRecords(const HeldModifiers& held) const {
    std::vector<INPUT> sequence;
    sequence.reserve(records_.size() + 2 * kModifierKeys.size() + 4);
    // The mask goes first, while the held keys are still down, and again
    // after they are down once more, before the user lets go of them.
    if (held.AnyOpensAMenu())
        AddMaskPress(sequence);
    for (std::size_t i = 0; i < kModifierKeys.size(); ++i)
        if (held.Holds(i))
            sequence.push_back(ModifierRecord(kModifierKeys[i], true));
    sequence.insert(sequence.end(), records_.begin(), records_.end());
    for (std::size_t i = kModifierKeys.size(); i-- > 0;)
        if (held.Holds(i))
            sequence.push_back(ModifierRecord(kModifierKeys[i], false));
    if (held.AnyOpensAMenu())
        AddMaskPress(sequence);
    return sequence;
}

void KeystrokeBatch::Send() const {
    std::vector<INPUT> sequence = FramedRecords(HeldModifiers::Sample());
    if (!sequence.empty())
        SendInput(static_cast<UINT>(sequence.size()), sequence.data(), sizeof(INPUT));
}

} // namespace corvane
