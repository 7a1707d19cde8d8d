// The program against the system's real open and save dialogs, shown by the
// test host in its own process.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "filedialogs/e2e_support.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

constexpr int kFileNameBox = 1148;

// A file directly under C:\, removed again with the object. Windows lets
// only an elevated process create one there; refused() says it did not.
class DriveRootFile {
public:
    explicit DriveRootFile(const std::wstring& name) : path_(L"C:\\" + name) {
        const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        refused_ = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED;
        EXPECT_TRUE(file != INVALID_HANDLE_VALUE || refused_) << "cannot create " << test::ToUtf8(path_);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    ~DriveRootFile() { DeleteFileW(path_.c_str()); }
    const std::wstring& path() const { return path_; }
    bool refused() const { return refused_; }

private:
    std::wstring path_;
    bool refused_ = false;
};

class StandardDialogRun : public ::testing::TestWithParam<std::tuple<std::wstring, std::wstring>> {
protected:
    void SetUp() override { CORVANE_SKIP_UNLESS_ARCH_RUNS(arch()); }
    const std::wstring& arch() const { return std::get<0>(GetParam()); }
    const std::wstring& mode() const { return std::get<1>(GetParam()); }

    std::unique_ptr<HostDialog> Show(const std::wstring& folder, const std::wstring& name = L"",
                                     std::initializer_list<std::wstring> extra = {}) {
        std::vector<std::wstring> arguments{mode(), L"--dir", folder};
        if (!name.empty())
            arguments.insert(arguments.end(), {L"--name", name});
        arguments.insert(arguments.end(), extra);
        return std::make_unique<HostDialog>(arguments, arch());
    }
    int Run(const std::wstring& target) { return test::RunCorvane({target}, arch()); }
};

std::wstring BoxText(HostDialog& host) {
    return test::ControlText(host.dialog(), kFileNameBox);
}

// The dialog shows the folder and the box the name; the user has not
// confirmed anything yet.
void ExpectFilled(HostDialog& host, const std::wstring& folder, const std::wstring& boxText) {
    test::WaitUntil([&] { return host.LastFolder() == folder; }, 2000);
    EXPECT_EQ(test::ToUtf8(host.LastFolder()), test::ToUtf8(folder));
    EXPECT_EQ(test::ToUtf8(BoxText(host)), test::ToUtf8(boxText));
    EXPECT_TRUE(host.StillOpen());
    EXPECT_TRUE(host.Lines(L"RESULT").empty()) << "nothing may be chosen before the user confirms";
}

void ExpectConfirmedAs(HostDialog& host, const std::wstring& path) {
    EXPECT_EQ(test::ToUtf8(host.ConfirmAndReadResult().value_or(L"<no result>")), test::ToUtf8(path));
}

TEST_P(StandardDialogRun, FileInAnExistingFolder) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    root.MakeFile(L"Work\\name.txt");
    auto host = Show(root.path());

    EXPECT_EQ(Run(work + L"\\name.txt"), 0);
    ExpectFilled(*host, work, L"name.txt");
    ExpectConfirmedAs(*host, work + L"\\name.txt");
}

// The dialog spends the first OK command on a folder that the user selected
// in its file list and leaves the typed folder in the box.
TEST_P(StandardDialogRun, FolderSelectedInTheFileListDoesNotCatchTheName) {
    test::TempFolder root;
    root.MakeFolder(L"Selected");
    const std::wstring work = root.MakeFolder(L"Work");
    auto host = Show(root.path(), L"", {L"--select", L"Selected"});
    ASSERT_TRUE(host->WaitFor(L"LISTSELECTED").has_value());

    EXPECT_EQ(Run(work + L"\\name.txt"), 0);
    ExpectFilled(*host, work, L"name.txt");
    ExpectConfirmedAs(*host, work + L"\\name.txt");
}

// A dialog that shows the target folder already keeps the folder text in its
// box after the OK command, as it does with a folder selected in its list:
// the name still goes in, and nothing else moves.
TEST_P(StandardDialogRun, FileInTheFolderTheDialogShowsAlready) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    auto host = Show(work);
    ASSERT_TRUE(test::WaitUntil([&] { return host->LastFolder() == work; }, 2000));

    EXPECT_EQ(Run(work + L"\\name.txt"), 0);
    ExpectFilled(*host, work, L"name.txt");
    for (const std::wstring& folder : host->Lines(L"FOLDER"))
        EXPECT_EQ(test::ToUtf8(folder), test::ToUtf8(work));
    ExpectConfirmedAs(*host, work + L"\\name.txt");
}

