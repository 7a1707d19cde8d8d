#include "core/program_instance.h"

namespace corvane {
namespace {

// Taken during static initialisation, before the entry point runs.
const HINSTANCE programInstance = GetModuleHandleW(nullptr);

} // namespace

HINSTANCE ProgramInstance() noexcept {
    return programInstance;
}

} // namespace corvane
