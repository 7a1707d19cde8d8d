// The program against stand-ins of the Office file dialogs: real top-level
// windows of the "bosa_sdm_" classes whose file-name box changes into a
// folder typed there when Enter is pressed in it.

#include <gtest/gtest.h>

#include <memory>

#include "filedialogs/e2e_support.h"
#include "filedialogs/strategies.h"
#include "support/keys.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

struct OfficeLayout {
    const wchar_t* name;
    int boxId;
    int otherEditId; // a second edit control of the same class
};
const OfficeLayout kWordTen{L"O1", 54, 51};   // RichEdit20W boxes
const OfficeLayout kExcel{L"O2", 39, 36};     // RichEdit20W boxes
const OfficeLayout kOffice97{L"O3", 51, 48};  // Edit boxes
const OfficeLayout kWordNine{L"O4", 48, 45};  // RichEdit20W boxes

class OfficeDialogRun : public test::ArchitectureTest {
protected:
    std::unique_ptr<HostDialog> Show(const OfficeLayout& layout, const std::wstring& folder,
                                     std::vector<std::wstring> extra = {}) {
        std::vector<std::wstring> arguments{L"standin", layout.name, L"--dir", folder, L"--name", L"prev.doc"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return std::make_unique<HostDialog>(arguments, arch());
    }
    int Run(const std::wstring& target) { return test::RunCorvane({target}, arch(), 10000); }
};

std::wstring LastOf(const std::vector<std::wstring>& lines) {
    return lines.empty() ? L"<none>" : lines.back();
}

// Enter was pressed on the folder text, the dialog changed into the folder
// and the box was given the final text afterwards.
void ExpectEnteredFolderThenText(HostDialog& host, const OfficeLayout& layout, const std::wstring& folderText,
                                 const std::wstring& folder, const std::wstring& finalText) {
    test::WaitUntil([&] { return host.LastFolder() == folder; }, 2000);
    EXPECT_EQ(test::ToUtf8(LastOf(host.Lines(L"ENTER"))), test::ToUtf8(folderText));
    EXPECT_EQ(test::ToUtf8(host.LastFolder()), test::ToUtf8(folder));
    EXPECT_EQ(test::ToUtf8(test::ControlText(host.dialog(), layout.boxId)), test::ToUtf8(finalText));
    EXPECT_TRUE(host.Lines(L"RESULT").empty()) << "nothing may be chosen before the user confirms";
}

TEST_P(OfficeDialogRun, EveryLayoutTakesFolderWithEnterThenTheName) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    const std::wstring other = root.MakeFolder(L"Other folder");
    for (const OfficeLayout& layout : {kWordTen, kExcel, kOffice97, kWordNine}) {
        SCOPED_TRACE(test::ToUtf8(layout.name));
        auto host = Show(layout, root.path());

        EXPECT_EQ(Run(work + L"\\report.doc"), 0);
        ExpectEnteredFolderThenText(*host, layout, work + L"\\", work, L"report.doc");

        SCOPED_TRACE("directory as target: the previous text comes back");
        EXPECT_EQ(Run(other), 0);
        ExpectEnteredFolderThenText(*host, layout, other + L"\\", other, L"report.doc");
        EXPECT_EQ(host->Lines(L"ENTER").size(), 2u);
    }
}

TEST_P(OfficeDialogRun, DriveRootKeepsItsBackslashAndBareNamesStay) {
    test::TempFolder root;
    for (const OfficeLayout& layout : {kWordTen, kOffice97}) {
        SCOPED_TRACE(test::ToUtf8(layout.name));
        auto host = Show(layout, root.path());

        EXPECT_EQ(Run(L"C:\\report.doc"), 0);
        ExpectEnteredFolderThenText(*host, layout, L"C:\\", L"C:\\", L"report.doc");

        SCOPED_TRACE("bare file name: only the box changes");
        EXPECT_EQ(Run(L"bare.doc"), 0);
        EXPECT_EQ(test::ControlText(host->dialog(), layout.boxId), L"bare.doc");
        EXPECT_EQ(host->Lines(L"ENTER").size(), 1u);
        EXPECT_EQ(host->Lines(L"FOLDER").size(), 1u);
    }
}

