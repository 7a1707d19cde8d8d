#include "folderdialogs/folder_driver.h"

#include <algorithm>
#include <optional>

#include <boost/filesystem/path.hpp>

#include "core/process_integrity.h"
#include "core/program_instance.h"
#include "core/run_turn.h"
#include "core/unique_handle.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/display_path.h"
#include "folderdialogs/process_bitness.h"
#include "folderdialogs/tree_selection.h"
#include "hooklib/CorvaneLib.h"
#include "tallow/module_path.h"

namespace corvane {
namespace {

// The hook reads at most this many units of the carrier's title.
constexpr std::size_t kLongestDisplayPath = 2047;

// After this many passes of up to 100 ms without a reply, the wait asks
// whether the dialog's thread can still go on.
constexpr int kPassesWithoutReply = 10;
constexpr DWORD kPassMs = 100;
// Time for an expanded folder's children to appear before the hook retries.
constexpr DWORD kPauseBeforeNudgeMs = 25;
// The hook answers not yet at most 50 times per walk; more come from elsewhere.
constexpr int kMostNudges = 50;
// How long the x86 build may take to drive a dialog: its own wait for the
// hook, and time to start, name the path and clean up.
constexpr DWORD kHandOverWaitMs = kWalkBoundMs + 15000;
// For a terminated process to be gone.
constexpr DWORD kTerminationWaitMs = 1000;

void SearchOnce(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW(path.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const UniqueFindHandle search(first);
    while (FindNextFileW(search.get(), &found)) {
    }
}

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

// While no reply comes, the walk may still go on unless the dialog's thread
// is gone or hung (by the system's measure: 5 s without retrieving messages).
bool DialogThreadMayStillAct(HWND dialog) {
    return IsWindow(dialog) && !IsHungAppWindow(dialog);
}

// A process at a lower integrity level than this one, or one whose level
// cannot be read.
bool RunsBelowThisProcess(HWND dialog) {
    const std::optional<DWORD> dialogLevel = IntegrityLevelOfWindow(dialog);
    const std::optional<DWORD> ownLevel = ProcessIntegrityLevel(GetCurrentProcess());
    return !dialogLevel || !ownLevel || *dialogLevel < *ownLevel;
}

// The system drops posts from a lower integrity level to a higher one unless
// the receiving window lets the message in: an elevated run must let in the
// replies of the hook in a normal program's dialog, and nothing else.
bool OpenToReplies(HWND carrier) {
    for (const UINT reply : {cvlib::kWalkFinished, cvlib::kWalkNotYet, cvlib::kWalkNotReached}) {
        if (!ChangeWindowMessageFilterEx(carrier, reply, MSGFLT_ALLOW, nullptr))
            return false;
    }
    return true;
}

HWND CreateCarrier(const std::wstring& displayPath) {
    return CreateWindowExW(0, L"STATIC", displayPath.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), nullptr);
}

WalkReply ReplyOf(const MSG& message, HWND carrier) {
    if (message.hwnd != carrier)
        return WalkReply::None;
    switch (message.message) {
    case cvlib::kWalkFinished:
        return WalkReply::Finished;
    case cvlib::kWalkNotYet:
        return WalkReply::NotYet;
    case cvlib::kWalkNotReached:
        return WalkReply::NotReached;
    default:
        return WalkReply::None;
    }
}

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

// CreateProcessW, unlike the shell, never stops at a security prompt for a
// downloaded file; the x86 build without its library beside it would stop at
// the loader's error box.
int HandOverToX86Build(const std::wstring& path, const std::wstring& programPath,
                       const std::wstring& redirectedFolder) {
    const std::wstring program = X86BuildPathBeside(programPath);
    if (!redirectedFolder.empty() && IsSameOrInside(program, redirectedFolder))
        return -1;
    if (!IsFile(program) || !IsFile(X86LibraryPathBeside(programPath)))
        return -1;
    std::wstring commandLine = L"\"" + program + L"\" " + QuoteForHandOver(path);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // The x86 build takes the turn over; it must not wait for its parent.
    PassRunTurnOfThisProcess();
    {
        const QuietErrorMode quiet;
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            return -1;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    if (WaitForSingleObject(process.get(), kHandOverWaitMs) != WAIT_OBJECT_0) {
        // Past its own bounds the x86 build is stopped, so that -1 is what
        // happened and nothing moves the dialog after this run has ended.
        TerminateProcess(process.get(), static_cast<UINT>(-1));
        WaitForSingleObject(process.get(), kTerminationWaitMs);
        return -1;
    }
    DWORD status = 1;
    if (!GetExitCodeProcess(process.get(), &status))
        return -1;
    return status == 0 ? 0 : -1;
}

void ProbePathChain(const std::wstring& path) {
    std::wstring current = path;
    while (!current.empty()) {
        SearchOnce(current);
        const std::size_t slash = current.rfind(L'/');
        const std::size_t backslash = current.rfind(L'\\');
        const std::size_t cut = std::max(slash == std::wstring::npos ? 0 : slash,
                                         backslash == std::wstring::npos ? 0 : backslash);
        current.resize(cut);
    }
}

FolderHookSession::FolderHookSession(HWND dialog, const std::wstring& displayPath, DialogType type)
    : dialog_(dialog), type_(type), displayPath_(displayPath), carrier_(CreateCarrier(displayPath)) {
    // A reply that could not come back would leave a driven dialog reported
    // as -1: such a dialog is not touched at all.
    if (carrier_ != nullptr && (OpenToReplies(carrier_) || !RunsBelowThisProcess(dialog)))
        hook_ = CVLib_SetFolderDialog(dialog, carrier_, type);
}

FolderHookSession::~FolderHookSession() {
    RemoveHookAndCarrier();
}

void FolderHookSession::RemoveHookAndCarrier() noexcept {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (carrier_ != nullptr)
        DestroyWindow(carrier_);
    carrier_ = nullptr;
}

WalkReply FolderHookSession::AwaitReply() {
    for (int pass = 0; pass < kPassesWithoutReply; ++pass) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPassMs, QS_ALLINPUT);
            continue;
        }
        // Anything else is dropped, neither translated nor dispatched.
        const WalkReply reply = ReplyOf(message, carrier_);
        if (reply != WalkReply::None)
            return reply;
    }
    return WalkReply::None;
}

