#include "folderdialogs/folder_driver.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include <boost/filesystem/path.hpp>

#include "core/program_instance.h"
#include "core/target_window.h"
#include "core/unique_handle.h"
#include "folderdialogs/command_line.h"
#include "folderdialogs/display_path.h"
#include "hooklib/CorvaneLib.h"
#include "tallow/module_path.h"

namespace corvane {
namespace {

// The hook reads at most this many units of the carrier's title.
constexpr std::size_t kLongestDisplayPath = 2047;

constexpr UINT kWalkFinished = WM_APP;
constexpr UINT kWalkNotYet = WM_APP + 1;

// Hidden window whose title carries the display path to the hook and whose
// thread receives the hook's replies.
class CarrierWindow {
public:
    explicit CarrierWindow(const std::wstring& title)
        : window_(CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(),
                                  nullptr)) {}
    ~CarrierWindow() {
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    CarrierWindow(const CarrierWindow&) = delete;
    CarrierWindow& operator=(const CarrierWindow&) = delete;

    HWND handle() const noexcept { return window_; }

private:
    HWND window_;
};

class InstalledHook {
public:
    explicit InstalledHook(HHOOK hook) noexcept : hook_(hook) {}
    ~InstalledHook() { Remove(); }
    InstalledHook(const InstalledHook&) = delete;
    InstalledHook& operator=(const InstalledHook&) = delete;

    explicit operator bool() const noexcept { return hook_ != nullptr; }
    void Remove() noexcept {
        if (hook_ != nullptr)
            UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }

private:
    HHOOK hook_;
};

void SearchOnce(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW(path.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const UniqueFindHandle search(first);
    while (FindNextFileW(search.get(), &found)) {
    }
}

#if defined(_WIN64)
bool BelongsTo32BitProcess(HWND dialog) {
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (process.get() == nullptr)
        return false;
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process.get(), &wow64))
        return false;
    return wow64 != FALSE;
}

// Starts the x86 build beside this program with the same path; its own hook
// library is the one that can enter a 32-bit process.
int HandOverToX86Build(const std::wstring& path) {
    const std::wstring program = X86BuildPathBeside(tallow::GetModulePath());
    const std::wstring parameters = QuoteForHandOver(path);
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, program.c_str(), parameters.c_str(), L"", SW_SHOWDEFAULT));
    return started > 32 ? 0 : -1;
}
#endif

// Waits a bounded time for the hook's replies, nudging the dialog whenever the
// hook waits for a folder's children to appear.
void AwaitWalk(const TargetWindow& dialog) {
    int passes = 0;
    do {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(100);
        } else if (message.message == kWalkFinished) {
            return;
        } else if (message.message == kWalkNotYet) {
            dialog.BringToForeground();
            Sleep(25);
            PostMessageW(dialog.handle(), WM_NULL, 0, 0);
            passes = 0;
        }
        ++passes;
    } while (passes < 10);
}

} // namespace

std::wstring X86BuildPathBeside(const std::wstring& programPath) {
    boost::filesystem::path directory = boost::filesystem::path(programPath).parent_path();
    directory.make_preferred();
    return directory.wstring() + L"\\Corvane.x86-32.exe";
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

int DriveFolderDialog(HWND dialog, const std::wstring& path, DialogType type) {
#if defined(_WIN64)
    if (BelongsTo32BitProcess(dialog))
        return HandOverToX86Build(path);
#endif
    const std::wstring displayPath = ResolveDisplayPath(path);
    if (displayPath.empty() || displayPath.size() > kLongestDisplayPath)
        return -1;
    ProbePathChain(path);

    CarrierWindow carrier(displayPath);
    if (carrier.handle() == nullptr)
        return -1;
    InstalledHook hook(CVLib_SetFolderDialog(dialog, carrier.handle(), type));
    if (!hook)
        return -1;
    const TargetWindow target(dialog);
    AwaitWalk(target);
    hook.Remove();
    target.BringToForeground();
    return 0;
}

} // namespace corvane
