#include "support/windows.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwchar>

#include "core/recognition.h"
#include "support/text.h"

namespace corvane::test {
namespace {

bool IsSystemClass(const std::wstring& className) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return GetClassInfoExW(nullptr, className.c_str(), &info) != FALSE ||
           GetClassInfoExW(GetModuleHandleW(nullptr), className.c_str(), &info) != FALSE;
}

void EnsureClass(const std::wstring& className) {
    RegisterStandInClasses();
    if (!IsSystemClass(className))
        RegisterWindowClass(className.c_str());
}

// Removes a folder with everything below it. Works on extended-length paths,
// so that folders deeper than MAX_PATH go too (the shell's file operation
// cannot remove those and, under Wine, has removed unrelated files instead).
void DeleteTreeExtended(const std::wstring& extended) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((extended + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = extended + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                DeleteTreeExtended(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(extended.c_str());
}

void DeleteTree(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
        return; // only absolute drive paths, never a relative one
    DeleteTreeExtended(L"\\\\?\\" + path);
}

std::wstring ProcessImageName(DWORD processId) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return L"";
    wchar_t path[MAX_PATH * 4] = L"";
    DWORD size = static_cast<DWORD>(std::size(path));
    const bool read = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    const std::wstring image = read ? std::wstring(path, size) : std::wstring();
    return image.substr(image.rfind(L'\\') + 1);
}

bool IsHidden(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// A folder below the drive root, or one of its ancestors, is hidden.
bool LiesInHiddenFolder(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    for (std::size_t end = path.find(L'\\', 3); end != std::wstring::npos; end = path.find(L'\\', end + 1))
        if (IsHidden(path.substr(0, end)))
            return true;
    return path.size() > 3 && IsHidden(path);
}

// With a trailing backslash.
std::wstring TemporaryBase() {
    wchar_t temporary[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring base = LongPath(temporary);
    if (!LiesInHiddenFolder(base))
        return base;
    wchar_t profile[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    return LongPath(profile) + L"\\";
}

} // namespace

OwnedWindow CreateTopLevel(const std::wstring& className, bool visible) {
    EnsureClass(className);
    const HWND window = CreateWindowExW(WS_EX_NOACTIVATE, className.c_str(), L"test window",
                                        WS_POPUP | WS_CAPTION, 50, 50, 400, 300, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr && visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return OwnedWindow(window);
}

HWND CreateChild(HWND parent, const std::wstring& className, int id, const std::wstring& text, DWORD extraStyle) {
    EnsureClass(className);
    return CreateWindowExW(0, className.c_str(), text.c_str(), WS_CHILD | WS_VISIBLE | extraStyle, 0, 0, 100, 20,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           nullptr);
}

OwnedWindow CreateFromLayout(const StandInLayout& layout, const std::wstring& topLevelClass) {
    OwnedWindow top = CreateTopLevel(topLevelClass.empty() ? layout.topLevelClass : topLevelClass);
    HWND container = nullptr;
    for (const ControlSpec& control : layout.controls) {
        HWND parent = top.get();
        if (control.nested) {
            if (container == nullptr)
                container = CreateChild(top.get(), L"Static", 0);
            parent = container;
        }
        CreateChild(parent, control.className, control.id);
    }
    BuildItemTree(top.get(), layout.itemTree);
    return top;
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        PumpMessages(20);
    }
}

std::wstring WindowText(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

HWND FindDescendant(HWND parent, int id, const std::wstring& className) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[256] = L"";
        GetClassNameW(child, name, 256);
        if (GetDlgCtrlID(child) == id && className == name)
            return child;
        if (HWND deeper = FindDescendant(child, id, className))
            return deeper;
    }
    return nullptr;
}

HWND ParseHandle(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoull(text.c_str(), nullptr, 16)));
}

CurrentDirectory::CurrentDirectory(const std::wstring& directory) {
    wchar_t previous[MAX_PATH * 4] = L"";
    GetCurrentDirectoryW(static_cast<DWORD>(std::size(previous)), previous);
    previous_ = previous;
    if (!SetCurrentDirectoryW(directory.c_str()))
        ADD_FAILURE() << "cannot change into " << ToUtf8(directory);
}

CurrentDirectory::~CurrentDirectory() {
    SetCurrentDirectoryW(previous_.c_str());
}

std::wstring LongPath(const std::wstring& path) {
    std::wstring longPath(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (length == 0 || length >= longPath.size())
        return path;
    longPath.resize(length);
    return longPath;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring longA = LongPath(a);
    const std::wstring longB = LongPath(b);
    return CompareStringOrdinal(longA.c_str(), static_cast<int>(longA.size()), longB.c_str(),
                                static_cast<int>(longB.size()), TRUE) == CSTR_EQUAL;
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring ForeignDialogOnTop() {
    if (!FindTargetDialog())
        return L"";
    DWORD processId = 0;
    GetWindowThreadProcessId(matchedDialog, &processId);
    const std::wstring image = ProcessImageName(processId);
    if (processId == GetCurrentProcessId() || _wcsnicmp(image.c_str(), L"testhost.", 9) == 0)
        return L"";
    wchar_t caption[256] = L"";
    GetWindowTextW(matchedDialog, caption, 256);
    return L"\"" + std::wstring(caption) + L"\" of " +
           (image.empty() ? L"process " + std::to_wstring(processId) : image);
}

TempFolder::TempFolder(const std::wstring& name) {
    static const std::wstring base = TemporaryBase();
    static unsigned counter = 0;
    path_ = base + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    DeleteTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    DeleteTree(path_);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const {
    std::wstring current = path_;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        current += L"\\" + relative.substr(start, end - start);
        CreateDirectoryW(current.c_str(), nullptr);
        start = end + 1;
    }
    return current;
}

std::wstring TempFolder::MakeFile(const std::wstring& relative) const {
    const std::wstring full = path_ + L"\\" + relative;
    const HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return full;
}

} // namespace corvane::test
