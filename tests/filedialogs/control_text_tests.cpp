// Reading and waiting for the text of real controls.

#include <gtest/gtest.h>

#include <richedit.h>

#include "core/target_window.h"
#include "filedialogs/control_text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::CreateChild;
using test::CreateTopLevel;
using test::OwnedWindow;

// Text with characters outside ASCII and outside the BMP, of the given length.
std::wstring MixedText(std::size_t length) {
    const std::wstring pattern = L"abc Жж 文字 \U0001D11E.";
    std::wstring text;
    while (text.size() < length)
        text += pattern;
    text.resize(length);
    if (IS_HIGH_SURROGATE(text.back()))
        text.back() = L'z';
    return text;
}

void SetText(HWND window, const std::wstring& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

TEST(ReadControlText, ReadsWholeTextsOfRealControls) {
    OwnedWindow top = CreateTopLevel(L"CorvaneTextHost");
    const HWND edit = CreateChild(top.get(), L"Edit", 1, L"", ES_AUTOHSCROLL);
    const HWND rich = CreateChild(top.get(), L"RichEdit20W", 2, L"", ES_AUTOHSCROLL);
    const HWND combo = CreateChild(top.get(), L"ComboBoxEx32", 3, L"", CBS_DROPDOWN);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(rich, nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageW(edit, EM_SETLIMITTEXT, 100000, 0);
    SendMessageW(rich, EM_EXLIMITTEXT, 0, 100000);

    for (const HWND control : {edit, rich, combo}) {
        const TargetWindow target(control);
        SCOPED_TRACE(control == edit ? "Edit" : control == rich ? "RichEdit20W" : "ComboBoxEx32");
        SetText(control, L"");
        EXPECT_EQ(target.ReadControlText(), L"");

        const std::wstring text300 = MixedText(300);
        SetText(control, text300);
        EXPECT_EQ(target.ReadControlText(), text300);
    }
    for (const HWND control : {edit, rich}) {
        SCOPED_TRACE(control == edit ? "Edit" : "RichEdit20W");
        const std::wstring long40k = MixedText(40000);
        SetText(control, long40k);
        const std::wstring read = TargetWindow(control).ReadControlText();
        EXPECT_EQ(read.size(), 40000u);
        EXPECT_TRUE(read == long40k);
    }
}

TEST(ReadControlText, WindowThatNoLongerExistsReadsEmpty) {
    HWND gone = nullptr;
    {
        OwnedWindow top = CreateTopLevel(L"CorvaneTextHost");
        gone = CreateChild(top.get(), L"Edit", 1, L"soon gone");
        ASSERT_EQ(TargetWindow(gone).ReadControlText(), L"soon gone");
    }
    ASSERT_FALSE(IsWindow(gone));
    EXPECT_EQ(TargetWindow(gone).ReadControlText(), L"");
    EXPECT_EQ(TargetWindow(nullptr).ReadControlText(), L"");
}

// A control that announces one length and then delivers another, as a text
// that changes between the two messages does; it also counts its reads.
struct Misreporter {
    LRESULT announced = 0;
    std::wstring delivered;
    LRESULT claimedCount = -1; // what WM_GETTEXT returns; -1: the true count
    int reads = 0;
};
Misreporter misreporter;

LRESULT CALLBACK MisreportingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXTLENGTH)
        return misreporter.announced;
    if (message == WM_GETTEXT) {
        ++misreporter.reads;
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        const std::size_t room = wParam == 0 ? 0 : static_cast<std::size_t>(wParam) - 1;
        const std::size_t count = std::min(room, misreporter.delivered.size());
        misreporter.delivered.copy(buffer, count);
        if (wParam != 0)
            buffer[count] = L'\0';
        return misreporter.claimedCount >= 0 ? misreporter.claimedCount : static_cast<LRESULT>(count);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

OwnedWindow CreateMisreporter() {
    test::RegisterWindowClass(L"CorvaneMisreporter", MisreportingProcedure);
    misreporter = Misreporter{};
    return OwnedWindow(CreateWindowExW(0, L"CorvaneMisreporter", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
}

TEST(ReadControlText, EndsAtWhatTheControlDelivered) {
    OwnedWindow window = CreateMisreporter();
    ASSERT_NE(window.get(), nullptr);
    const TargetWindow target(window.get());

    misreporter.announced = 50;
    misreporter.delivered = L"short";
    EXPECT_EQ(target.ReadControlText(), L"short") << "shrunk between the two messages";

    misreporter.delivered = L"";
    EXPECT_EQ(target.ReadControlText(), L"");

    // A count beyond the buffer must not carry the result past what was
    // asked for.
    misreporter.announced = 4;
    misreporter.delivered = L"abcdefgh";
    misreporter.claimedCount = 1000;
    EXPECT_EQ(target.ReadControlText(), L"abcd");

    misreporter.announced = -7;
    misreporter.delivered = L"never asked";
    misreporter.claimedCount = -1;
    EXPECT_EQ(target.ReadControlText(), L"");
}

TEST(WaitForControlText, ReadsOnceWhenShownAndTenTimesWhenNever) {
    OwnedWindow window = CreateMisreporter();
    ASSERT_NE(window.get(), nullptr);
    const TargetWindow target(window.get());
    misreporter.announced = 6;
    misreporter.delivered = L"folder";

    WaitForControlText(target, L"folder");
    EXPECT_EQ(misreporter.reads, 1);

    misreporter.reads = 0;
    WaitForControlText(target, L"Folder");
    EXPECT_EQ(misreporter.reads, 10) << "letter case counts; the wait is bounded";

    misreporter.reads = 0;
    WaitForControlText(target, L"folder\\");
    EXPECT_EQ(misreporter.reads, 10);
}

} // namespace
} // namespace corvane
