// Both sides of a run that hands its work over under its turn. Copied as
// Corvane.x86-32.exe, the host gets the target path as its only argument,
// which names its mode ("turn").

#include <string>

#include "core/run_turn.h"
#include "folderdialogs/hand_over.h"
#include "host.h"
#include "support/process.h"

namespace corvane::host {
namespace {

void WaitForEvent(const wchar_t* name) {
    const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (event != nullptr)
        WaitForSingleObject(event, 30000);
    if (event != nullptr)
        CloseHandle(event);
}

} // namespace

// hand-over PROGRAM TARGET [--in-job]: takes the turn as a run does, reports
// TURN, and on the go event hands TARGET over to the x86 build beside
// PROGRAM. --in-job first enters a job that lets nothing break away, as a
// script runner's may.
int HandOverUnderTurn(const Options& options) {
    if (options.positional().size() != 2)
        return 2;
    // The job's handle stays open for the rest of the host's life.
    if (options.Has(L"in-job") && !AssignProcessToJobObject(CreateJobObjectW(nullptr, nullptr), GetCurrentProcess()))
        return 6;
    const RunTurn turn;
    if (!turn.held())
        return 5;
    Report(L"TURN");
    WaitForEvent(test::kHandOverGoEvent);
    return HandOverToX86Build(options.positional()[1], options.positional()[0], L"") == 0 ? 0 : 1;
}

// turn: takes the turn without waiting, leaves its process id in "started",
// and with the turn works until the finish event; 4 without the turn.
int WorkUnderTurn() {
    const RunTurn turn(0);
    if (!MarkStart(std::to_string(GetCurrentProcessId())))
        return 1;
    if (!turn.held())
        return 4;
    WaitForEvent(test::kHandOverFinishEvent);
    return 0;
}

} // namespace corvane::host
