#include <windows.h>

#include "program/entry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // Whatever escapes a strategy (out of memory, a failed system call that
    // could not be gone around) ends the run as a failure, not a crash.
    try {
        return corvane::RunCommandLine(commandLine);
    } catch (...) {
        return -1;
    }
}
