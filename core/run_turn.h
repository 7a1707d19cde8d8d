#pragma once

#include <windows.h>

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
// that was killed counts as free.
class RunTurn {
public:
    explicit RunTurn(DWORD waitMs = kRunTurnWaitMs);
    ~RunTurn();
    RunTurn(const RunTurn&) = delete;
    RunTurn& operator=(const RunTurn&) = delete;

    // False when another run held the turn past the wait.
    bool held() const noexcept { return held_; }
    // Gives the turn up before the run ends, to a program the run starts to
    // finish its work: that program must not wait for its own parent.
    void Pass() noexcept;

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

// Passes the turn that this process holds, if any (see RunTurn::Pass).
void PassRunTurnOfThisProcess() noexcept;

} // namespace corvane
