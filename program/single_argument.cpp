#include "program/single_argument.h"

#include <windows.h>
#include <shellapi.h>

namespace corvane {

bool SplitSingleArgument(const wchar_t* commandLine, std::wstring& argument) {
    // With nothing after the program's name the splitter would report the
    // program's own path as the one argument; that is no target.
    if (commandLine == nullptr || *commandLine == L'\0')
        return false;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr)
        return false;
    const bool single = count == 1;
    if (single)
        argument = arguments[0];
    LocalFree(arguments);
    return single;
}

} // namespace corvane
