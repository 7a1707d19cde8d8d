#include "input/keystroke_batch.h"

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

} // namespace

HeldModifiers HeldModifiers::Sample() {
    HeldModifiers held;
    held.control = IsHeld(VK_CONTROL);
    held.shift = IsHeld(VK_SHIFT);
    held.alt = IsHeld(VK_MENU);
    return held;
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
    sequence.reserve(records_.size() + 6);
    if (held.control)
        sequence.push_back(VirtualKeyRecord(VK_CONTROL, KEYEVENTF_KEYUP));
    if (held.alt)
        sequence.push_back(VirtualKeyRecord(VK_MENU, KEYEVENTF_KEYUP));
    if (held.shift)
        sequence.push_back(VirtualKeyRecord(VK_SHIFT, KEYEVENTF_KEYUP));
    sequence.insert(sequence.end(), records_.begin(), records_.end());
    if (held.shift)
        sequence.push_back(VirtualKeyRecord(VK_SHIFT, 0));
    if (held.alt)
        sequence.push_back(VirtualKeyRecord(VK_MENU, 0));
    if (held.control)
        sequence.push_back(VirtualKeyRecord(VK_CONTROL, 0));
    return sequence;
}

void KeystrokeBatch::Send() const {
    std::vector<INPUT> sequence = FramedRecords(HeldModifiers::Sample());
    if (!sequence.empty())
        SendInput(static_cast<UINT>(sequence.size()), sequence.data(), sizeof(INPUT));
}

} // namespace corvane
