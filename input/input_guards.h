#pragma once

#include <windows.h>

namespace corvane {

// Joins one thread's input state to another's for the guard's lifetime.
class ThreadInputAttachment {
public:
    ThreadInputAttachment(DWORD fromThread, DWORD toThread) noexcept
        : from_(fromThread), to_(toThread),
          attached_(AttachThreadInput(fromThread, toThread, TRUE) != FALSE) {}
    ~ThreadInputAttachment() {
        if (attached_)
            AttachThreadInput(from_, to_, FALSE);
    }
    ThreadInputAttachment(const ThreadInputAttachment&) = delete;
    ThreadInputAttachment& operator=(const ThreadInputAttachment&) = delete;

    bool attached() const noexcept { return attached_; }

private:
    DWORD from_;
    DWORD to_;
    bool attached_;
};

// Lowers the system's foreground lock timeout to zero for the guard's
// lifetime and puts the value read before back. Nothing is changed when the
// current value cannot be read.
class ZeroForegroundLockTimeout {
public:
    ZeroForegroundLockTimeout() noexcept {
        if (!SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved_, 0))
            return;
        lowered_ = SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0) != FALSE;
    }
    ~ZeroForegroundLockTimeout() {
        if (lowered_)
            SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                  reinterpret_cast<void*>(static_cast<ULONG_PTR>(saved_)), 0);
    }
    ZeroForegroundLockTimeout(const ZeroForegroundLockTimeout&) = delete;
    ZeroForegroundLockTimeout& operator=(const ZeroForegroundLockTimeout&) = delete;

    bool lowered() const noexcept { return lowered_; }

private:
    DWORD saved_ = 0;
    bool lowered_ = false;
};

} // namespace corvane
