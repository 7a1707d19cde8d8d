#include "support/lock_timeout.h"

#include <gtest/gtest.h>

#include <iostream>

#include "support/process.h"

namespace corvane::test {
namespace {

bool SetLockTimeout(DWORD value) {
    return SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                 reinterpret_cast<void*>(static_cast<ULONG_PTR>(value)), 0) != FALSE;
}

} // namespace

DWORD SystemLockTimeout() {
    ChildProcess host(BinaryPath(L"testhost"), {L"lock-timeout"});
    const std::optional<std::wstring> value = host.WaitForLine(L"TIMEOUT", 10000);
    EXPECT_TRUE(value.has_value()) << "the host could not read the foreground lock timeout";
    return value ? static_cast<DWORD>(std::stoul(*value)) : 0xFFFFFFFF;
}

NonzeroSystemLockTimeout::NonzeroSystemLockTimeout() : original_(SystemLockTimeout()) {
    if (!SetLockTimeout(kValue)) {
        refusal_ = "Windows refused this process a change of the foreground lock timeout (error " +
                   std::to_string(GetLastError()) + "): it may not take the foreground";
        std::cout << "note: " << refusal_ << "\n";
        return;
    }
    EXPECT_EQ(SystemLockTimeout(), kValue) << "a setting made by one process must show in the next";
}

NonzeroSystemLockTimeout::~NonzeroSystemLockTimeout() {
    if (refusal_.empty())
        SetLockTimeout(original_);
}

} // namespace corvane::test
