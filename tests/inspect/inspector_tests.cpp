// The inspector against real dialogs shown by the test host: what it names,
// what it never prints, and that it leaves every dialog as it was.

#include <gtest/gtest.h>

#include <cstdio>

#include "core/target_path.h"
#include "filedialogs/e2e_support.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;

struct Report {
    int status;
    std::wstring text;
};

// Takes the inspector's exit status and whole output; fails the test when it
// has not ended within timeoutMs.
Report Finish(test::ChildProcess& inspector, DWORD timeoutMs) {
    const std::optional<DWORD> code = inspector.WaitForExit(timeoutMs);
    EXPECT_TRUE(code.has_value()) << "the inspector did not end within " << timeoutMs << " ms";
    Report report{code ? static_cast<int>(*code) : -1, L""};
    for (const std::wstring& line : inspector.AllLines(5000))
        report.text += line + L"\n";
    return report;
}

// Runs the inspector beside the tests.
Report Inspect(const std::vector<std::wstring>& arguments, const std::wstring& arch = test::ThisArch(),
               DWORD timeoutMs = 20000) {
    test::ChildProcess inspector(test::BinaryPath(L"CorvaneInspect", arch), arguments);
    return Finish(inspector, timeoutMs);
}

::testing::AssertionResult Holds(const Report& report, const std::wstring& part) {
    if (report.text.find(part) != std::wstring::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << test::ToUtf8(part) << "\" in:\n" << test::ToUtf8(report.text);
}

std::wstring HandleText(HWND window) {
    wchar_t text[32];
    std::swprintf(text, 32, L"0x%08llX", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    return text;
}

const std::wstring kHost = L"testhost." + test::ThisArch() + L".exe";

// The inspector alone in a folder with blanks in its name, as a user may keep
// it; removed with the object.
class LonelyInspector {
public:
    explicit LonelyInspector(const std::wstring& arch = test::ThisArch())
        : folder_(L"inspector with blanks"), path_(folder_.path() + L"\\CorvaneInspect." + arch + L".exe") {
        EXPECT_TRUE(CopyFileW(test::BinaryPath(L"CorvaneInspect", arch).c_str(), path_.c_str(), FALSE));
    }
    // Runs it with a command-line tail taken verbatim.
    Report Run(const std::wstring& tail) const {
        test::ChildProcess inspector(test::ChildProcess::CommandLine{L"\"" + path_ + L"\" " + tail});
        return Finish(inspector, 20000);
    }

private:
    test::TempFolder folder_;
    std::wstring path_;
};

TEST(Inspector, NamesWhatARunWouldDoWithTheRealOpenDialogAndLeavesItAlone) {
    test::TempFolder root;
    // Beyond ASCII: the report reaches a pipe as UTF-8.
    const std::wstring work = root.MakeFolder(L"W\u00F6rk \u0416 \U0001F600");
    HostDialog host({L"open", L"--dir", root.path(), L"--name", L"keep.txt"});
    const std::size_t folderChanges = host.Lines(L"FOLDER").size();

    const Report plain = Inspect({});
    EXPECT_EQ(plain.status, 0);
    EXPECT_TRUE(Holds(plain, L"window " + HandleText(host.dialog()) + L", class \"#32770\""));
    EXPECT_TRUE(Holds(plain, L"chosen: window " + HandleText(host.dialog()) + L", signature F1, StandardFileDialog"));
    EXPECT_TRUE(Holds(plain, L"F2 StandardFileDialog: 3 of 4 matched; missing 1152 Edit (direct child)"));
    EXPECT_TRUE(Holds(plain, L"road: window messages"));
    EXPECT_TRUE(Holds(plain, L"program: " + kHost));
    EXPECT_TRUE(Holds(plain, L"route: drive here"));

    {
        // Relative, as Corvane would take it: from the current folder.
        const test::CurrentDirectory inRoot(root.path());
        const Report relative = Inspect({L"W\u00F6rk \u0416 \U0001F600\\report.txt"});
        EXPECT_EQ(relative.status, 0);
        EXPECT_TRUE(Holds(relative, L"folder part: \"" + work + L"\""));
        EXPECT_TRUE(Holds(relative, L"name part: \"report.txt\""));
        EXPECT_TRUE(Holds(relative, L"would drive window " + HandleText(host.dialog())));
    }
    const Report missing = Inspect({root.path() + L"\\gone\\report.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Holds(missing, L"folder exists: no"));
    EXPECT_TRUE(Holds(missing, L"- the folder \"" + root.path() + L"\\gone\" does not exist"));
    const std::wstring deep = root.MakeFolder(std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e'));
    ASSERT_TRUE(IsExistingDirectory(deep)) << "a folder deeper than MAX_PATH could not be made";
    const Report tooLong = Inspect({deep + L"\\report.txt"});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_TRUE(Holds(tooLong, L"- the folder part is longer than this dialog takes by message"));
    EXPECT_EQ(Inspect({work, L"second"}).status, 2);
    // What the inspector refuses, the program leaves alone.
    EXPECT_EQ(test::RunCorvane({root.path() + L"\\gone\\report.txt"}), -1);
    EXPECT_EQ(test::RunCorvane({deep + L"\\report.txt"}), -1);

    test::PumpMessages(200);
    EXPECT_EQ(test::ControlText(host.dialog(), 1148), L"keep.txt");
    EXPECT_EQ(host.Lines(L"FOLDER").size(), folderChanges);
    EXPECT_TRUE(host.Lines(L"RESULT").empty());
    EXPECT_TRUE(host.Answers());
}

TEST(Inspector, ShowsTheTreeOfAnUnrecognisedDialogWithoutItsBoxText) {
    HostDialog host({L"standin", L"F2-nocombo", L"--name", L"private-report.txt"});
    const Report report = Inspect({});
    EXPECT_EQ(report.status, 1);
    EXPECT_TRUE(Holds(report, L"chosen: none"));
    EXPECT_TRUE(Holds(report, L"window " + HandleText(host.dialog()) + L", class \"#32770\", program " + kHost));
    EXPECT_TRUE(Holds(report, L"1 \"Edit\" id 1152 visible"));
    EXPECT_TRUE(Holds(report, L"1 \"Button\" id 1 visible text \"OK\""));
    EXPECT_TRUE(Holds(report, L"- no recognised dialog"));
    EXPECT_EQ(report.text.find(L"private-report"), std::wstring::npos) << test::ToUtf8(report.text);
    EXPECT_EQ(test::ControlText(host.dialog(), 1152), L"private-report.txt");
}

// Wine's folder picker: the type, its road and the text its box would get.
TEST(Inspector, NamesTheItemDialogRoadAndTheTextForItsBox) {
    test::TempFolder root;
    HostDialog host({L"item-pick", L"--dir", root.path(), L"--name", L"kept"});
    const Report report = Inspect({root.path()});
    EXPECT_EQ(report.status, 0);
    EXPECT_TRUE(Holds(report, L"signature F7, FolderPickerOrItemDialog"));
    EXPECT_TRUE(Holds(report, L"road: the whole path put into the name box by window messages, nothing confirmed"));
    EXPECT_TRUE(Holds(report, L"text for the name box: \"" + root.path() + L"\""));
    EXPECT_EQ(test::ControlText(host.dialog(), 1152), L"kept");
}

// The target is read as the program reads it: a quoted drive root keeps its
// backslash, and a path with blanks but no quotes is two arguments.
TEST(Inspector, ReadsItsTargetAsTheProgramDoes) {
    const LonelyInspector inspector;
    EXPECT_TRUE(Holds(inspector.Run(L"\"C:\\\""), L"given: \"C:\\\""));
    EXPECT_EQ(inspector.Run(L"C:\\a b").status, 2);
    EXPECT_EQ(inspector.Run(L"/?").status, 2);
}

// A dialog whose thread does not answer holds neither recognition nor the
// reading of its labels.
TEST(Inspector, EndsWhileTheDialogsThreadIsBusy) {
    test::TempFolder root;
    for (const std::vector<std::wstring>& dialog :
         {std::vector<std::wstring>{L"open", L"--dir", root.path()}, std::vector<std::wstring>{L"standin", L"F2-nocombo"}}) {
        SCOPED_TRACE(test::ToUtf8(dialog[0]));
        std::vector<std::wstring> arguments = dialog;
        arguments.insert(arguments.end(), {L"--busy-after-ready", L"30000"});
        HostDialog host(arguments);
        ASSERT_TRUE(host.WaitFor(L"BUSY").has_value());
        const Report report = Inspect({root.path() + L"\\report.txt"}, test::ThisArch(), 10000);
        EXPECT_TRUE(Holds(report, L"Verdict"));
        EXPECT_EQ(report.status, dialog[0] == L"open" ? 0 : 1);
    }
}

// Folder dialogs across architectures: the x86 inspector names the refusal of
// a 64-bit dialog, the 64-bit one the hand-over of a 32-bit dialog.
TEST(Inspector, FolderDialogRoutesAcrossArchitectures) {
    if (test::ThisArch() != L"x86-64")
        GTEST_SKIP() << "the 64-bit test run covers both architectures";
    CORVANE_SKIP_UNLESS_ARCH_RUNS(L"x86-32");
    test::TempFolder root;
    {
        HostDialog host({L"browse"}, L"x86-64");
        const std::size_t selections = host.Lines(L"SELECTED").size();
        const Report report = Inspect({root.path()}, L"x86-32");
        EXPECT_EQ(report.status, 1);
        EXPECT_TRUE(Holds(report, L"machine: x86-64 (this inspector: x86-32)"));
        EXPECT_TRUE(Holds(report, L"- the dialog's program runs as x86-64, which the hook library of Corvane.x86-32.exe cannot enter"));
        test::PumpMessages(200);
        EXPECT_EQ(host.Lines(L"SELECTED").size(), selections);
    }
    HostDialog host({L"browse"}, L"x86-32");
    const std::size_t selections = host.Lines(L"SELECTED").size();
    const Report report = Inspect({root.path()}, L"x86-64");
    EXPECT_EQ(report.status, 0);
    EXPECT_TRUE(Holds(report, L"route: hand over to Corvane.x86-32.exe"));
    // Without the x86 build beside it, the hand-over is refused.
    const Report alone = LonelyInspector(L"x86-64").Run(test::QuoteArgument(root.path()));
    EXPECT_EQ(alone.status, 1);
    EXPECT_TRUE(Holds(alone, L"- Corvane.x86-32.exe is missing"));
    test::PumpMessages(200);
    EXPECT_EQ(host.Lines(L"SELECTED").size(), selections);
}

} // namespace
} // namespace corvane
