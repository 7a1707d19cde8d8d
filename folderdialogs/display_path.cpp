#include "folderdialogs/display_path.h"

#include <objbase.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "hooklib/CorvaneLib.h"

namespace corvane {
namespace {

// Owns one COM interface reference.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(Interface* adopted) noexcept : pointer_(adopted) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* get() const noexcept { return pointer_; }
    Interface** receive() noexcept {
        Reset();
        return &pointer_;
    }
    void Adopt(Interface* adopted) noexcept {
        Reset();
        pointer_ = adopted;
    }
    void Reset() noexcept {
        if (pointer_ != nullptr)
            pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// Owns an identifier list allocated by the shell allocator.
class ShellItemList {
public:
    ShellItemList(IMalloc* allocator, LPITEMIDLIST list) noexcept : allocator_(allocator), list_(list) {}
    ~ShellItemList() {
        if (allocator_ != nullptr && list_ != nullptr)
            allocator_->Free(list_);
    }
    ShellItemList(const ShellItemList&) = delete;
    ShellItemList& operator=(const ShellItemList&) = delete;

    const SHITEMID* first() const noexcept { return &list_->mkid; }

private:
    IMalloc* allocator_;
    LPITEMIDLIST list_;
};

// COM for this thread, apartment-threaded, for the object's lifetime: shell
// folders that are COM objects (network locations, libraries, cloud folders)
// need it. A thread already in an apartment keeps it; every successful
// initialisation is balanced.
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

// The hook reads at most this many units of the carrier's title.
constexpr std::size_t kLongestDisplayPath = 2047;

const SHITEMID* NextItem(const SHITEMID* item) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb);
}

constexpr std::size_t kSingleItemCapacity = 1024;

// Joins the display names of the list's items, level by level; empty when a
// level cannot be named.
std::wstring JoinDisplayNames(IShellFolder* desktop, const SHITEMID* item) {
    desktop->AddRef();
    ComRef<IShellFolder> current(desktop);

    alignas(8) BYTE single[kSingleItemCapacity];
    std::wstring joined;
    for (; item->cb != 0; item = NextItem(item)) {
        if (static_cast<std::size_t>(item->cb) + 3 > kSingleItemCapacity)
            return {};
        std::memcpy(single, item, item->cb);
        single[item->cb] = 0;
        single[item->cb + 1] = 0;
        const auto singleList = reinterpret_cast<LPCITEMIDLIST>(single);

        // A name that holds the separator could not be told from two.
        const std::wstring name = ItemDisplayName(current.get(), singleList);
        if (name.empty() || name.find(cvlib::kComponentSeparator) != std::wstring::npos)
            return {};
        if (!joined.empty())
            joined += cvlib::kComponentSeparator;
        joined += name;

        // A middle item that is no folder leaves no folder: the next name fails.
        IShellFolder* child = nullptr;
        // IID_PPV_ARGS names the interface by its declared identifier, so the
        // program needs no import library's table of every identifier.
        if (FAILED(current.get()->BindToObject(singleList, nullptr, IID_PPV_ARGS(&child))))
            child = nullptr;
        current.Adopt(child);
    }
    return joined;
}

} // namespace

DisplayPathFault FindDisplayPathFault(const std::wstring& displayPath) {
    if (displayPath.empty())
        return DisplayPathFault::Unnamed;
    if (displayPath.size() > kLongestDisplayPath)
        return DisplayPathFault::TooLong;
    return DisplayPathFault::None;
}

std::wstring ItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item) {
    if (folder == nullptr)
        return {};
    STRRET name{};
    if (folder->GetDisplayNameOf(item, SHGDN_NORMAL, &name) != S_OK)
        return {};
    wchar_t* text = nullptr;
    if (StrRetToStrW(&name, item, &text) != S_OK)
        return {};
    std::wstring copy;
    try {
        copy = text;
    } catch (...) {
        CoTaskMemFree(text);
        throw;
    }
    CoTaskMemFree(text);
    return copy;
}

std::wstring ResolveDisplayPath(const std::wstring& path) {
    // Some shells parse the empty string to a folder of their choice; an empty
    // target names no folder at all.
    if (path.empty())
        return {};
    // Before every interface reference, so that it outlives them all.
    const ComApartment apartment;
    ComRef<IMalloc> allocator;
    ComRef<IShellFolder> desktop;
    if (FAILED(SHGetMalloc(allocator.receive())) || FAILED(SHGetDesktopFolder(desktop.receive())) ||
        allocator.get() == nullptr || desktop.get() == nullptr)
        return {};

    std::vector<wchar_t> writable(path.begin(), path.end());
    writable.push_back(L'\0');
    LPITEMIDLIST list = nullptr;
    if (FAILED(desktop.get()->ParseDisplayName(nullptr, nullptr, writable.data(), nullptr, &list, nullptr)) ||
        list == nullptr)
        return {};
    ShellItemList owned(allocator.get(), list);
    return JoinDisplayNames(desktop.get(), owned.first());
}

} // namespace corvane
