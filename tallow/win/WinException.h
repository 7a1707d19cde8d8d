#pragma once

#include <windows.h>

#include "tallow/exception.h"

namespace tallow::win {

// Captures the calling thread's last Windows error and the system's text for
// it. Construct it right after the failed call.
class WinException : public tallow::exception {
public:
    WinException();
    DWORD code() const noexcept { return errorCode; }

private:
    DWORD errorCode;
};

} // namespace tallow::win
