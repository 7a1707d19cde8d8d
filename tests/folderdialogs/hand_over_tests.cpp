// The 64-bit program with a folder dialog of a 32-bit process: it hands the
// dialog to the x86 build beside it. The real x86 build needs a machine that
// starts 32-bit programs; elsewhere those tests are skipped with the reason.
// The turn across the hand-over is tested here with stand-ins as well.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/unique_handle.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;
using corvane::UniqueHandle;
using test::HostDialog;

const wchar_t* const k64 = L"x86-64";
const wchar_t* const k32 = L"x86-32";

class HandOver : public testing::Test {
protected:
    void SetUp() override {
        CORVANE_SKIP_UNLESS_ARCH_RUNS(k32);
    }
};

// C:\ and a path with blanks arrive unchanged in the x86 build.
TEST_F(HandOver, X86BuildDrivesTheDialogOfA32BitProcess) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"with blanks\\and more blanks");
    for (const wchar_t* style : {L"--old", L"--new"}) {
        SCOPED_TRACE(test::ToUtf8(style));
        HostDialog host({L"browse", style}, k32);
        for (const std::wstring& path : {std::wstring(L"C:\\"), target}) {
            ASSERT_EQ(test::RunCorvane({path}, k64), 0);
            EXPECT_TRUE(host.SelectionBecomes(path));
        }
        EXPECT_EQ(host.ConfirmAndReadResult(), std::optional<std::wstring>(target));
    }
}

// A copy of the 64-bit program without the x86 build, or without its hook
// library, beside it cannot hand over: that is no success.
TEST_F(HandOver, MissingX86BuildEndsWithMinusOne) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"target");
    HostDialog host({L"browse"}, k32);
    const std::size_t before = host.Lines(L"SELECTED").size();
    struct Copy {
        const char* what;
        std::vector<std::wstring> files;
    };
    for (const Copy& copy :
         {Copy{"no x86 build", {L"Corvane.x86-64.exe", L"CorvaneLib.x86-64.dll"}},
          Copy{"x86 program without its library", {L"Corvane.x86-64.exe", L"CorvaneLib.x86-64.dll", L"Corvane.x86-32.exe"}}}) {
        SCOPED_TRACE(copy.what);
        test::TempFolder lonely;
        for (const std::wstring& name : copy.files)
            ASSERT_TRUE(CopyFileW((test::BinaryDir() + L"\\" + name).c_str(), (lonely.path() + L"\\" + name).c_str(), FALSE));
        test::ChildProcess program(lonely.path() + L"\\Corvane.x86-64.exe", {target});
        const std::optional<DWORD> code = program.WaitForExit(30000);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(static_cast<int>(*code), -1);
    }
    test::PumpMessages(500);
    EXPECT_EQ(host.Lines(L"SELECTED").size(), before);
}

// The x86 build's hook library cannot enter a 64-bit process: the x86 build,
// started directly or after the z-order changed, leaves such a dialog alone.
TEST_F(HandOver, X86BuildLeavesTheDialogOfA64BitProcessAlone) {
    test::TempFolder folder;
    const std::wstring target = folder.MakeFolder(L"target");
    for (const wchar_t* style : {L"--old", L"--new"}) {
        SCOPED_TRACE(test::ToUtf8(style));
        HostDialog host({L"browse", style}, k64);
        const std::size_t before = host.Lines(L"SELECTED").size();
        EXPECT_EQ(test::RunCorvane({target}, k32), -1);
        EXPECT_TRUE(host.Answers()) << "the dialog no longer answers";
        EXPECT_EQ(host.Lines(L"SELECTED").size(), before);
    }
}

// Copies of the test host stand in for both sides of the hand-over
// (host/turn_stand_in.cpp), so that the turn is tested wherever tests run.
class TurnStandIns {
public:
    TurnStandIns() : go_(CreateEventW(nullptr, TRUE, FALSE, test::kHandOverGoEvent)) {
        EXPECT_TRUE(CopyFileW(test::BinaryPath(L"testhost").c_str(), x86Build().c_str(), FALSE));
        folder_.MakeFile(L"CorvaneLib.x86-32.dll");
    }
    std::wstring x86Build() const { return folder_.path() + L"\\Corvane.x86-32.exe"; }
    std::unique_ptr<test::ChildProcess> StartHandOver(bool inJob) const {
        std::vector<std::wstring> arguments{L"hand-over", folder_.path() + L"\\Corvane.x86-64.exe", L"turn"};
        if (inJob)
            arguments.push_back(L"--in-job");
        return std::make_unique<test::ChildProcess>(test::BinaryPath(L"testhost"), arguments);
    }
    void Go() const { SetEvent(go_.get()); }
    // The process id that the x86 build left on starting; 0 if it did not.
    DWORD WaitForX86Build() const {
        DWORD id = 0;
        test::WaitUntil([&] { return (std::ifstream((folder_.path() + L"\\started").c_str()) >> id) && id != 0; },
                        10000);
        return id;
    }

private:
    test::TempFolder folder_;
    UniqueHandle go_;
};

// The run keeps its turn while the x86 build works, and the x86 build does
// not wait for it: a run waiting meanwhile gets in only once they have
// ended. A caller that stops the run (a script's time-out) stops the x86
// build with it, also where the run is in a job that lets nothing break away
// (a script runner's job, which says nothing about the turn).
TEST(TurnAcrossHandOver, PassesToTheX86BuildWhichEndsWithTheRun) {
    test::TempFolder folder;
    HostDialog host({L"standin", L"F2", L"--name", L"keep.txt", L"--dir", folder.path()});
    const HWND box = GetDlgItem(host.dialog(), 1152);
    for (const bool inJob : {false, true}) {
        SCOPED_TRACE(inJob ? "run in a job" : "run in no job");
        const std::wstring name = inJob ? L"second.txt" : L"first.txt";
        TurnStandIns standIns;
        const auto handingOver = standIns.StartHandOver(inJob);
        ASSERT_TRUE(handingOver->WaitForLine(L"TURN", 10000));
        test::ChildProcess waiting(test::BinaryPath(L"Corvane"), {folder.path() + L"\\" + name});
        ASSERT_FALSE(waiting.WaitForExit(700).has_value()) << "the run did not wait for the turn";
        standIns.Go();
        const UniqueHandle x86Build(OpenProcess(SYNCHRONIZE, FALSE, standIns.WaitForX86Build()));
        ASSERT_TRUE(x86Build) << "the x86 build was not started";
        EXPECT_FALSE(waiting.WaitForExit(1000).has_value()) << "a run got in while the x86 build worked";
        TerminateProcess(handingOver->handle(), 1);
        EXPECT_EQ(WaitForSingleObject(x86Build.get(), 5000), WAIT_OBJECT_0) << "the x86 build outlived its caller";
        EXPECT_EQ(waiting.WaitForExit(10000), std::optional<DWORD>(0));
        EXPECT_EQ(test::WindowText(box), name);
    }
}

} // namespace
