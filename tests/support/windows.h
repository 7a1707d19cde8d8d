#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/layouts.h"

namespace corvane::test {

// A window created by the test, destroyed with the object.
class OwnedWindow {
public:
    OwnedWindow() = default;
    explicit OwnedWindow(HWND window) noexcept : window_(window) {}
    ~OwnedWindow() { Reset(); }
    OwnedWindow(OwnedWindow&& other) noexcept : window_(other.window_) { other.window_ = nullptr; }
    OwnedWindow& operator=(OwnedWindow&& other) noexcept {
        if (this != &other) {
            Reset();
            window_ = other.window_;
            other.window_ = nullptr;
        }
        return *this;
    }
    HWND get() const noexcept { return window_; }
    void Reset() noexcept {
        if (window_ != nullptr && IsWindow(window_))
            DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
};

// A top-level window of the given class (registered on demand with
// DefWindowProcW unless it is a system class); shown without activation
// when visible is set. Recognition does not look at visibility.
OwnedWindow CreateTopLevel(const std::wstring& className, bool visible = false);
HWND CreateChild(HWND parent, const std::wstring& className, int id, const std::wstring& text = L"",
                 DWORD extraStyle = 0);

// A top-level window carrying the controls of a stand-in layout as real
// child windows (nested ones inside a child container).
OwnedWindow CreateFromLayout(const StandInLayout& layout, const std::wstring& topLevelClass = L"");

// Dispatches this thread's pending messages for about the given time.
void PumpMessages(DWORD milliseconds);
// Polls the condition while pumping messages; true once it holds.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

std::wstring WindowText(HWND window);
// The first descendant of parent with this id and class, or null.
HWND FindDescendant(HWND parent, int id, const std::wstring& className);
HWND ParseHandle(const std::wstring& text);

// Makes a folder this process's current folder for the object's lifetime;
// programs started meanwhile inherit it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& directory);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring previous_;
};

// The path with its short (8.3) components spelled out, as Windows reports
// the folders it shows; the path itself when it does not exist.
std::wstring LongPath(const std::wstring& path);
// Whether two paths name the same file the way Windows compares them: in
// their long forms, letter case ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);

// True when the tests run under Wine, whose own programs (cmd, ...) differ
// from Windows' in places.
bool UnderWine();

// The caption and program of the recognisable dialog at the top of the
// desktop when another program than the tests and their hosts shows it, or
// empty. Tests that need a desktop without one skip on it.
std::wstring ForeignDialogOnTop();

// A fresh folder under the long form of the temporary folder, removed with
// its contents. When the temporary folder lies in a hidden one (Windows'
// AppData), which folder dialogs do not show, it goes under the user's
// profile folder instead.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"corvane");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const noexcept { return path_; }
    // Creates a sub folder (with parents) and returns its full path.
    std::wstring MakeFolder(const std::wstring& relative) const;
    std::wstring MakeFile(const std::wstring& relative) const;

private:
    std::wstring path_;
};

} // namespace corvane::test
