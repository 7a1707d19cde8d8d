#include "folderdialogs/process_bitness.h"

#include "core/unique_handle.h"

namespace corvane {
namespace {

template <typename Function>
Function Kernel32Entry(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
// Older headers lack the class and its structure.
using GetProcessInformationFunction = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
constexpr int kProcessMachineTypeInfo = 9;
struct ProcessMachineInformation {
    USHORT processMachine;
    USHORT reserved;
    DWORD machineAttributes;
};

// Windows 11: the machine of an x64 process emulated on ARM64 too.
std::optional<USHORT> MachineTypeInfo(HANDLE process) {
    static const auto getProcessInformation = Kernel32Entry<GetProcessInformationFunction>("GetProcessInformation");
    ProcessMachineInformation information{};
    if (getProcessInformation == nullptr ||
        !getProcessInformation(process, kProcessMachineTypeInfo, &information, sizeof(information)))
        return std::nullopt;
    return information.processMachine;
}

// Windows 10 1511 and later; it also tells native ARM64 processes apart. A
// failed call counts as an answer that names no machine.
std::optional<Wow64Machines> Wow64Process2(HANDLE process) {
    static const auto isWow64Process2 = Kernel32Entry<IsWow64Process2Function>("IsWow64Process2");
    if (isWow64Process2 == nullptr)
        return std::nullopt;
    Wow64Machines machines{IMAGE_FILE_MACHINE_UNKNOWN, IMAGE_FILE_MACHINE_UNKNOWN};
    if (!isWow64Process2(process, &machines.process, &machines.native))
        machines = {IMAGE_FILE_MACHINE_UNKNOWN, IMAGE_FILE_MACHINE_UNKNOWN};
    return machines;
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

USHORT MachineFromAnswers(std::optional<USHORT> machineTypeInfo, std::optional<Wow64Machines> wow64Process2) {
    if (machineTypeInfo)
        return *machineTypeInfo;
    if (!wow64Process2)
        return IMAGE_FILE_MACHINE_UNKNOWN;
    // A process that is not under WOW64 runs as the system's own machine, as
    // far as this query tells.
    return wow64Process2->process != IMAGE_FILE_MACHINE_UNKNOWN ? wow64Process2->process : wow64Process2->native;
}

USHORT ProcessMachine(HANDLE process) {
    const std::optional<USHORT> machineTypeInfo = MachineTypeInfo(process);
    const std::optional<Wow64Machines> wow64Process2 = machineTypeInfo ? std::nullopt : Wow64Process2(process);
    if (machineTypeInfo || wow64Process2)
        return MachineFromAnswers(machineTypeInfo, wow64Process2);
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
