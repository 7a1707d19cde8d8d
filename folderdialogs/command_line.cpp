#include "folderdialogs/command_line.h"

namespace corvane {

std::wstring QuoteCommandLineArgument(const std::wstring& argument) {
    std::wstring quoted(1, L'"');
    std::size_t pendingBackslashes = 0;
    for (const wchar_t unit : argument) {
        if (unit == L'\\') {
            ++pendingBackslashes;
            continue;
        }
        if (unit == L'"') {
            // Each backslash before a quote is doubled, and the quote escaped.
            quoted.append(pendingBackslashes * 2 + 1, L'\\');
        } else {
            quoted.append(pendingBackslashes, L'\\');
        }
        pendingBackslashes = 0;
        quoted += unit;
    }
    quoted.append(pendingBackslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

} // namespace corvane
