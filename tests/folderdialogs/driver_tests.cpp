// What of the folder driver needs no dialog: the hand-over's command
// line and program path, and the probe of a path's ancestors.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <thread>

#include "program/entry.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/folder_driver.h"

namespace {

// The x86 build reads the hand-over with the same splitting as every run.
TEST(HandOverCommandLine, TargetPathArrivesUnchanged) {
    for (const std::wstring path : {L"C:\\", L"C:\\a b\\", L"C:\\a b\\c", L"C:\\Work", L"\\\\server\\share\\",
                                    L"C:\\x\\\\\\", L"C:\\tab\there", L"C:\\\u0416\u4E2D\U0001F600", L"relative\\dir",
                                    L""}) {
        const std::wstring tail = corvane::QuoteForHandOver(path);
        std::wstring received;
        ASSERT_TRUE(corvane::SplitSingleArgument(tail.c_str(), received))
            << "handed over as: " << std::string(tail.begin(), tail.end());
        EXPECT_EQ(received, path) << "handed over as: " << std::string(tail.begin(), tail.end());
    }
}

// A double quote cannot stand in a path; such a target must not arrive as
// some other single path. The quote inside ends the first argument, so the
// x86 build reads more than one and refuses the run.
TEST(HandOverCommandLine, TargetWithAQuoteNeverArrivesAsAnotherPath) {
    for (const std::wstring path : {L"C:\\say \"hi\"\\x", L"C:\\ends with quote\"", L"\""}) {
        const std::wstring tail = corvane::QuoteForHandOver(path);
        std::wstring received;
        EXPECT_FALSE(corvane::SplitSingleArgument(tail.c_str(), received))
            << "handed over as: " << std::string(tail.begin(), tail.end())
            << ", arrived as: " << std::string(received.begin(), received.end());
    }
}

// What callers pass: an argument with a trailing backslash inside quotes, as
// file managers write drive roots, keeps its backslash; blanks need quotes.
TEST(CommandLine, SplitsLikeCallersWrite) {
    std::wstring received;
    ASSERT_TRUE(corvane::SplitSingleArgument(L"\"C:\\\"", received));
    EXPECT_EQ(received, L"C:\\");
    ASSERT_TRUE(corvane::SplitSingleArgument(L"C:\\Work\\report.txt", received));
    EXPECT_EQ(received, L"C:\\Work\\report.txt");
    EXPECT_FALSE(corvane::SplitSingleArgument(L"C:\\a b\\c.txt", received)) << "two arguments";
    EXPECT_FALSE(corvane::SplitSingleArgument(L"", received)) << "no argument";
    ASSERT_TRUE(corvane::SplitSingleArgument(L"\"\"", received));
    EXPECT_EQ(received, L"");
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
