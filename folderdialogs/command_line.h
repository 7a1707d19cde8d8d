#pragma once

#include <string>

namespace corvane {

// The command-line tail that hands the target path to the x86 build. The
// receiving program splits its tail with the platform's splitter, which reads
// the first token by the rules for a program name: double quotes group and
// backslashes are literal. A path cannot contain a double quote, so between
// two quotes it arrives exactly, a trailing backslash (C:\) included.
std::wstring QuoteForHandOver(const std::wstring& path);

} // namespace corvane
