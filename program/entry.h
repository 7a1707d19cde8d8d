#pragma once

#include <string>

#include "program/single_argument.h"

namespace corvane {

// Splits the command line (without the program's name), finds the target
// dialog and runs the strategy for its type. 0 done, -1 nothing could be done.
int RunCommandLine(const wchar_t* commandLine);

} // namespace corvane
