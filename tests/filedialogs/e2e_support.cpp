#include "filedialogs/e2e_support.h"

#include "support/text.h"
#include "support/windows.h"

namespace corvane::test {

std::vector<std::wstring> ArchitecturesToRun() {
    if (ThisArch() == L"x86-64")
        return {L"x86-64", L"x86-32"};
    return {ThisArch()};
}

namespace {

std::optional<DWORD> RunLockTimeoutHost(const std::vector<std::wstring>& arguments) {
    ChildProcess host(BinaryPath(L"testhost"), arguments);
    const std::optional<std::wstring> value = host.WaitForLine(L"TIMEOUT", 10000);
    if (!value)
        return std::nullopt;
    return static_cast<DWORD>(std::stoul(*value));
}

} // namespace

std::string ArchName(const ::testing::TestParamInfo<std::wstring>& info) {
    return info.param == L"x86-64" ? "x86_64" : "x86_32";
}

DWORD SystemLockTimeout() {
    const std::optional<DWORD> value = RunLockTimeoutHost({L"lock-timeout"});
    EXPECT_TRUE(value.has_value()) << "the host could not read the foreground lock timeout";
    return value.value_or(0xFFFFFFFF);
}

NonzeroSystemLockTimeout::NonzeroSystemLockTimeout() : original_(SystemLockTimeout()) {
    EXPECT_EQ(RunLockTimeoutHost({L"lock-timeout", L"--set", std::to_wstring(kValue)}), kValue);
    EXPECT_EQ(SystemLockTimeout(), kValue) << "a setting made by one process must show in the next";
}

NonzeroSystemLockTimeout::~NonzeroSystemLockTimeout() {
    RunLockTimeoutHost({L"lock-timeout", L"--set", std::to_wstring(original_)});
}

std::wstring ControlText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

} // namespace corvane::test
