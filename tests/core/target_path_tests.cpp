// Splitting the target path against directories that really exist.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/target_path.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

struct Split {
    std::wstring folder;
    std::wstring fileName;
};

Split SplitOf(const std::wstring& path) {
    Split parts;
    SplitTargetPath(path, parts.folder, parts.fileName);
    return parts;
}

std::wstring WithForwardSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

TEST(SplitTargetPath, FollowsTheOutcomeTable) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    const std::wstring file = root.MakeFile(L"Work\\existing.txt");
    const std::wstring missing = root.path() + L"\\Missing";
    const struct {
        const char* what;
        std::wstring path;
        std::wstring folder;
        std::wstring fileName;
    } cases[] = {
        {"file in an existing folder", work + L"\\report.txt", work, L"report.txt"},
        {"existing file", file, work, L"existing.txt"},
        {"existing directory", work, work, L""},
        {"existing directory, trailing backslash", work + L"\\", work + L"\\", L""},
        {"missing directory, trailing backslash", missing + L"\\", missing, L""},
        {"missing directory", missing, root.path(), L"Missing"},
        {"file under a drive root: the root, not C:'s current folder", L"C:\\corvane-no-such-file.txt", L"C:\\",
         L"corvane-no-such-file.txt"},
        {"bare file name", L"report.txt", L"", L"report.txt"},
        {"forward slashes", WithForwardSlashes(work) + L"/report.txt", L"",
         WithForwardSlashes(work) + L"/report.txt"},
        {"empty", L"", L"", L""},
        {"only backslashes", L"\\\\\\\\", L"\\\\\\", L""},
        {"non-ASCII", root.MakeFolder(L"Папка 文件夹 \U0001D11E") + L"\\имя \U0001D11E.txt",
         root.path() + L"\\Папка 文件夹 \U0001D11E", L"имя \U0001D11E.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Split parts = SplitOf(c.path);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.fileName, c.fileName);
    }
}

TEST(SplitTargetPath, RelativeDirectoriesCountFromTheCurrentDirectory) {
    test::TempFolder root;
    root.MakeFolder(L"Work\\Sub");
    const test::CurrentDirectory inRoot(root.path());

    Split parts = SplitOf(L"Work");
    EXPECT_EQ(parts.folder, L"Work");
    EXPECT_EQ(parts.fileName, L"");

    parts = SplitOf(L"Work\\Sub\\report.txt");
    EXPECT_EQ(parts.folder, L"Work\\Sub");
    EXPECT_EQ(parts.fileName, L"report.txt");

    parts = SplitOf(L"Elsewhere");
    EXPECT_EQ(parts.folder, L"");
    EXPECT_EQ(parts.fileName, L"Elsewhere");

    EXPECT_FALSE(IsMissingFolder(L"Work\\Sub"));
    EXPECT_TRUE(IsMissingFolder(L"Elsewhere"));
}

// Relative targets are resolved where the program runs, as a dialog would
// resolve them against its own folder otherwise; absolute ones are made
// normal as Windows reads them; targets that name no folder a dialog could
// show are refused. The forms with a separator or a drive run end to end in
// the program tests.
TEST(AbsoluteTargetPath, NormalisesTargetsWithAFolderAndRefusesTheRest) {
    test::TempFolder root;
    root.MakeFolder(L"dir one");
    const test::CurrentDirectory inRoot(root.path());
    const std::wstring deep(300, L'd'); // resolves beyond MAX_PATH
    const auto refused = std::optional<std::wstring>();
    const struct {
        std::wstring target;
        std::optional<std::wstring> expected;
    } cases[] = {
        {L"dir one", root.path() + L"\\dir one"},
        {L"\\rooted.txt", L"C:\\rooted.txt"},
        {deep + L"\\x.txt", root.path() + L"\\" + deep + L"\\x.txt"},
        {L"rel.txt", L"rel.txt"},
        {L"C:/Work/../report.txt", L"C:\\report.txt"},
        {L"C:/Work/", L"C:\\Work\\"},
        {L"C:\\Work\\.\\sub\\x.txt", L"C:\\Work\\sub\\x.txt"},
        {L"C:\\Work\\trailing dot.", L"C:\\Work\\trailing dot"},
        {L"\\\\?\\C:\\Work\\x.txt", L"C:\\Work\\x.txt"},
        {L"\\\\?\\UNC\\server\\share\\x.txt", L"\\\\server\\share\\x.txt"},
        {L"//server/share/x.txt", L"\\\\server\\share\\x.txt"},
        {L"\\\\server\\share", L"\\\\server\\share"},
        {L"\\\\server", refused},
        {L"\\\\server\\", refused},
        {L"\\\\", refused},
        {L"\\\\\\\\", refused},
        {L"\\\\?\\Volume{0}\\x.txt", refused},
        {L"", refused},
        {L"  \t", refused},
    };
    ASSERT_EQ(root.path().compare(0, 3, L"C:\\"), 0) << "the cases expect the temporary folder on C:";
    for (const auto& c : cases) {
        SCOPED_TRACE(test::ToUtf8(c.target.substr(0, 40)));
        EXPECT_EQ(AbsoluteTargetPath(c.target), c.expected);
    }
}

TEST(SplitTargetPath, LongestPathIsSplitAtItsLastBackslash) {
    test::TempFolder root;
    std::wstring path = root.path() + L"\\";
    const std::size_t folderLength = path.size() - 1;
    path.append(32767 - path.size(), L'n');
    ASSERT_EQ(path.size(), 32767u);
    const Split parts = SplitOf(path);
    EXPECT_EQ(parts.folder, root.path());
    EXPECT_EQ(parts.fileName.size(), 32767u - folderLength - 1);
}

// The folder part decides whether a strategy may act at all.
TEST(IsMissingFolder, OnlyNonEmptyTextsThatNameNoDirectory) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    const std::wstring file = root.MakeFile(L"plain.txt");

    EXPECT_FALSE(IsMissingFolder(L"")) << "a bare file name stays in the dialog's folder";
    EXPECT_FALSE(IsMissingFolder(work));
    EXPECT_FALSE(IsMissingFolder(work + L"\\"));
    EXPECT_FALSE(IsMissingFolder(L"C:")) << "the drive's folder";
    EXPECT_FALSE(IsMissingFolder(L"C:\\"));
    EXPECT_TRUE(IsMissingFolder(root.path() + L"\\Missing"));
    EXPECT_TRUE(IsMissingFolder(file)) << "a file is no folder";
    EXPECT_TRUE(IsMissingFolder(std::wstring(32000, L'x')));

    std::wstring folder, name;
    EXPECT_FALSE(SplitActionableTargetPath(L"\\\\", folder, name)) << "a bare \\ is no folder to send";
    EXPECT_TRUE(FitsMessageRoads(std::wstring(MAX_PATH - 1, L'x')));
    EXPECT_FALSE(FitsMessageRoads(std::wstring(MAX_PATH, L'x')));
}

} // namespace
} // namespace corvane
