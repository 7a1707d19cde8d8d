#include "folderdialogs/tree_selection.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "core/unique_handle.h"
#include "hooklib/CorvaneLib.h"
#include "hooklib/tree_walk.h"

namespace corvane {
namespace {

// A hung or busy dialog is not waited for longer than this per message.
constexpr DWORD kAnswerTimeoutMs = 1000;

// Memory in another process for the tree to write an item's text into,
// released with the object.
class RemoteItemBuffer {
public:
    static constexpr SIZE_T kSize = sizeof(TVITEMW) + cvlib::kItemTextCapacity * sizeof(wchar_t);

    explicit RemoteItemBuffer(HANDLE process) noexcept
        : process_(process),
          address_(static_cast<BYTE*>(VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~RemoteItemBuffer() {
        if (address_ != nullptr)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteItemBuffer(const RemoteItemBuffer&) = delete;
    RemoteItemBuffer& operator=(const RemoteItemBuffer&) = delete;

    explicit operator bool() const noexcept { return address_ != nullptr; }
    BYTE* item() const noexcept { return address_; }
    wchar_t* text() const noexcept { return reinterpret_cast<wchar_t*>(address_ + sizeof(TVITEMW)); }

private:
    HANDLE process_;
    BYTE* address_;
};

bool AskTree(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(tree, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) == 0)
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

bool NextItem(HWND tree, WPARAM relation, HTREEITEM item, HTREEITEM& next) {
    LRESULT answer = 0;
    if (!AskTree(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), answer))
        return false;
    next = reinterpret_cast<HTREEITEM>(answer);
    return true;
}

bool ItemText(HWND tree, HANDLE process, const RemoteItemBuffer& buffer, HTREEITEM item, std::wstring& text) {
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = buffer.text();
    query.cchTextMax = cvlib::kItemTextCapacity;
    LRESULT answer = 0;
    if (!WriteProcessMemory(process, buffer.item(), &query, sizeof(query), nullptr) ||
        !AskTree(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.item()), answer) || answer == 0)
        return false;
    std::vector<wchar_t> read(cvlib::kItemTextCapacity);
    if (!ReadProcessMemory(process, buffer.text(), read.data(), read.size() * sizeof(wchar_t), nullptr))
        return false;
    read.back() = L'\0';
    text = read.data();
    return true;
}

// The texts, gathered from the selection upwards, from the top down.
std::wstring JoinComponents(const std::vector<std::wstring>& texts) {
    std::wstring joined;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
        if (text != texts.rbegin())
            joined += cvlib::kComponentSeparator;
        joined += *text;
    }
    return joined;
}

} // namespace

HWND FindFolderDialogTree(HWND dialog, DialogType type) {
    HWND tree = nullptr;
    if (type == OldFolderBrowser) {
        tree = GetDlgItem(dialog, cvlib::kOldStyleTreeId);
    } else if (type == NewFolderBrowser) {
        const HWND nameSpace = FindWindowExW(dialog, nullptr, cvlib::kNameSpaceClass, nullptr);
        tree = nameSpace != nullptr ? GetDlgItem(nameSpace, cvlib::kNameSpaceTreeId) : nullptr;
    }
    wchar_t className[32] = L"";
    if (tree == nullptr || GetClassNameW(tree, className, 32) == 0 || lstrcmpW(className, WC_TREEVIEWW) != 0)
        return nullptr;
    return tree;
}

std::wstring ReadSelectedTreePath(HWND tree) {
    DWORD processId = 0;
    if (tree == nullptr || GetWindowThreadProcessId(tree, &processId) == 0)
        return {};
    const UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process)
        return {};
    const RemoteItemBuffer buffer(process.get());
    if (!buffer)
        return {};
    // Texts from the selection upwards; the root item is not part of the path.
    std::vector<std::wstring> texts;
    HTREEITEM item = nullptr;
    if (!NextItem(tree, TVGN_CARET, nullptr, item))
        return {};
    while (item != nullptr) {
        // A chain longer than any display path is no folder dialog's tree.
        if (texts.size() == cvlib::kPathCapacity)
            return {};
        HTREEITEM parent = nullptr;
        if (!NextItem(tree, TVGN_PARENT, item, parent))
            return {};
        if (parent == nullptr)
            break;
        std::wstring text;
        if (!ItemText(tree, process.get(), buffer, item, text))
            return {};
        texts.push_back(std::move(text));
        item = parent;
    }
    return JoinComponents(texts);
}

} // namespace corvane