// Alt still held from the hotkey that started the run: Enter reaches the box
// as Enter, not as Alt+Enter, and Alt is down again for the user to let go.
TEST_P(OfficeDialogRun, HeldAltStillLetsEnterChangeTheFolder) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    auto host = Show(kWordTen, root.path());
    int status = 1;
    {
        test::HeldKeys alt({VK_LMENU});
        ASSERT_TRUE(alt.Registered());
        status = Run(work + L"\\report.doc");
        EXPECT_EQ(test::ModifierKeysDown(), (std::vector<WORD>{VK_LMENU, VK_MENU}));
    }
    EXPECT_EQ(status, 0);
    ExpectEnteredFolderThenText(*host, kWordTen, work + L"\\", work, L"report.doc");
    EXPECT_EQ(test::ModifierKeysDown(), std::vector<WORD>{});
}

// Nothing was typed, the dialog stays where it was and the box keeps what
// the user had in it: the run says so.
TEST_P(OfficeDialogRun, FocusElsewhereTouchesNothingAndEndsWithMinusOne) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    for (const OfficeLayout& layout : {kWordTen, kOffice97}) {
        SCOPED_TRACE(test::ToUtf8(layout.name));
        auto host = Show(layout, root.path(), {L"--focus", std::to_wstring(layout.otherEditId)});

        EXPECT_EQ(Run(work + L"\\report.doc"), -1);
        test::PumpMessages(200);
        EXPECT_TRUE(host->Lines(L"ENTER").empty());
        EXPECT_TRUE(host->Lines(L"FOLDER").empty());
        EXPECT_EQ(test::ToUtf8(test::ControlText(host->dialog(), layout.boxId)), "prev.doc");
        EXPECT_TRUE(host->StillOpen());
    }
}

TEST_P(OfficeDialogRun, MissingFolderLeavesTheDialogUntouched) {
    test::TempFolder root;
    auto host = Show(kExcel, root.path());

    EXPECT_EQ(Run(root.path() + L"\\Missing\\report.doc"), -1);
    EXPECT_EQ(test::RunCorvaneRaw(L"\"" + root.path() + L"\\Missing\\\"", arch()), -1);
    test::PumpMessages(200);
    EXPECT_TRUE(host->Lines(L"ENTER").empty());
    EXPECT_TRUE(host->Lines(L"FOLDER").empty());
    EXPECT_EQ(test::ControlText(host->dialog(), kExcel.boxId), L"prev.doc");
    EXPECT_TRUE(host->StillOpen());
}

INSTANTIATE_TEST_SUITE_P(StandIns, OfficeDialogRun, ::testing::ValuesIn(test::ArchitecturesToRun()), test::ArchName);

// Called in this process, the strategy's attachment to the dialog's thread
// can be checked from the outside once it has returned.
TEST(FillOfficeFileDialog, LeavesNoInputAttachedAndRefusesANullBox) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    HostDialog host({L"standin", kWordTen.name, L"--dir", root.path(), L"--name", L"prev.doc"});
    const HWND box = GetDlgItem(host.dialog(), kWordTen.boxId);
    const DWORD hostThread = GetWindowThreadProcessId(host.dialog(), nullptr);
    const DWORD me = GetCurrentThreadId();

    EXPECT_EQ(FillOfficeFileDialog(host.dialog(), work + L"\\report.doc", nullptr), -1);
    EXPECT_TRUE(host.Lines(L"ENTER").empty());
    EXPECT_EQ(test::ControlText(host.dialog(), kWordTen.boxId), L"prev.doc");

    EXPECT_EQ(FillOfficeFileDialog(host.dialog(), work + L"\\report.doc", box), 0);
    EXPECT_TRUE(host.WaitFor(L"ENTER", 2000).has_value());
    EXPECT_NE(GetFocus(), box) << "the dialog's focus must not be this thread's any more";
    EXPECT_FALSE(AttachThreadInput(me, hostThread, FALSE)) << "an attachment was left behind";
    EXPECT_EQ(test::ControlText(host.dialog(), kWordTen.boxId), L"report.doc");
}

} // namespace
} // namespace corvane
