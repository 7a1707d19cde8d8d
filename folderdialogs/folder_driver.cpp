#include "folderdialogs/folder_driver.h"

#include <algorithm>

#include <boost/filesystem/path.hpp>

#include "core/program_instance.h"
#include "core/run_turn.h"
#include "core/unique_handle.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/display_path.h"
#include "folderdialogs/process_bitness.h"
#include "hooklib/CorvaneLib.h"
#include "tallow/module_path.h"

namespace corvane {
namespace {

// The hook reads at most this many units of the carrier's title.
constexpr std::size_t kLongestDisplayPath = 2047;

// Without a reply the wait ends after this many passes of up to 100 ms.
constexpr int kPassesWithoutReply = 10;
constexpr DWORD kPassMs = 100;
// Time for an expanded folder's children to appear before the hook retries.
constexpr DWORD kPauseBeforeNudgeMs = 25;
// The hook answers not yet at most 50 times per walk; more come from elsewhere.
constexpr int kMostNudges = 50;
// How long the x86 build may take to drive a dialog.
constexpr DWORD kHandOverWaitMs = 10000;

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

// Runs the x86 build beside this program on the same path and passes its exit
// status on: only it can enter a 32-bit process. CreateProcessW, unlike the
// shell, never stops at a security prompt for a downloaded file; without its
// hook library beside it the x86 build would die in a loader error box.
int HandOverToX86Build(const std::wstring& path) {
    const std::wstring self = tallow::GetModulePath();
    const std::wstring program = X86BuildPathBeside(self);
    if (!IsFile(program) || !IsFile(X86LibraryPathBeside(self)))
        return -1;
    std::wstring commandLine = L"\"" + program + L"\" " + QuoteForHandOver(path);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // The x86 build takes the turn over; it must not wait for its parent.
    PassRunTurnOfThisProcess();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return -1;
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // Past the wait the x86 build is left to finish on its own.
    if (WaitForSingleObject(process.get(), kHandOverWaitMs) != WAIT_OBJECT_0)
        return -1;
    DWORD status = 1;
    if (!GetExitCodeProcess(process.get(), &status))
        return -1;
    return status == 0 ? 0 : -1;
}

WalkReply ReplyOf(const MSG& message) {
    if (message.hwnd != nullptr)
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
    : dialog_(dialog),
      carrier_(CreateWindowExW(0, L"STATIC", displayPath.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), nullptr)) {
    if (carrier_ != nullptr)
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
        const WalkReply reply = ReplyOf(message);
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
    for (int nudges = 0; nudges <= kMostNudges; ++nudges) {
        const WalkReply reply = AwaitReply();
        if (reply != WalkReply::NotYet)
            return reply;
        Nudge();
    }
    return WalkReply::None;
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
        return HandOverToX86Build(path);
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
    session.End();
    return outcome == WalkReply::Finished ? 0 : -1;
}

} // namespace corvane
