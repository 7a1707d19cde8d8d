#pragma once

#include <windows.h>

#include <string>

#include "core/unique_handle.h"

namespace corvane {

// Name of the mutex that every run holds from before it looks at the desktop
// until it exits. Scripts may hold it too, to keep runs out meanwhile.
constexpr const wchar_t* kRunTurnMutexName = L"Local\\Corvane.Run";
// How long a run waits for the run before it to end.
constexpr DWORD kRunTurnWaitMs = 5000;

// One run at a time: two runs against one dialog would mix the folder of one
// target with the file name of the other, and the second would restore the
// foreground lock timeout that the first had lowered. A mutex left by a run
// that was killed counts as free. A run started by another run to finish its
// work (ProcessOnThisTurn) takes the turn its starter holds for it and does
// not wait.
class RunTurn {
public:
    explicit RunTurn(DWORD waitMs = kRunTurnWaitMs);
    ~RunTurn();
    RunTurn(const RunTurn&) = delete;
    RunTurn& operator=(const RunTurn&) = delete;

    // False when another run held the turn past the wait.
    bool held() const noexcept { return held_; }

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

// The turn's mutex, opened for waiting and releasing, and created, when no
// run has it open, so that every run of this user gets in: elevated runs and
// normal ones alike. Null when it cannot be opened.
UniqueHandle OpenRunTurnMutex();

// Name of the job in which a run that holds the turn starts the process
// with this id to work under it.
std::wstring RunTurnJobName(DWORD processId);

// A program that finishes this run's work while this run keeps the turn. It
// runs in a job that ends with this process, so a caller that stops this run
// stops it too. The job is named for the program's process (RunTurnJobName),
// and the program, finding itself in that job, takes the turn held for it
// (see RunTurn). When this process is in a job that the new one cannot nest
// in (before Windows 8, or one with user-interface limits) and that lets no
// program break away, nothing is started.
class ProcessOnThisTurn {
public:
    ProcessOnThisTurn(const std::wstring& program, std::wstring commandLine);
    ProcessOnThisTurn(const ProcessOnThisTurn&) = delete;
    ProcessOnThisTurn& operator=(const ProcessOnThisTurn&) = delete;

    // Null when the program could not be started in its job.
    HANDLE process() const noexcept { return process_.get(); }

private:
    // Declared first, closed last: closing it ends the program if it still runs.
    UniqueHandle job_;
    UniqueHandle process_;
};

} // namespace corvane
