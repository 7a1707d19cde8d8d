#pragma once

#include <string>

namespace corvane {

// Splits the text after the program's name with the platform's splitter;
// true when it holds exactly one argument, which is stored in argument.
bool SplitSingleArgument(const wchar_t* commandLine, std::wstring& argument);

} // namespace corvane
