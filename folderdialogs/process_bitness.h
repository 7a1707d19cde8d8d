#pragma once

#include <windows.h>

#include <optional>

namespace corvane {

// The machine this build's code runs as: a hook library of this build can
// enter only a process of the same machine.
#if defined(_M_ARM64) || defined(__aarch64__)
constexpr USHORT kOwnMachine = IMAGE_FILE_MACHINE_ARM64;
#elif defined(_WIN64)
constexpr USHORT kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr USHORT kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

enum class FolderDialogRoute {
    DriveHere, // same machine: this build's hook library can enter it
    HandOver,  // a 32-bit process seen from the x64 build: the x86 build drives it
    Refuse,    // another machine, or one that cannot be told
};

// What to do with a folder dialog whose process runs as dialogMachine
// (IMAGE_FILE_MACHINE_UNKNOWN when it could not be told).
FolderDialogRoute RouteForMachines(USHORT dialogMachine, USHORT ownMachine);

// IsWow64Process2's answer: the machine WOW64 runs the process as
// (IMAGE_FILE_MACHINE_UNKNOWN when the process is not under WOW64), and the
// system's own.
struct Wow64Machines {
    USHORT process;
    USHORT native;
};

// The machine a process's code runs as, from what the system answered
// (nothing where it lacks the query or the query failed):
// GetProcessInformation(ProcessMachineTypeInfo) names it, x64 emulated on
// ARM64 included; IsWow64Process2 names the system's machine for every
// process outside WOW64. IMAGE_FILE_MACHINE_UNKNOWN when neither answered.
USHORT MachineFromAnswers(std::optional<USHORT> machineTypeInfo, std::optional<Wow64Machines> wow64Process2);

// The machine a process's code runs as, or IMAGE_FILE_MACHINE_UNKNOWN when it
// cannot be told. The handle needs PROCESS_QUERY_LIMITED_INFORMATION.
USHORT ProcessMachine(HANDLE process);

// The route for the dialog's process; Refuse when the process cannot be opened.
FolderDialogRoute RouteForDialog(HWND dialog);

} // namespace corvane
