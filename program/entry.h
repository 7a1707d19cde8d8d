#pragma once

#include <string>

namespace corvane {

// Splits the text after the program's name with the platform's splitter;
// true when it holds exactly one argument, which is stored in argument.
bool SplitSingleArgument(const wchar_t* commandLine, std::wstring& argument);

// Splits the command line (without the program's name), finds the target
// dialog and runs the strategy for its type. 0 done, -1 nothing could be done.
int RunCommandLine(const wchar_t* commandLine);

} // namespace corvane
