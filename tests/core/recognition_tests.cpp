#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/recognition.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::CreateChild;
using test::CreateFromLayout;
using test::CreateTopLevel;
using test::FindLayout;
using test::OwnedWindow;

struct Recognition {
    bool recognised;
    DialogType type;
    HWND firstMatch;
};

Recognition Recognise(HWND window) {
    const bool recognised = RecognizeTopLevelWindow(window, 0) == FALSE;
    if (!recognised) {
        EXPECT_EQ(matchedDialog, nullptr);
        EXPECT_EQ(matchedSignature, nullptr);
        return {false, OldFolderBrowser, nullptr};
    }
    EXPECT_EQ(matchedDialog, window);
    return {true, matchedSignature->type, matchedSignature->firstMatch};
}

OwnedWindow FromLayout(const wchar_t* name, const std::wstring& topClass = L"") {
    const test::StandInLayout* layout = FindLayout(name);
    EXPECT_NE(layout, nullptr) << "no layout";
    return CreateFromLayout(*layout, topClass);
}

TEST(Recognition, EveryStandInLayoutIsRecognisedWithItsTypeAndBox) {
    const struct {
        const wchar_t* layout;
        DialogType type;
        int boxId;
        const wchar_t* boxClass;
    } cases[] = {
        {L"F1", StandardFileDialog, 1148, L"ComboBoxEx32"}, {L"F2", StandardFileDialog, 1152, L"Edit"},
        {L"F3", StandardFileDialog, 1148, L"ComboBoxEx32"}, {L"F4", KeyboardFileDialog, 1001, L"Edit"},
        {L"F5", NewFolderBrowser, 14146, L"Static"},        {L"F6", OldFolderBrowser, 14146, L"Static"},
        {L"O1", OfficeFileDialog, 54, L"RichEdit20W"},      {L"O2", OfficeFileDialog, 39, L"RichEdit20W"},
        {L"O3", OfficeFileDialog, 51, L"Edit"},             {L"O4", OfficeFileDialog, 48, L"RichEdit20W"},
        {L"FolderPicker", FolderPickerOrItemDialog, 1152, L"Edit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::ToUtf8(c.layout));
        OwnedWindow dialog = FromLayout(c.layout);
        const Recognition result = Recognise(dialog.get());
        ASSERT_TRUE(result.recognised);
        EXPECT_EQ(result.type, c.type);
        EXPECT_EQ(result.firstMatch, test::FindDescendant(dialog.get(), c.boxId, c.boxClass));
    }
}

TEST(Recognition, F1WithUnlistedExtrasStillMatchesAndComboChoosesBetweenF1AndF3) {
    OwnedWindow withExtras = FromLayout(L"F1");
    CreateChild(withExtras.get(), L"Static", 1091);
    CreateChild(withExtras.get(), L"SysListView32", 1);
    EXPECT_EQ(Recognise(withExtras.get()).type, StandardFileDialog);
    EXPECT_EQ(matchedSignature->criteria[4].controlId, 1137); // F1 itself, not F3

    OwnedWindow f3 = FromLayout(L"F3");
    ASSERT_TRUE(Recognise(f3.get()).recognised);
    EXPECT_EQ(matchedSignature->criteria[4].controlId, 1136);
    EXPECT_EQ(matchedSignature->criteria[1].controlId, 1); // the OK button the strategy is given
}

// The item dialogs of Windows 10/11 with their whole item tree: the Open
// dialog is F3; the Save dialog is F4 with the Edit five levels down as its
// box, not the breadcrumb toolbar that shares its id.
TEST(Recognition, ItemDialogsOfWindowsTenAndElevenMatchF3AndF4) {
    OwnedWindow open = FromLayout(L"ItemOpen");
    Recognition result = Recognise(open.get());
    ASSERT_TRUE(result.recognised);
    EXPECT_EQ(result.type, StandardFileDialog);
    EXPECT_EQ(matchedSignature->criteria[4].controlId, 1136);
    EXPECT_EQ(result.firstMatch, GetDlgItem(open.get(), 1148));

    OwnedWindow save = FromLayout(L"ItemSave");
    ASSERT_NE(test::FindDescendant(save.get(), 1001, TOOLBARCLASSNAMEW), nullptr);
    result = Recognise(save.get());
    ASSERT_TRUE(result.recognised);
    EXPECT_EQ(result.type, KeyboardFileDialog);
    EXPECT_EQ(matchedSignature->criteria[4].controlId, 1038);
    const HWND box = test::FindDescendant(save.get(), 1001, L"Edit");
    EXPECT_EQ(result.firstMatch, box);
    int depth = 0;
    for (HWND window = box; window != nullptr && window != save.get(); window = GetParent(window))
        ++depth;
    EXPECT_EQ(depth, 5);
}

// The item dialogs' name box counts only with an item dialog's frame beside
// it (either class, any id, a direct child), keeps the count rule, and comes
// after every earlier signature.
TEST(Recognition, ItemDialogBoxNeedsItsFrameAndComesLast) {
    const struct {
        const char* what;
        const wchar_t* layout;
        const wchar_t* frame;
        int frameId;
        bool frameDeeper;
        int extraBoxes;   // Edit 1152 beside the layout's
        int extraButtons; // Button 1 beside the layout's
        bool recognised;
        DialogType type;
    } cases[] = {
        {"no frame", L"F2-nocombo", nullptr, 0, false, 0, 0, false, OldFolderBrowser},
        {"view frame", L"F2-nocombo", L"DUIViewWndClassName", 0, false, 0, 0, true, FolderPickerOrItemDialog},
        {"browser frame with an id", L"F2-nocombo", L"ExplorerBrowserControl", 7, false, 0, 0, true,
         FolderPickerOrItemDialog},
        {"frame one level deeper", L"F2-nocombo", L"ExplorerBrowserControl", 0, true, 0, 0, false,
         OldFolderBrowser},
        {"F2 in a frame", L"F2", L"ExplorerBrowserControl", 0, false, 0, 0, true, StandardFileDialog},
        // One more box or button makes up F2's count, and F2 comes first; two
        // more boxes are too many for either.
        {"second OK button", L"F2-nocombo", L"DUIViewWndClassName", 0, false, 0, 1, true, StandardFileDialog},
        {"three boxes", L"F2-nocombo", L"DUIViewWndClassName", 0, false, 2, 0, false, OldFolderBrowser},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OwnedWindow dialog = FromLayout(c.layout);
        if (c.frame != nullptr)
            CreateChild(c.frameDeeper ? CreateChild(dialog.get(), L"Static", 0) : dialog.get(), c.frame, c.frameId);
        for (int i = 0; i < c.extraBoxes; ++i)
            CreateChild(dialog.get(), L"Edit", 1152);
        for (int i = 0; i < c.extraButtons; ++i)
            CreateChild(dialog.get(), L"Button", 1);
        const Recognition result = Recognise(dialog.get());
        ASSERT_EQ(result.recognised, c.recognised);
        if (!c.recognised)
            continue;
        EXPECT_EQ(result.type, c.type);
        EXPECT_EQ(result.firstMatch, GetDlgItem(dialog.get(), 1152));
    }
}

// Wine's item dialogs (open, save and the folder picker share one tree): the
// Edit 1152 among their direct children is the box.
TEST(Recognition, WinesItemDialogsAreFolderPickerOrItemDialogs) {
    for (const wchar_t* mode : {L"item-open", L"item-save", L"item-pick"}) {
        SCOPED_TRACE(test::ToUtf8(mode));
        test::HostDialog host({mode});
        ASSERT_NE(host.dialog(), nullptr);
        const Recognition result = Recognise(host.dialog());
        ASSERT_TRUE(result.recognised);
        EXPECT_EQ(result.type, FolderPickerOrItemDialog);
        EXPECT_EQ(result.firstMatch, GetDlgItem(host.dialog(), 1152));
    }
}

TEST(Recognition, CountRuleCountsWindowsNotCriteria) {
    // One extra OK button pushes the count past the number of criteria.
    OwnedWindow extraButton = FromLayout(L"F2");
    CreateChild(extraButton.get(), L"Button", 1);
    EXPECT_FALSE(Recognise(extraButton.get()).recognised);

    // ... and can complete a shorter signature: an old-style browser with a
    // second OK button counts as a new-style one (Static, OK twice, Cancel).
    OwnedWindow oldStyle = FromLayout(L"F6");
    CreateChild(oldStyle.get(), L"Button", 1);
    EXPECT_EQ(Recognise(oldStyle.get()).type, NewFolderBrowser);

    // Two list boxes make up for a missing file-name box; nothing is the box.
    OwnedWindow doubled = FromLayout(L"F1-nobox");
    const Recognition result = Recognise(doubled.get());
    ASSERT_TRUE(result.recognised);
    EXPECT_EQ(result.type, StandardFileDialog);
    EXPECT_EQ(result.firstMatch, nullptr);
}

TEST(Recognition, DirectChildAndDeeperControlsAreDistinct) {
    OwnedWindow direct = CreateTopLevel(L"#32770");
    CreateChild(direct.get(), L"Edit", 1001);
    for (int id : {1, 2, 1038})
        CreateChild(direct.get(), L"Button", id);
    CreateChild(direct.get(), L"ListBox", 1120);
    EXPECT_FALSE(Recognise(direct.get()).recognised);

    OwnedWindow nested = FromLayout(L"F4");
    const Recognition result = Recognise(nested.get());
    ASSERT_TRUE(result.recognised);
    EXPECT_EQ(result.type, KeyboardFileDialog);
    EXPECT_NE(GetParent(result.firstMatch), nested.get());

    // The tree view of an old-style browser one level too deep is not counted.
    OwnedWindow deepTree = CreateTopLevel(L"#32770");
    for (int id : {14146, 14147})
        CreateChild(deepTree.get(), L"Static", id);
    for (int id : {1, 2})
        CreateChild(deepTree.get(), L"Button", id);
    CreateChild(CreateChild(deepTree.get(), L"Static", 0), L"SysTreeView32", 14145);
    EXPECT_FALSE(Recognise(deepTree.get()).recognised);
}

TEST(Recognition, ExcelNinePrefersO4OverO1) {
    OwnedWindow both = CreateTopLevel(L"bosa_sdm_XL9");
    for (int id : {54, 51, 59, 48, 45, 53})
        CreateChild(both.get(), L"RichEdit20W", id);
    CreateChild(both.get(), L"Snake List", 0);
    CreateChild(both.get(), L"MsoCommandBar", 0);
    CreateChild(both.get(), L"MsoCommandBar", 0);
    const Recognition result = Recognise(both.get());
    ASSERT_TRUE(result.recognised);
    EXPECT_EQ(GetDlgCtrlID(result.firstMatch), 48);

    // The same controls under Word 10's class: only O1 is listed there.
    OwnedWindow word = FromLayout(L"O1", L"bosa_sdm_Microsoft Word 10.0");
    ASSERT_TRUE(Recognise(word.get()).recognised);
    EXPECT_EQ(GetDlgCtrlID(matchedSignature->firstMatch), 54);
}

TEST(Recognition, OfficeLayoutsNeedExactlyTwoCommandBars) {
    for (int bars : {1, 2, 3}) {
        OwnedWindow dialog = CreateTopLevel(L"bosa_sdm_Microsoft Office Word 11.0");
        for (int id : {54, 51, 59})
            CreateChild(dialog.get(), L"RichEdit20W", id);
        CreateChild(dialog.get(), L"Snake List", 0);
        for (int i = 0; i < bars; ++i)
            CreateChild(dialog.get(), L"MsoCommandBar", 0);
        EXPECT_EQ(Recognise(dialog.get()).recognised, bars == 2) << bars << " command bars";
    }
}

TEST(Recognition, ClassNamesCompareExactly) {
    // Window classes are registered case-insensitively, so this process never
    // registers the listed spelling of this class.
    OwnedWindow wrongCase = FromLayout(L"O1", L"BOSA_SDM_Microsoft Office WordView 11.0");
    EXPECT_FALSE(Recognise(wrongCase.get()).recognised);
    OwnedWindow rightCase = FromLayout(L"O2", L"bosa_sdm_XL8");
    EXPECT_TRUE(Recognise(rightCase.get()).recognised);
    // A listed Office class whose controls belong to another signature.
    OwnedWindow otherSignature = FromLayout(L"O2", L"bosa_sdm_Microsoft Word 9.0");
    EXPECT_FALSE(Recognise(otherSignature.get()).recognised);
}

class DesktopRecognition : public ::testing::Test {
protected:
    void SetUp() override {
        // Nothing recognisable may stay on the desktop: another program's
        // dialog is the user's, one of the tests' own a leak.
        const std::wstring foreign = test::ForeignDialogOnTop();
        if (!foreign.empty())
            GTEST_SKIP() << "another program's dialog is open: " << test::ToUtf8(foreign);
        ASSERT_FALSE(FindTargetDialog()) << "a recognisable dialog is already open";
    }
};

TEST_F(DesktopRecognition, NothingRecognisableLeavesBothResultsNull) {
    OwnedWindow unlisted = FromLayout(L"F1", L"SomeOtherClass");
    OwnedWindow listedButIncomplete = CreateTopLevel(L"#32770");
    CreateChild(listedButIncomplete.get(), L"Button", 1);
    EXPECT_FALSE(FindTargetDialog());
    EXPECT_EQ(matchedDialog, nullptr);
    EXPECT_EQ(matchedSignature, nullptr);
}

TEST_F(DesktopRecognition, UpperOfTwoDialogsWinsAndHiddenOnesCount) {
    OwnedWindow lower = FromLayout(L"F2");
    OwnedWindow upper = FromLayout(L"F6");
    OwnedWindow incomplete = CreateTopLevel(L"#32770"); // listed class, no signature
    SetWindowPos(lower.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(upper.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(incomplete.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(FindTargetDialog());
    EXPECT_EQ(matchedDialog, upper.get());
    EXPECT_EQ(matchedSignature->type, OldFolderBrowser);

    SetWindowPos(lower.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(FindTargetDialog());
    EXPECT_EQ(matchedDialog, lower.get());

    upper.Reset();
    lower.Reset();
    const test::StandInLayout* layout = FindLayout(L"O3");
    OwnedWindow hidden = CreateTopLevel(layout->topLevelClass, false);
    for (const test::ControlSpec& control : layout->controls)
        CreateChild(hidden.get(), control.className, control.id);
    ASSERT_FALSE(IsWindowVisible(hidden.get()));
    ASSERT_TRUE(FindTargetDialog());
    EXPECT_EQ(matchedDialog, hidden.get());
}

} // namespace
} // namespace corvane
