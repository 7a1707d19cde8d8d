// Which folder dialogs this build drives, hands to the x86 build or leaves
// alone, by the machine its process runs as.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "core/unique_handle.h"
#include "folderdialogs/process_bitness.h"
#include "support/host.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;
using corvane::FolderDialogRoute;

TEST(ProcessBitness, RouteFollowsTheDialogsMachine) {
    constexpr USHORT kUnknown = IMAGE_FILE_MACHINE_UNKNOWN;
    constexpr USHORT kI386 = IMAGE_FILE_MACHINE_I386;
    constexpr USHORT kAmd64 = IMAGE_FILE_MACHINE_AMD64;
    constexpr USHORT kArm64 = IMAGE_FILE_MACHINE_ARM64;
    struct Row {
        USHORT dialog;
        USHORT own;
        FolderDialogRoute route;
    };
    for (const Row& row : {Row{kAmd64, kAmd64, FolderDialogRoute::DriveHere},
                           Row{kI386, kAmd64, FolderDialogRoute::HandOver},
                           Row{kI386, kI386, FolderDialogRoute::DriveHere},
                           Row{kAmd64, kI386, FolderDialogRoute::Refuse},
                           Row{kArm64, kI386, FolderDialogRoute::Refuse},
                           Row{kArm64, kAmd64, FolderDialogRoute::Refuse},
                           Row{kUnknown, kAmd64, FolderDialogRoute::Refuse},
                           Row{kUnknown, kI386, FolderDialogRoute::Refuse}}) {
        EXPECT_EQ(corvane::RouteForMachines(row.dialog, row.own), row.route)
            << "dialog machine 0x" << std::hex << row.dialog << ", own 0x" << row.own;
    }
}

// The machine is taken from the newest query the system has. On ARM64 an
// x64 process is emulated outside WOW64, so IsWow64Process2 names only the
// system's machine for it; GetProcessInformation names x64.
TEST(ProcessBitness, MachineAndRouteFromTheSystemsAnswers) {
    constexpr USHORT kUnknown = IMAGE_FILE_MACHINE_UNKNOWN;
    constexpr USHORT kI386 = IMAGE_FILE_MACHINE_I386;
    constexpr USHORT kAmd64 = IMAGE_FILE_MACHINE_AMD64;
    constexpr USHORT kArm64 = IMAGE_FILE_MACHINE_ARM64;
    using Wow64 = corvane::Wow64Machines;
    struct Row {
        const char* process;
        std::optional<USHORT> machineTypeInfo;
        std::optional<Wow64> wow64Process2;
        USHORT machine;
        FolderDialogRoute routeForX64Build;
    };
    for (const Row& row : {
             Row{"x64 on ARM64", kAmd64, Wow64{kUnknown, kArm64}, kAmd64, FolderDialogRoute::DriveHere},
             Row{"ARM64 on ARM64", kArm64, Wow64{kUnknown, kArm64}, kArm64, FolderDialogRoute::Refuse},
             Row{"x86 on ARM64", kI386, Wow64{kI386, kArm64}, kI386, FolderDialogRoute::HandOver},
             Row{"ARM64 on Windows 10", std::nullopt, Wow64{kUnknown, kArm64}, kArm64, FolderDialogRoute::Refuse},
             Row{"x86 on Windows 10", std::nullopt, Wow64{kI386, kAmd64}, kI386, FolderDialogRoute::HandOver},
             Row{"x64 on Windows 10", std::nullopt, Wow64{kUnknown, kAmd64}, kAmd64, FolderDialogRoute::DriveHere},
             Row{"IsWow64Process2 failed", std::nullopt, Wow64{kUnknown, kUnknown}, kUnknown, FolderDialogRoute::Refuse},
             Row{"neither query exists", std::nullopt, std::nullopt, kUnknown, FolderDialogRoute::Refuse}}) {
        SCOPED_TRACE(row.process);
        const USHORT machine = corvane::MachineFromAnswers(row.machineTypeInfo, row.wow64Process2);
        EXPECT_EQ(machine, row.machine);
        EXPECT_EQ(corvane::RouteForMachines(machine, kAmd64), row.routeForX64Build);
    }
}

TEST(ProcessBitness, MachineOfRealProcesses) {
    EXPECT_EQ(corvane::ProcessMachine(GetCurrentProcess()), corvane::kOwnMachine);
    const corvane::UniqueHandle notAProcess(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(corvane::ProcessMachine(notAProcess.get()), IMAGE_FILE_MACHINE_UNKNOWN) << "a handle that cannot be asked";

    test::OwnedWindow own = test::CreateTopLevel(L"#32770");
    EXPECT_EQ(corvane::RouteForDialog(own.get()), FolderDialogRoute::DriveHere);
    const HWND vanished = own.get();
    own.Reset();
    EXPECT_EQ(corvane::RouteForDialog(vanished), FolderDialogRoute::Refuse);

    if (!test::WhyArchitectureCannotRun(L"x86-32").empty())
        return;
    test::HostDialog host({L"browse"}, L"x86-32");
    EXPECT_EQ(corvane::RouteForDialog(host.dialog()),
              corvane::kOwnMachine == IMAGE_FILE_MACHINE_I386 ? FolderDialogRoute::DriveHere : FolderDialogRoute::HandOver);
}

} // namespace
