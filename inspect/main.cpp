// CorvaneInspect: a console program that shows what the program beside it
// would find on the desktop now, and why a run would do nothing.
//
//   CorvaneInspect.x86-64.exe ["<target>"]
//
// Exit status: 0 when a run would drive a dialog, 1 when it would exit with
// -1 first, 2 for more than one argument or "/?".

#include <windows.h>

#include <optional>
#include <string>

#include "inspect/inspection.h"
#include "inspect/report_output.h"
#include "program/single_argument.h"
#include "tallow/exception.h"

namespace {

// The text after the program's name, as the C runtime hands it to wWinMain:
// the program reads its target from exactly this.
const wchar_t* CommandLineTail(const wchar_t* commandLine) {
    bool quoted = false;
    while (*commandLine > L' ' || (*commandLine != L'\0' && quoted)) {
        if (*commandLine == L'"')
            quoted = !quoted;
        ++commandLine;
    }
    while (*commandLine != L'\0' && *commandLine <= L' ')
        ++commandLine;
    return commandLine;
}

void ReportUsage(corvane::inspect::ReportOutput& out) {
    out.Line(L"usage: CorvaneInspect.<arch>.exe [\"<target>\"]");
    out.Line(L"Shows what Corvane would find on the desktop now and, with the target Corvane would be given,");
    out.Line(L"whether it would drive the dialog or why it would exit with -1. Changes nothing.");
    out.Line(L"Exit status: 0 Corvane would drive a dialog, 1 it would not, 2 wrong usage.");
}

} // namespace

int wmain(int, wchar_t**) {
    corvane::inspect::ReportOutput out;
    const wchar_t* tail = CommandLineTail(GetCommandLineW());
    std::optional<std::wstring> target;
    if (*tail != L'\0') {
        std::wstring argument;
        if (!corvane::SplitSingleArgument(tail, argument) || argument == L"/?") {
            ReportUsage(out);
            return 2;
        }
        target = argument;
    }
    try {
        return corvane::inspect::Inspect(target, out);
    } catch (const tallow::exception& failure) {
        out.Line(L"The inspection failed: " + failure.message());
    } catch (const std::exception&) {
        out.Line(L"The inspection failed: out of memory or a similar failure.");
    }
    return 1;
}
