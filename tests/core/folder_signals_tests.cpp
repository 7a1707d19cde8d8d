// Reading where an item dialog stands: its breadcrumb's text, and whether a
// folder it names is the target.

#include <gtest/gtest.h>

#include "core/folder_signals.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

TEST(FolderOfBreadcrumbText, TakesThePathAfterTheLocalizedLabel) {
    const struct {
        std::wstring text;
        std::optional<std::wstring> folder;
    } cases[] = {
        {L"Address: C:\\Work\\Reports", L"C:\\Work\\Reports"},
        {L"Adresse : D:\\", L"D:\\"},  // a blank before the colon
        {L"Adresse: \\\\nas\\Public (2)\\x", L"\\\\nas\\Public (2)\\x"},
        {L"Address: \\\\nas\\share", L"\\\\nas\\share"},
        {L"Address: This PC", std::nullopt},
        {L"Address: Libraries: Documents", std::nullopt},
        {L"Address: \\\\nas", std::nullopt},  // a server alone is no folder
        {L"Address: C:", std::nullopt},       // the current folder of drive C, not its root
        {L"C:\\Work", std::nullopt},          // no label: not the breadcrumb's text
        {L"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::ToUtf8(c.text));
        EXPECT_EQ(FolderOfBreadcrumbText(c.text), c.folder);
    }
}

TEST(IsSameFolder, ComparesAsWindowsDoes) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work with a long name");
    wchar_t shortForm[MAX_PATH] = L"";
    GetShortPathNameW(work.c_str(), shortForm, MAX_PATH);

    EXPECT_TRUE(IsSameFolder(work, work + L"\\"));
    EXPECT_TRUE(IsSameFolder(L"c:\\", L"C:\\"));
    EXPECT_TRUE(IsSameFolder(work, shortForm)) << test::ToUtf8(shortForm);
    EXPECT_FALSE(IsSameFolder(work, root.path()));
    EXPECT_FALSE(IsSameFolder(work, work + L" 2"));
    EXPECT_FALSE(IsSameFolder(L"C:\\", L"D:\\"));
}

} // namespace
} // namespace corvane
