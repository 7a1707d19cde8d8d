// The system's item dialogs, shown through COM: the open dialog, the save
// dialog, and the open dialog that picks folders.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "host.h"

namespace corvane::host {
namespace {

using Microsoft::WRL::ComPtr;

HHOOK activationHook = nullptr;

// Show gives no sign of the dialog's window until it returns: the dialog is
// reported (READY) when it is first activated.
LRESULT CALLBACK ReportActivatedDialog(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t className[16] = L"";
    if (code == HCBT_ACTIVATE && activationHook != nullptr &&
        GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16) > 0 && std::wstring(className) == L"#32770") {
        Report(L"READY", HandleText(reinterpret_cast<HWND>(wParam)));
        UnhookWindowsHookEx(activationHook);
        activationHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring PathOf(IShellItem* item) {
    PWSTR path = nullptr;
    if (item == nullptr || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return L"";
    std::wstring text = path;
    CoTaskMemFree(path);
    return text;
}

ComPtr<IFileDialog> CreateItemDialog(ItemDialogKind kind) {
    ComPtr<IFileDialog> dialog;
    const CLSID& type = kind == ItemDialogKind::Save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog;
    if (FAILED(CoCreateInstance(type, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return nullptr;
    if (kind == ItemDialogKind::PickFolder) {
        FILEOPENDIALOGOPTIONS flags = 0;
        dialog->GetOptions(&flags);
        dialog->SetOptions(flags | FOS_PICKFOLDERS);
    }
    return dialog;
}

} // namespace

int RunItemDialog(const Options& options, ItemDialogKind kind) {
    const ComPtr<IFileDialog> dialog = CreateItemDialog(kind);
    if (!dialog) {
        Report(L"ERROR", L"no item dialog");
        return 1;
    }
    ComPtr<IShellItem> folder;
    if (options.Has(L"dir") &&
        SUCCEEDED(SHCreateItemFromParsingName(options.Get(L"dir").c_str(), nullptr, IID_PPV_ARGS(&folder))))
        dialog->SetFolder(folder.Get());
    if (options.Has(L"name"))
        dialog->SetFileName(options.Get(L"name").c_str());
    activationHook = SetWindowsHookExW(WH_CBT, ReportActivatedDialog, nullptr, GetCurrentThreadId());
    const HRESULT shown = dialog->Show(nullptr);
    if (activationHook != nullptr)
        UnhookWindowsHookEx(activationHook);
    ComPtr<IShellItem> result;
    if (SUCCEEDED(shown) && SUCCEEDED(dialog->GetResult(&result)))
        Report(L"RESULT", PathOf(result.Get()));
    else
        Report(L"CANCEL", std::to_wstring(shown));
    return 0;
}

} // namespace corvane::host
