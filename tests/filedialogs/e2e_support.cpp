#include "filedialogs/e2e_support.h"

#include <map>

#include "support/text.h"
#include "support/windows.h"

namespace corvane::test {

std::vector<std::wstring> ArchitecturesToRun() {
    if (ThisArch() == L"x86-64")
        return {L"x86-64", L"x86-32"};
    return {ThisArch()};
}

namespace {

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ProbeArchitecture(const std::wstring& arch) {
    for (const wchar_t* program : {L"testhost", L"Corvane"})
        if (!FileExists(BinaryPath(program, arch)))
            return BinaryPath(program, arch) + L" is not built";
    try {
        ChildProcess host(BinaryPath(L"testhost", arch), {L"module-path"});
        const std::optional<DWORD> code = host.WaitForExit(20000);
        if (!code)
            return L"testhost." + arch + L".exe did not end within 20 s";
        if (*code != 0 || !host.WaitForLine(L"RESULT", 1000))
            return L"testhost." + arch + L".exe could not run (exit code " + std::to_wstring(*code) +
                   L"): this machine cannot start " + arch + L" programs";
    } catch (const std::exception&) {
        return L"CreateProcess refused testhost." + arch + L".exe: this machine cannot start " + arch + L" programs";
    }
    return L"";
}

std::optional<DWORD> RunLockTimeoutHost(const std::vector<std::wstring>& arguments) {
    ChildProcess host(BinaryPath(L"testhost"), arguments);
    const std::optional<std::wstring> value = host.WaitForLine(L"TIMEOUT", 10000);
    if (!value)
        return std::nullopt;
    return static_cast<DWORD>(std::stoul(*value));
}

} // namespace

std::wstring WhyArchitectureCannotRun(const std::wstring& arch) {
    static std::map<std::wstring, std::wstring> reasons;
    const auto known = reasons.find(arch);
    if (known != reasons.end())
        return known->second;
    return reasons[arch] = arch == ThisArch() ? std::wstring() : ProbeArchitecture(arch);
}

std::string ArchName(const ::testing::TestParamInfo<std::wstring>& info) {
    return info.param == L"x86-64" ? "x86_64" : "x86_32";
}

std::string ArchitectureTest::ToUtf8Reason(const std::wstring& reason) {
    return ToUtf8(reason);
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
