#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/text.h"

namespace corvane::test {

// "x86-64" or "x86-32": the architecture this test program was built for.
std::wstring ThisArch();
// Folder that holds the test programs, the program under test and the host.
std::wstring BinaryDir();
// <BinaryDir>\<name>.<arch>.exe
std::wstring BinaryPath(const std::wstring& name, const std::wstring& arch = ThisArch());

// A child process whose standard output is read line by line in the
// background. Killed on destruction if it still runs.
class ChildProcess {
public:
    ChildProcess(const std::wstring& program, const std::vector<std::wstring>& arguments);
    // A command line taken verbatim, as Explorer starts a registered command
    // or as cmd wants its own quoting.
    struct CommandLine {
        std::wstring text;
    };
    explicit ChildProcess(const CommandLine& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD id() const noexcept { return processId_; }
    HANDLE handle() const noexcept { return process_; }

    // The exit code, or nothing when the process still runs after timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    // Text after the first line that starts with "<tag> " (or equals tag).
    std::optional<std::wstring> WaitForLine(const std::wstring& tag, DWORD timeoutMs);
    // Every line so far that starts with "<tag> ", in order.
    std::vector<std::wstring> LinesTagged(const std::wstring& tag) const;
    std::vector<std::wstring> Lines() const;
    // Every line, once the process has closed its output or timeoutMs have passed.
    std::vector<std::wstring> AllLines(DWORD timeoutMs);

private:
    void ReadOutput(HANDLE pipe);

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::wstring> lines_;
    bool closed_ = false;
};

// Runs the program under test with the given arguments, each between plain
// double quotes as callers pass paths, and returns its exit
// status as a signed value (-1 for 0xFFFFFFFF). Fails the test if it does not
// end within timeoutMs.
int RunCorvane(const std::vector<std::wstring>& arguments, const std::wstring& arch = ThisArch(),
               DWORD timeoutMs = 30000);
// The same with a command-line tail given verbatim.
int RunCorvaneRaw(const std::wstring& commandLineTail, const std::wstring& arch = ThisArch(),
                  DWORD timeoutMs = 30000);

// The mutex that runs take turns on, held as a script may hold it: owned by
// the thread that created it, until Release or destruction.
class HeldRunTurn {
public:
    HeldRunTurn() : mutex_(CreateMutexW(nullptr, TRUE, L"Local\\Corvane.Run")) {}
    ~HeldRunTurn() {
        Release();
        CloseHandle(mutex_);
    }
    void Release() {
        if (held_)
            ReleaseMutex(mutex_);
        held_ = false;
    }

private:
    HANDLE mutex_;
    bool held_ = true;
};

// Lets the stand-in of a run hand over (host/turn_stand_in.cpp).
constexpr const wchar_t* kHandOverGoEvent = L"Local\\Corvane.Test.Go";

// Why the program and test host of an architecture cannot run here, or empty
// when they can. Decided once per architecture by starting its test host
// (Wine's 32-bit side needs a kernel that runs 32-bit code).
std::wstring WhyArchitectureCannotRun(const std::wstring& arch);

// Quotes an argument for the platform's splitting of arguments after the
// program's name (as the C runtime does for wmain).
std::wstring QuoteArgument(const std::wstring& argument);

} // namespace corvane::test

// Skips the current test, with the reason, when the architecture's programs
// cannot run on this machine.
#define CORVANE_SKIP_UNLESS_ARCH_RUNS(arch)                                                      \
    do {                                                                                        \
        const std::wstring corvaneSkipReason = ::corvane::test::WhyArchitectureCannotRun(arch); \
        if (!corvaneSkipReason.empty())                                                         \
            GTEST_SKIP() << ::corvane::test::ToUtf8(corvaneSkipReason);                         \
    } while (false)
