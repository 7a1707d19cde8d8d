#include "support/lock_timeout.h"

#include <gtest/gtest.h>

#include "support/process.h"

namespace corvane::test {
namespace {

void SetLockTimeout(DWORD value) {
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<ULONG_PTR>(value)), 0);
}

} // namespace

DWORD SystemLockTimeout() {
    ChildProcess host(BinaryPath(L"testhost"), {L"lock-timeout"});
    const std::optional<std::wstring> value = host.WaitForLine(L"TIMEOUT", 10000);
    EXPECT_TRUE(value.has_value()) << "the host could not read the foreground lock timeout";
    return value ? static_cast<DWORD>(std::stoul(*value)) : 0xFFFFFFFF;
}

NonzeroSystemLockTimeout::NonzeroSystemLockTimeout() : original_(SystemLockTimeout()) {
    SetLockTimeout(kValue);
    EXPECT_EQ(SystemLockTimeout(), kValue) << "a setting made by one process must show in the next";
}

NonzeroSystemLockTimeout::~NonzeroSystemLockTimeout() {
    SetLockTimeout(original_);
}

} // namespace corvane::test
