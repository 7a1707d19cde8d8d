// The 64-bit program with a folder dialog of a 32-bit process: it hands the
// dialog to the x86 build beside it. Needs a machine that starts 32-bit
// programs; elsewhere these tests are skipped with the reason.

#include <gtest/gtest.h>

#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;
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

} // namespace
