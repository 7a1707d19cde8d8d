#pragma once

#include <string>

namespace corvane {

// Quotes one argument so that the platform's command-line splitting gives it
// back unchanged: backslashes before a quote (the closing one included) are
// doubled and embedded quotes escaped.
std::wstring QuoteCommandLineArgument(const std::wstring& argument);

} // namespace corvane
