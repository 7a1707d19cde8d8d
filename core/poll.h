#pragma once

#include <windows.h>

namespace corvane {

// Tests the condition every 10 ms until it holds (true) or the bound has
// passed (false). The condition is always tested at least once.
template <typename Condition>
bool PollUntil(Condition condition, DWORD boundMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() - start >= boundMs)
            return false;
        Sleep(10);
    }
}

} // namespace corvane
