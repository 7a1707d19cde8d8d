// The inspector's report pieces against real windows created here: how a
// signature's criteria are tallied, and how a dialog's tree is written.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inspect/recognition_report.h"
#include "inspect/window_tree.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::CreateChild;
using test::OwnedWindow;

// Built from a layout, with the named controls added.
OwnedWindow Dialog(const wchar_t* layout, const std::wstring& topClass,
                   const std::vector<std::wstring>& extraControls = {}) {
    OwnedWindow window = test::CreateFromLayout(*test::FindLayout(layout), topClass);
    for (const std::wstring& control : extraControls)
        CreateChild(window.get(), control, 0);
    return window;
}

OwnedWindow WithoutOneCommandBar() {
    OwnedWindow window = Dialog(L"O1", L"");
    DestroyWindow(FindWindowExW(window.get(), nullptr, L"MsoCommandBar", nullptr));
    return window;
}

// A control counts for the first criterion it meets: the repeated command bar
// criterion of O1 is met once per bar, and a doubled list box makes up F1's
// count while its box stays missing.
TEST(InspectorReport, TalliesCriteriaAsRecognitionCountsThem) {
    struct Row {
        const char* what;
        OwnedWindow window;
        const wchar_t* signature;
        std::size_t counted;
        std::vector<std::size_t> unmet;
        bool frameMissing = false;
    };
    Row rows[] = {
        {"O1 with one command bar", WithoutOneCommandBar(), L"O1", 5, {5}},
        {"O1 with three command bars", Dialog(L"O1", L"", {L"MsoCommandBar"}), L"O1", 7, {}},
        {"F1 without its box", Dialog(L"F1-nobox", L""), L"F1", 5, {0}},
        {"F4 without its box", Dialog(L"F4-nobox", L""), L"F4", 5, {0}},
        {"F2 without its combo box", Dialog(L"F2-nocombo", L""), L"F2", 3, {3}},
        {"item dialog box without its frame", Dialog(L"F2-nocombo", L""), L"F7", 3, {}, true},
        {"item dialog box in its frame", Dialog(L"F2-nocombo", L"", {L"ExplorerBrowserControl"}), L"F7", 3, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        inspect::RecognitionRecorder recorder;
        RecognizeTopLevelWindow(row.window.get(), reinterpret_cast<LPARAM>(&recorder));
        EXPECT_EQ(recorder.examined(), 1u);
        ASSERT_EQ(recorder.candidates().size(), 1u);
        const inspect::Candidate& candidate = recorder.candidates()[0];
        EXPECT_EQ(candidate.window, row.window.get());
        bool found = false;
        for (const inspect::SignatureTally& tally : candidate.tallies) {
            if (std::wstring(SignatureName(tally.signature)) != row.signature)
                continue;
            found = true;
            EXPECT_EQ(tally.counted, row.counted);
            EXPECT_EQ(tally.unmet, row.unmet);
            EXPECT_EQ(tally.frameMissing, row.frameMissing);
        }
        EXPECT_TRUE(found);
    }
}

std::wstring ReadUtf8(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    char chunk[4096];
    DWORD count = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof(chunk), &count, nullptr) && count > 0)
        bytes.append(chunk, count);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return test::FromUtf8(bytes);
}

// Depth, class, id and shown state for every control; texts of labels and
// buttons only, cut to 40 characters without splitting a character, and on
// one line.
TEST(InspectorReport, WritesTheTreeOfADialogWithoutBoxTexts) {
    const OwnedWindow dialog = test::CreateTopLevel(L"#32770", true);
    const std::wstring longLabel = std::wstring(39, L'a') + L"\U0001F600bc";
    CreateChild(dialog.get(), L"Static", 11, longLabel);
    CreateChild(dialog.get(), L"Static", 12, std::wstring(40, L'b'));
    CreateChild(dialog.get(), L"Button", 1, L"O&pen\r\nnow");
    ShowWindow(CreateChild(dialog.get(), L"Button", 1038, L"Help"), SW_HIDE);
    CreateChild(dialog.get(), L"Edit", 1152, L"secret-name.txt");
    const HWND pane = CreateChild(dialog.get(), L"InspectorTestPane", 0);
    CreateChild(pane, L"ComboBox", 1136, L"secret-type");

    test::TempFolder folder;
    const std::wstring path = folder.path() + L"\\inspect.txt";
    {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        inspect::ReportOutput out(file);
        inspect::ReportUnrecognisedDialogs(out);
        CloseHandle(file);
    }
    const std::wstring report = ReadUtf8(path);
    for (const std::wstring& line :
         {L"\r\n    1 \"Static\" id 11 visible text \"" + std::wstring(39, L'a') + L"\" (cut)\r\n",
          L"\r\n    1 \"Static\" id 12 visible text \"" + std::wstring(40, L'b') + L"\"\r\n",
          std::wstring(L"\r\n    1 \"Button\" id 1 visible text \"O&pen  now\"\r\n"),
          std::wstring(L"\r\n    1 \"Button\" id 1038 hidden text \"Help\"\r\n"),
          std::wstring(L"\r\n    1 \"Edit\" id 1152 visible\r\n"),
          std::wstring(L"\r\n    1 \"InspectorTestPane\" id 0 visible\r\n      2 \"ComboBox\" id 1136 visible\r\n")})
        EXPECT_NE(report.find(line), std::wstring::npos) << test::ToUtf8(line) << " not in:\n" << test::ToUtf8(report);
    EXPECT_EQ(report.find(L"secret"), std::wstring::npos) << test::ToUtf8(report);
}

} // namespace
} // namespace corvane
