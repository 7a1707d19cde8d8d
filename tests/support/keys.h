#pragma once

#include <windows.h>

#include <vector>

namespace corvane::test {

// Presses keys as a user's hotkey holds them (side-specific virtual keys,
// with the extended flag where the key has one) and lets them go at the end
// of the scope, or earlier with Release.
class HeldKeys {
public:
    explicit HeldKeys(std::vector<WORD> virtualKeys);
    ~HeldKeys() { Release(); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

    // True once the system shows every key down.
    bool Registered() const;
    // Lets go of the keys (last pressed first) and waits until they are up.
    void Release();

private:
    std::vector<WORD> keys_;
};

// The side-specific modifier keys (and the generic ones) that are down now.
std::vector<WORD> ModifierKeysDown();

} // namespace corvane::test
