// Test host: shows one dialog on request and reports on standard output what
// happens to it and what it ended with.
//
//   testhost open|save [--dir D] [--name N] [--filter] [--select ITEM]
//   testhost browse [--new] [--files] [--root-dir D]
//   testhost item-open|item-save|item-pick [--dir D] [--name N]
//                                  (the item dialogs through COM; item-pick
//                                   is the open dialog that picks folders)
//   testhost read-text HWND ID      (reports TEXT of a control of a dialog)
//   testhost confirm HWND           (sends the dialog its OK command)
//   testhost module-path           (reports its own file path)
//   testhost lock-timeout          (reports TIMEOUT, the foreground lock
//                                    timeout as a fresh process reads it)
//   testhost error-mode            (leaves a file "started" beside itself;
//                                    ends with 0 when started with the error
//                                    mode that keeps critical-error boxes away)
//   testhost hand-over PROGRAM TARGET [--in-job]
//                                  (a run's side of the hand-over)
//   testhost turn                  (the x86 build's side; turn_stand_in.cpp)
//   testhost standin F1..F6|O1..O4 [--class C] [--name N] [--dir D] [--focus ID]
//                   [--refuse-focus] [--keep-text] [--hidden] [--report-keys]
//                   [--close-at-text-message N] (closes once its file-name box
//                                    has answered N text messages of others)
//                   [--late-navigation MS] [--shown-during-navigation]
//                   [--breadcrumb-names] [--box-shown-after MS] [--auto-complete]
//                   (also ItemOpen, ItemSave, FolderPicker: the item dialogs
//                    of Windows 10/11; F2-nocombo, which matches no signature)
//   testhost folder-standin [--late-children MS [--late-under FOLDER]]
//                   [--slow-folder NAME --slow-ms MS [--slow-on-select]]
//                   [--extra-items N] [--long-item N] [--steal-foreground MS]
//                                  (new-style folder dialog
//                                   whose namespace tree shows the shell)
//   common: [--close-after MS] [--busy-after-ready MS]
//
// Lines: READY <hwnd>, FOLDER <path>, SELECTED <path>, ENTER <text>, OK <text>
// (the OK command of a file stand-in, with its box's text), LISTCLOSED, SHOWN,
// LISTSELECTED <item>,
// RESULT <path>, CANCEL, CLOSED, KEY <virtual key> <control id> (--report-keys);
// folder dialogs add TREE <item texts> after each SELECTED; the folder
// stand-in adds EXPANDING <path>, SLOW/SLOWDONE <name>, ACTIVATED and STOLEN.

#include <objbase.h>

#include <cstdio>
#include <cwchar>

#include "host.h"
#include "support/text.h"
#include "support/windows.h"
#include "tallow/module_path.h"

namespace corvane::host {

Options::Options(int count, wchar_t** arguments) {
    for (int i = 0; i < count; ++i) {
        std::wstring argument = arguments[i];
        if (argument.rfind(L"--", 0) == 0) {
            const bool hasValue = i + 1 < count && std::wcsncmp(arguments[i + 1], L"--", 2) != 0;
            values_[argument.substr(2)] = hasValue ? arguments[++i] : L"";
        } else {
            positional_.push_back(argument);
        }
    }
}

std::wstring Options::Get(const std::wstring& key, const std::wstring& fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : found->second;
}

int Options::GetInt(const std::wstring& key, int fallback) const {
    const auto found = values_.find(key);
    return found == values_.end() ? fallback : std::stoi(found->second);
}

void Report(const std::wstring& tag, const std::wstring& text) {
    std::string line = test::ToUtf8(text.empty() ? tag : tag + L" " + text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::wstring HandleText(HWND window) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    return text;
}

namespace {

constexpr UINT_PTR kCloseTimer = 0xC105E;
constexpr UINT_PTR kBusyTimer = 0xB054;

struct Timing {
    int busyMs = 0;
};
Timing timing;

void CALLBACK OnTimingTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (id == kCloseTimer) {
        Report(L"CLOSED");
        DestroyWindow(window);
        PostQuitMessage(0);
    } else if (id == kBusyTimer) {
        Report(L"BUSY", std::to_wstring(timing.busyMs));
        Sleep(static_cast<DWORD>(timing.busyMs));
        Report(L"IDLE");
    }
}

} // namespace

void ApplyTimingOptions(HWND dialog, const Options& options) {
    if (options.Has(L"close-after"))
        SetTimer(dialog, kCloseTimer, static_cast<UINT>(options.GetInt(L"close-after", 0)), OnTimingTimer);
    if (options.Has(L"busy-after-ready")) {
        timing.busyMs = options.GetInt(L"busy-after-ready", 0);
        SetTimer(dialog, kBusyTimer, 1, OnTimingTimer);
    }
}

// Reports the text of a dialog's control: the file-name box of an open dialog
// keeps it in the ComboBoxEx's edit.
int ReadControlOf(const std::wstring& dialogHandle, const std::wstring& controlId) {
    const HWND control = GetDlgItem(test::ParseHandle(dialogHandle), std::stoi(controlId));
    if (control == nullptr)
        return 1;
    Report(L"TEXT", test::WindowText(control));
    return 0;
}

// A fresh process reads the system's value, not a copy kept by a process
// that read it before, so tests ask the host to read it.
int ReportLockTimeout() {
    DWORD timeout = 0;
    if (!SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0))
        return 1;
    Report(L"TIMEOUT", std::to_wstring(timeout));
    return 0;
}

