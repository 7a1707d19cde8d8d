#pragma once

#include <windows.h>

#include <string>

namespace corvane::test {

// The foreground lock timeout as a freshly started process reads it. A
// process that has read it once may keep its own copy (Wine does), so a value
// that a program under test left behind shows only in a new process.
DWORD SystemLockTimeout();

// Sets the foreground lock timeout to a nonzero value for the object's
// lifetime, so that a run that leaves it lowered shows, and then puts the
// machine's own value back. Set from this process, so that this process's own
// copy agrees with what the next process reads.
//
// Windows lets only a process that may take the foreground change the
// timeout. When it refuses this one, nothing is set and refusal() says why:
// tests about the timeout or the foreground skip, others do not check it.
class NonzeroSystemLockTimeout {
public:
    static constexpr DWORD kValue = 4321;
    NonzeroSystemLockTimeout();
    ~NonzeroSystemLockTimeout();
    NonzeroSystemLockTimeout(const NonzeroSystemLockTimeout&) = delete;
    NonzeroSystemLockTimeout& operator=(const NonzeroSystemLockTimeout&) = delete;

    // Empty when kValue is set.
    const std::string& refusal() const noexcept { return refusal_; }

private:
    DWORD original_;
    std::string refusal_;
};

} // namespace corvane::test
