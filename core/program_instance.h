#pragma once

#include <windows.h>

namespace corvane {

// The program's own module instance handle, held from start-up to exit.
HINSTANCE ProgramInstance() noexcept;

} // namespace corvane