void FolderHookSession::Nudge() const {
    dialog_.BringToForeground();
    Sleep(kPauseBeforeNudgeMs);
    PostMessageW(dialog_.handle(), WM_NULL, 0, 0);
}

WalkReply FolderHookSession::AwaitOutcome() {
    const DWORD start = GetTickCount();
    int nudges = 0;
    while (GetTickCount() - start < kWalkBoundMs) {
        const WalkReply reply = AwaitReply();
        if (reply == WalkReply::Finished || reply == WalkReply::NotReached)
            return reply;
        if (reply == WalkReply::NotYet) {
            if (++nudges > kMostNudges)
                return WalkReply::None;
            Nudge();
        } else if (!DialogThreadMayStillAct(dialog_.handle())) {
            // Silence from a thread that is merely busy (the dialog listing a
            // slow folder) is waited through.
            return WalkReply::None;
        }
    }
    return WalkReply::None;
}

bool FolderHookSession::TreeShowsTarget() const {
    return ReadSelectedTreePath(FindFolderDialogTree(dialog_.handle(), type_)) == displayPath_;
}

void FolderHookSession::End() {
    // The hook goes before the dialog is activated, the carrier after it.
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    dialog_.BringToForeground();
    RemoveHookAndCarrier();
}

int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type) {
    switch (RouteForDialog(dialog)) {
    case FolderDialogRoute::Refuse:
        return -1;
    case FolderDialogRoute::HandOver:
        return HandOverToX86Build(path, tallow::GetModulePath(), FolderRedirectedForX86());
    case FolderDialogRoute::DriveHere:
        break;
    }
    const std::wstring displayPath = ResolveDisplayPath(path);
    if (displayPath.empty() || displayPath.size() > kLongestDisplayPath)
        return -1;
    ProbePathChain(path);

    FolderHookSession session(dialog, displayPath, type);
    if (!session)
        return -1;
    const WalkReply outcome = session.AwaitOutcome();
    // A wait that ended without the hook's last word may have missed a walk
    // that got there all the same.
    const bool reached =
        outcome == WalkReply::Finished || (outcome == WalkReply::None && session.TreeShowsTarget());
    session.End();
    return reached ? 0 : -1;
}

} // namespace corvane
