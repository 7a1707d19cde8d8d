// What of the folder driver needs no dialog: the hand-over's command
// line, program path and start, and the probe of a path's ancestors.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <thread>

#include "program/entry.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/folder_driver.h"
#include "support/process.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;

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

// Wine does not pass a process's error mode on to the processes it starts.
bool ChildrenInheritTheErrorMode() {
    return !test::UnderWine();
}

// A copy of the test host stands in for the x86 build: handed the path
// "error-mode", it leaves a file "started" beside itself and ends with 0 only
// when started with the error mode that keeps the loader's boxes away. Where
// WOW64 would show a 32-bit program another folder (System32 and below),
// nothing is started.
TEST(HandOverProgram, StartsQuietlyUnlessWow64WouldRedirectItsFolder) {
    test::TempFolder root;
    const std::wstring system = root.MakeFolder(L"System32");
    ASSERT_TRUE(CopyFileW(test::BinaryPath(L"testhost").c_str(), (system + L"\\Corvane.x86-32.exe").c_str(), FALSE));
    root.MakeFile(L"System32\\CorvaneLib.x86-32.dll");
    const std::wstring program = system + L"\\Corvane.x86-64.exe";
    const std::wstring marker = system + L"\\started";
    std::wstring upper = system;
    CharUpperW(upper.data());
    struct Row {
        std::wstring redirected;
        bool started;
    };
    for (const Row& row : {Row{L"", true}, Row{root.path() + L"\\System3", true}, Row{system + L"2", true},
                           Row{system, false}, Row{system + L"\\", false}, Row{upper, false}, Row{root.path(), false}}) {
        SCOPED_TRACE("redirected folder: " + test::ToUtf8(row.redirected));
        DeleteFileW(marker.c_str());
        const int status = corvane::HandOverToX86Build(L"error-mode", program, row.redirected);
        EXPECT_EQ(GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES, row.started);
        EXPECT_EQ(status, row.started && ChildrenInheritTheErrorMode() ? 0 : -1);
    }
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
