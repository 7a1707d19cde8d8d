// Parts of the folder driver that need no dialog: the hand-over's command
// line and program path, and the probe of a path's ancestors.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <thread>

#include "folderdialogs/command_line.h"
#include "folderdialogs/folder_driver.h"

namespace {

using corvane::QuoteCommandLineArgument;

// What the started program's command-line splitting makes of the quoted
// argument.
std::vector<std::wstring> SplitAfterProgram(const std::wstring& tail) {
    const std::wstring line = L"Corvane.x86-32.exe " + tail;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> split(arguments + 1, arguments + count);
    LocalFree(arguments);
    return split;
}

TEST(HandOverCommandLine, QuotedArgumentArrivesUnchanged) {
    for (const std::wstring path : {L"C:\\", L"C:\\a b\\", L"C:\\a b\\c", L"C:\\Work", L"\\\\server\\share\\",
                                    L"C:\\say \"hi\"\\x", L"C:\\ends with quote\"", L"C:\\x\\\\\\",
                                    L"C:\\x\\\\\"y", L"C:\\tab\there", L"\"", L""}) {
        const std::wstring quoted = QuoteCommandLineArgument(path);
        const std::vector<std::wstring> split = SplitAfterProgram(quoted);
        ASSERT_EQ(split.size(), 1u) << "quoted as: " << std::string(quoted.begin(), quoted.end());
        EXPECT_EQ(split[0], path) << "quoted as: " << std::string(quoted.begin(), quoted.end());
    }
}

TEST(HandOverProgram, IsTheX86BuildBesideThisProgram) {
    EXPECT_EQ(corvane::X86BuildPathBeside(L"C:\\Program Files\\Corvane\\Corvane.x86-64.exe"),
              L"C:\\Program Files\\Corvane\\Corvane.x86-32.exe");
    EXPECT_EQ(corvane::X86BuildPathBeside(L"C:/tools/bin/Corvane.x86-64.exe"), L"C:\\tools\\bin\\Corvane.x86-32.exe")
        << "written with backslashes";
    EXPECT_EQ(corvane::X86BuildPathBeside(L"\\\\server\\share\\Corvane.x86-64.exe"),
              L"\\\\server\\share\\Corvane.x86-32.exe");
}

DWORD WINAPI ProbeOnThread(void* parameter) {
    auto* state = static_cast<std::pair<const std::wstring*, bool*>*>(parameter);
    corvane::ProbePathChain(*state->first);
    *state->second = true;
    return 0;
}

// 32,767 units of "a\": one search per ancestor, on a thread whose stack
// is far too small for one frame per separator.
TEST(ProbePathChain, LongChainOfSeparatorsRunsInASmallStack) {
    std::wstring path;
    while (path.size() + 2 <= 32767)
        path += L"a\\";
    path += L"a";
    ASSERT_EQ(path.size(), 32767u);

    bool returned = false;
    std::pair<const std::wstring*, bool*> state{&path, &returned};
    const HANDLE thread = CreateThread(nullptr, 64 * 1024, ProbeOnThread, &state, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                       nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(returned);
}

} // namespace
