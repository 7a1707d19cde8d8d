// The system's item dialogs, shown through COM: the open dialog, the save
// dialog, and the open dialog that picks folders.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "host.h"

namespace corvane::host {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring PathOf(IShellItem* item) {
    PWSTR path = nullptr;
    if (item == nullptr || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return L"";
    std::wstring text = path;
    CoTaskMemFree(path);
    return text;
}

// Reports the dialog's window once it is up (READY), and every folder it
// shows (FOLDER). Lives on the stack of one run, so counting references is a
// formality.
class DialogEvents final : public IFileDialogEvents {
public:
    explicit DialogEvents(const Options& options) : options_(options) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IFileDialogEvents) {
            *object = static_cast<IFileDialogEvents*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
        ReportReadyOnce(dialog);
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(dialog->GetFolder(&folder)))
            Report(L"FOLDER", PathOf(folder.Get()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
        return S_OK;
    }

private:
    // The first folder is shown once the dialog's window exists.
    void ReportReadyOnce(IFileDialog* dialog) {
        ComPtr<IOleWindow> window;
        HWND handle = nullptr;
        if (ready_ || FAILED(dialog->QueryInterface(IID_PPV_ARGS(&window))) || FAILED(window->GetWindow(&handle)) ||
            handle == nullptr)
            return;
        ready_ = true;
        ApplyTimingOptions(handle, options_);
        Report(L"READY", HandleText(handle));
    }

    const Options& options_;
    bool ready_ = false;
};

ComPtr<IShellItem> ItemForPath(const std::wstring& path) {
    ComPtr<IShellItem> item;
    if (!path.empty())
        SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item));
    return item;
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
    if (const ComPtr<IShellItem> folder = ItemForPath(options.Get(L"dir")))
        dialog->SetFolder(folder.Get());
    if (options.Has(L"name"))
        dialog->SetFileName(options.Get(L"name").c_str());
    DialogEvents events(options);
    DWORD cookie = 0;
    dialog->Advise(&events, &cookie);
    const HRESULT shown = dialog->Show(nullptr);
    dialog->Unadvise(cookie);
    ComPtr<IShellItem> result;
    if (SUCCEEDED(shown) && SUCCEEDED(dialog->GetResult(&result)))
        Report(L"RESULT", PathOf(result.Get()));
    else
        Report(L"CANCEL", std::to_wstring(shown));
    return 0;
}

} // namespace corvane::host
