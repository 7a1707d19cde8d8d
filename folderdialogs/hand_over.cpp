#include "folderdialogs/hand_over.h"

#include <windows.h>

#include <optional>

#include <boost/filesystem/path.hpp>

#include "core/run_turn.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/folder_driver.h"

namespace corvane {
namespace {

// How long the x86 build may take to drive a dialog: its own wait for the
// hook, and time to start, name the path and clean up.
constexpr DWORD kHandOverWaitMs = kWalkBoundMs + 15000;
// For a terminated process to be gone.
constexpr DWORD kTerminationWaitMs = 1000;

// The named file in the program's directory, written with backslashes.
std::wstring FileBeside(const std::wstring& programPath, const wchar_t* name) {
    boost::filesystem::path directory = boost::filesystem::path(programPath).parent_path();
    directory.make_preferred();
    return directory.wstring() + L"\\" + name;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Whether path names folder or something below it, letter case aside as the
// file system does.
bool IsSameOrInside(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    if (folder.empty() || path.size() < folder.size())
        return false;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
        return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\' || path[folder.size()] == L'/';
}

// Keeps the system's critical-error boxes, the loader's "not found" among
// them, away from this process and from the programs it starts meanwhile,
// which inherit the mode.
class QuietErrorMode {
public:
    QuietErrorMode() noexcept : previous_(GetErrorMode()) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS); }
    ~QuietErrorMode() { SetErrorMode(previous_); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT previous_;
};

} // namespace

std::wstring X86BuildPathBeside(const std::wstring& programPath) {
    return FileBeside(programPath, L"Corvane.x86-32.exe");
}

std::wstring X86LibraryPathBeside(const std::wstring& programPath) {
    return FileBeside(programPath, L"CorvaneLib.x86-32.dll");
}

std::wstring FolderRedirectedForX86() {
    wchar_t wow64[MAX_PATH];
    if (GetSystemWow64DirectoryW(wow64, MAX_PATH) == 0)
        return {};
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(system, length);
}

HandOverObstacle FindHandOverObstacle(const std::wstring& programPath, const std::wstring& redirectedFolder) {
    const std::wstring program = X86BuildPathBeside(programPath);
    if (!redirectedFolder.empty() && IsSameOrInside(program, redirectedFolder))
        return HandOverObstacle::InRedirectedFolder;
    if (!IsFile(program))
        return HandOverObstacle::ProgramMissing;
    if (!IsFile(X86LibraryPathBeside(programPath)))
        return HandOverObstacle::LibraryMissing;
    return HandOverObstacle::None;
}

// CreateProcessW, unlike the shell, never stops at a security prompt for a
// downloaded file; the x86 build without its library beside it would stop at
// the loader's error box. This run keeps its turn while the x86 build works
// under it: a run waiting meanwhile gets in only after both have ended.
int HandOverToX86Build(const std::wstring& path, const std::wstring& programPath,
                       const std::wstring& redirectedFolder) {
    if (FindHandOverObstacle(programPath, redirectedFolder) != HandOverObstacle::None)
        return -1;
    const std::wstring program = X86BuildPathBeside(programPath);
    std::optional<ProcessOnThisTurn> x86Build;
    {
        const QuietErrorMode quiet;
        x86Build.emplace(program, L"\"" + program + L"\" " + QuoteForHandOver(path));
    }
    const HANDLE process = x86Build->process();
    if (process == nullptr)
        return -1;
    if (WaitForSingleObject(process, kHandOverWaitMs) != WAIT_OBJECT_0) {
        // Past its own bounds the x86 build is stopped, so that -1 is what
        // happened and nothing moves the dialog after this run has ended.
        TerminateProcess(process, static_cast<UINT>(-1));
        WaitForSingleObject(process, kTerminationWaitMs);
        return -1;
    }
    DWORD status = 1;
    if (!GetExitCodeProcess(process, &status))
        return -1;
    return status == 0 ? 0 : -1;
}

} // namespace corvane
