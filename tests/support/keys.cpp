#include "support/keys.h"

#include "support/windows.h"

#include <utility>

namespace corvane::test {
namespace {

bool IsExtended(WORD virtualKey) {
    return virtualKey == VK_RCONTROL || virtualKey == VK_RMENU || virtualKey == VK_LWIN || virtualKey == VK_RWIN;
}

void SendKey(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) & 0xFF);
    input.ki.dwFlags = (IsExtended(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &input, sizeof(input));
}

bool IsDown(WORD virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

} // namespace

HeldKeys::HeldKeys(std::vector<WORD> virtualKeys) : keys_(std::move(virtualKeys)) {
    for (const WORD key : keys_)
        SendKey(key, false);
}

bool HeldKeys::Registered() const {
    return WaitUntil(
        [this] {
            for (const WORD key : keys_)
                if (!IsDown(key))
                    return false;
            return true;
        },
        2000);
}

void HeldKeys::Release() {
    for (auto key = keys_.rbegin(); key != keys_.rend(); ++key)
        SendKey(*key, true);
    WaitUntil(
        [this] {
            for (const WORD key : keys_)
                if (IsDown(key))
                    return false;
            return true;
        },
        2000);
    keys_.clear();
}

std::vector<WORD> ModifierKeysDown() {
    std::vector<WORD> down;
    for (const WORD key : {VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LSHIFT, VK_RSHIFT, VK_LWIN, VK_RWIN,
                           VK_CONTROL, VK_MENU, VK_SHIFT})
        if (IsDown(key))
            down.push_back(key);
    return down;
}

} // namespace corvane::test
