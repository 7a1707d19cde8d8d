#include "core/run_turn.h"

namespace corvane {
namespace {

RunTurn* turnOfThisProcess = nullptr;

} // namespace

RunTurn::RunTurn(DWORD waitMs) : mutex_(CreateMutexW(nullptr, FALSE, kRunTurnMutexName)) {
    if (!mutex_)
        return;
    const DWORD waited = WaitForSingleObject(mutex_.get(), waitMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (held_ && turnOfThisProcess == nullptr)
        turnOfThisProcess = this;
}

RunTurn::~RunTurn() {
    Pass();
    if (turnOfThisProcess == this)
        turnOfThisProcess = nullptr;
}

void RunTurn::Pass() noexcept {
    if (held_)
        ReleaseMutex(mutex_.get());
    held_ = false;
}

void PassRunTurnOfThisProcess() noexcept {
    if (turnOfThisProcess != nullptr)
        turnOfThisProcess->Pass();
}

} // namespace corvane