bool MarkStart(const std::string& content) {
    const std::wstring self = tallow::GetModulePath();
    const std::wstring marker = self.substr(0, self.find_last_of(L"\\/") + 1) + L"started";
    const HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                          written == content.size();
    CloseHandle(file);
    return complete;
}

// Leaves an empty file "started" beside its own program, then ends with 0
// when it was started with the error mode that keeps critical-error boxes
// (the loader's among them) away, 3 otherwise.
int MarkStartAndCheckErrorMode() {
    if (!MarkStart(""))
        return 1;
    return (GetErrorMode() & SEM_FAILCRITICALERRORS) != 0 ? 0 : 3;
}

int ShowUntilClosed(HWND dialog, const Options& options) {
    ApplyTimingOptions(dialog, options);
    Report(L"READY", HandleText(dialog));
    const bool reportKeys = options.Has(L"report-keys");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (reportKeys && message.message == WM_KEYDOWN)
            Report(L"KEY", std::to_wstring(message.wParam) + L" " + std::to_wstring(GetDlgCtrlID(message.hwnd)));
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}

} // namespace corvane::host

int wmain(int count, wchar_t** arguments) {
    using namespace corvane::host;
    if (count < 2) {
        std::fputs("usage: testhost open|save|browse|standin ...\n", stderr);
        return 2;
    }
    OleInitialize(nullptr);
    const std::wstring mode = arguments[1];
    const Options options(count - 2, arguments + 2);
    int result = 2;
    if (mode == L"open" || mode == L"save")
        result = RunOpenDialog(options, mode == L"save");
    else if (mode == L"browse")
        result = RunBrowseDialog(options);
    else if (mode == L"item-open")
        result = RunItemDialog(options, ItemDialogKind::Open);
    else if (mode == L"item-save")
        result = RunItemDialog(options, ItemDialogKind::Save);
    else if (mode == L"item-pick")
        result = RunItemDialog(options, ItemDialogKind::PickFolder);
    else if (mode == L"read-text" && count >= 4)
        result = ReadControlOf(arguments[2], arguments[3]);
    else if (mode == L"confirm" && count >= 3)
        result = PostMessageW(corvane::test::ParseHandle(arguments[2]), WM_COMMAND, IDOK, 0) ? 0 : 1;
    else if (mode == L"module-path")
        Report(L"RESULT", tallow::GetModulePath()), result = 0;
    else if (mode == L"lock-timeout")
        result = ReportLockTimeout();
    else if (mode == L"error-mode")
        result = MarkStartAndCheckErrorMode();
    else if (mode == L"hand-over")
        result = HandOverUnderTurn(options);
    else if (mode == L"turn")
        result = WorkUnderTurn();
    else if (mode == L"standin")
        result = RunStandIn(options);
    else if (mode == L"folder-standin")
        result = RunFolderStandIn(options);
    else
        std::fputs("unknown mode\n", stderr);
    OleUninitialize();
    return result;
}
