#include "folderdialogs/process_bitness.h"

#include "core/unique_handle.h"

namespace corvane {
namespace {

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

// Windows 10 1511 and later; it also tells native ARM64 processes apart.
IsWow64Process2Function IsWow64Process2Entry() {
    static const auto entry = reinterpret_cast<IsWow64Process2Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
    return entry;
}

// Without IsWow64Process2 the system is x86 or x64: a 64-bit build runs on
// x64 only, and a 32-bit one learns which from whether it runs under WOW64.
USHORT NativeMachineOfOlderSystem() {
#if defined(_WIN64)
    return IMAGE_FILE_MACHINE_AMD64;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64))
        return IMAGE_FILE_MACHINE_UNKNOWN;
    return wow64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
#endif
}

} // namespace

FolderDialogRoute RouteForMachines(USHORT dialogMachine, USHORT ownMachine) {
    if (dialogMachine == IMAGE_FILE_MACHINE_UNKNOWN)
        return FolderDialogRoute::Refuse;
    if (dialogMachine == ownMachine)
        return FolderDialogRoute::DriveHere;
    if (ownMachine == IMAGE_FILE_MACHINE_AMD64 && dialogMachine == IMAGE_FILE_MACHINE_I386)
        return FolderDialogRoute::HandOver;
    return FolderDialogRoute::Refuse;
}

USHORT ProcessMachine(HANDLE process) {
    if (const IsWow64Process2Function isWow64Process2 = IsWow64Process2Entry()) {
        USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        if (!isWow64Process2(process, &processMachine, &nativeMachine))
            return IMAGE_FILE_MACHINE_UNKNOWN;
        // A process that is not under WOW64 runs as the system's own machine.
        return processMachine != IMAGE_FILE_MACHINE_UNKNOWN ? processMachine : nativeMachine;
    }
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process, &wow64))
        return IMAGE_FILE_MACHINE_UNKNOWN;
    return wow64 ? IMAGE_FILE_MACHINE_I386 : NativeMachineOfOlderSystem();
}

FolderDialogRoute RouteForDialog(HWND dialog) {
    const UniqueHandle process = OpenProcessOfWindow(dialog);
    if (!process)
        return FolderDialogRoute::Refuse;
    return RouteForMachines(ProcessMachine(process.get()), kOwnMachine);
}

} // namespace corvane
