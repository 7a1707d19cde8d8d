// Both sides of a run that hands its work over under its turn. Copied as
// Corvane.x86-32.exe, the host gets the target path as its only argument,
// which names its mode ("turn").

#include <string>

#include "core/run_turn.h"
#include "core/unique_handle.h"
#include "folderdialogs/hand_over.h"
#include "host.h"
#include "support/process.h"

namespace corvane::host {

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
    const UniqueHandle go(OpenEventW(SYNCHRONIZE, FALSE, test::kHandOverGoEvent));
    if (!go || WaitForSingleObject(go.get(), 30000) != WAIT_OBJECT_0)
        return 7;
    return HandOverToX86Build(options.positional()[1], options.positional()[0], L"") == 0 ? 0 : 1;
}

// turn: takes the turn without waiting and leaves its process id in
// "started"; then works with the turn until stopped, or ends with 4.
int WorkUnderTurn() {
    const RunTurn turn(0);
    if (!MarkStart(std::to_string(GetCurrentProcessId())))
        return 1;
    if (turn.held())
        Sleep(30000);
    return turn.held() ? 0 : 4;
}

} // namespace corvane::host