TEST_P(StandardDialogRun, ExistingDirectoryKeepsWhatTheBoxHeld) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    {
        auto host = Show(root.path(), L"keep.txt");
        ASSERT_EQ(BoxText(*host), L"keep.txt");
        EXPECT_EQ(Run(work), 0);
        ExpectFilled(*host, work, L"keep.txt");
        ExpectConfirmedAs(*host, work + L"\\keep.txt");
    }
    {
        SCOPED_TRACE("pattern, trailing backslash");
        auto host = Show(root.path());
        SendMessageW(GetDlgItem(host->dialog(), kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"*.txt"));
        ASSERT_EQ(BoxText(*host), L"*.txt");
        // Quoted as a caller writes it: the program's single argument is
        // split like a program name, where a backslash escapes nothing.
        EXPECT_EQ(test::RunCorvaneRaw(L"\"" + work + L"\\\"", arch()), 0);
        ExpectFilled(*host, work, L"*.txt");
    }
}

TEST_P(StandardDialogRun, FileDirectlyUnderTheDriveRoot) {
    test::TempFolder root;
    const DriveRootFile file(L"corvane-root-" + arch() + L"-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
    if (file.refused())
        GTEST_SKIP() << "Windows refuses this process a file in C:\\ (that takes elevation)";
    auto host = Show(root.path());

    EXPECT_EQ(Run(file.path()), 0);
    ExpectFilled(*host, L"C:\\", file.path().substr(3));
    ExpectConfirmedAs(*host, file.path());
}

// Even with a folder selected in the file list, which an OK command would
// enter, a bare name only goes into the box.
TEST_P(StandardDialogRun, BareFileNameStaysInTheDialogsFolder) {
    test::TempFolder root;
    const std::wstring work = root.MakeFolder(L"Work");
    root.MakeFolder(L"Work\\Selected");
    auto host = Show(work, L"", {L"--select", L"Selected"});
    ASSERT_EQ(host->LastFolder(), work);
    ASSERT_TRUE(host->WaitFor(L"LISTSELECTED").has_value());

    EXPECT_EQ(Run(L"name.txt"), 0);
    ExpectFilled(*host, work, L"name.txt");
    for (const std::wstring& folder : host->Lines(L"FOLDER"))
        EXPECT_EQ(folder, work);
}

TEST_P(StandardDialogRun, QuotedPathWithBlanks) {
    test::TempFolder root(L"corvane blanks");
    const std::wstring folder = root.MakeFolder(L"with blanks\\inner folder");
    auto host = Show(root.path());

    const std::wstring target = folder + L"\\name with blanks.txt";
    EXPECT_EQ(test::RunCorvaneRaw(L"\"" + target + L"\"", arch()), 0);
    ExpectFilled(*host, folder, L"name with blanks.txt");
    ExpectConfirmedAs(*host, target);
}

TEST_P(StandardDialogRun, NonAsciiFoldersAndName) {
    test::TempFolder root;
    const std::wstring folder = root.MakeFolder(L"Папка\\文件夹\\\U0001D11E clef");
    auto host = Show(root.path());

    const std::wstring name = L"отчёт 报告 \U0001F600.txt";
    EXPECT_EQ(Run(folder + L"\\" + name), 0);
    ExpectFilled(*host, folder, name);
    ExpectConfirmedAs(*host, folder + L"\\" + name);
}

TEST_P(StandardDialogRun, MissingFolderLeavesTheDialogUntouched) {
    test::TempFolder root;
    root.MakeFolder(L"Work");
    auto host = Show(root.path(), L"keep.txt");
    const std::vector<std::wstring> foldersBefore = host->Lines(L"FOLDER");

    EXPECT_EQ(Run(root.path() + L"\\Missing\\name.txt"), -1);
    EXPECT_EQ(Run(root.path() + L"\\Missing\\"), -1);
    test::PumpMessages(300);
    EXPECT_TRUE(host->StillOpen());
    EXPECT_EQ(BoxText(*host), L"keep.txt");
    EXPECT_EQ(host->Lines(L"FOLDER"), foldersBefore);
    EXPECT_TRUE(host->Lines(L"RESULT").empty());
    EXPECT_TRUE(host->Lines(L"CANCEL").empty());
}

std::string RunName(const ::testing::TestParamInfo<std::tuple<std::wstring, std::wstring>>& info) {
    return (std::get<0>(info.param) == L"x86-64" ? "x86_64_" : "x86_32_") + test::ToUtf8(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(RealDialogs, StandardDialogRun,
                         ::testing::Combine(::testing::ValuesIn(test::ArchitecturesToRun()),
                                            ::testing::Values(std::wstring(L"open"), std::wstring(L"save"))),
                         RunName);

} // namespace
} // namespace corvane
