// The program as a separate process: command line, recognition, dispatch.

#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

#include "core/process_integrity.h"
#include "core/recognition.h"
#include "corvane_version.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

using test::HostDialog;
using test::RunCorvane;
using test::RunCorvaneRaw;

// A dialog that must not be touched: its box keeps its text and it never
// reports a change.
void ExpectUntouched(HostDialog& host, HWND box, const std::wstring& text) {
    test::PumpMessages(200);
    EXPECT_TRUE(host.StillOpen());
    EXPECT_EQ(test::WindowText(box), text);
    EXPECT_TRUE(host.Lines(L"FOLDER").empty());
    EXPECT_TRUE(host.Lines(L"ENTER").empty());
}

TEST(CommandLine, WrongArgumentCountsEndWithMinusOneAndTouchNothing) {
    test::TempFolder folder;
    HostDialog host({L"standin", L"F2", L"--name", L"keep.txt", L"--dir", folder.path()});
    const HWND box = GetDlgItem(host.dialog(), 1152);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(RunCorvane({}), -1);
    EXPECT_EQ(RunCorvaneRaw(folder.path() + L" second"), -1) << "a path with a blank, unquoted";
    EXPECT_EQ(RunCorvane({folder.path(), L"x"}), -1);
    ExpectUntouched(host, box, L"keep.txt");
}

TEST(CommandLine, NoRecognisableDialogEndsWithMinusOne) {
    const std::wstring foreign = test::ForeignDialogOnTop();
    if (!foreign.empty())
        GTEST_SKIP() << "another program's dialog is open: " << test::ToUtf8(foreign);
    ASSERT_FALSE(FindTargetDialog());
    EXPECT_EQ(RunCorvane({L"C:\\windows\\win.ini"}), -1);
}

TEST(CommandLine, QuotedPathWithBlanksIsOneArgument) {
    test::TempFolder folder(L"corvane blank");
    const std::wstring target = folder.MakeFolder(L"with blanks") + L"\\name with blanks.txt";
    HostDialog host({L"standin", L"F2", L"--dir", folder.path()});
    EXPECT_EQ(RunCorvaneRaw(L"\"" + target + L"\""), 0);
    EXPECT_EQ(host.LastFolder(), folder.path() + L"\\with blanks");
    EXPECT_EQ(test::WindowText(GetDlgItem(host.dialog(), 1152)), L"name with blanks.txt");
}

TEST(Dispatch, MissingFileNameBoxEndsWithMinusOneUntouched) {
    for (const wchar_t* layout : {L"F1-nobox", L"F4-nobox"}) {
        SCOPED_TRACE(layout[1] == L'1' ? "standard" : "keyboard");
        HostDialog host({L"standin", layout});
        const HWND list = GetDlgItem(host.dialog(), 1120);
        EXPECT_EQ(RunCorvane({L"C:\\windows\\win.ini"}), -1);
        ExpectUntouched(host, list, L"");
    }
}

TEST(Dispatch, OnlyTheUpperOfTwoDialogsIsFilled) {
    test::TempFolder folder;
    HostDialog lower({L"standin", L"F2", L"--name", L"lower.txt", L"--dir", folder.path()});
    HostDialog upper({L"standin", L"F2", L"--name", L"upper.txt", L"--dir", folder.path()});
    SetWindowPos(upper.dialog(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    test::PumpMessages(100);
    EXPECT_EQ(RunCorvane({folder.path() + L"\\chosen.txt"}), 0);
    EXPECT_EQ(test::WindowText(GetDlgItem(upper.dialog(), 1152)), L"chosen.txt");
    ExpectUntouched(lower, GetDlgItem(lower.dialog(), 1152), L"lower.txt");
}

TEST(RunTurns, ARunWaitsForTheTurnAndGivesUpUntouchedPastTheBound) {
    using test::HeldRunTurn;
    test::TempFolder folder;
    HostDialog host({L"standin", L"F2", L"--name", L"keep.txt", L"--dir", folder.path()});
    const HWND box = GetDlgItem(host.dialog(), 1152);
    const std::wstring target = folder.MakeFolder(L"Work") + L"\\chosen.txt";
    {
        SCOPED_TRACE("held, then released");
        HeldRunTurn turn;
        test::ChildProcess run(test::BinaryPath(L"Corvane"), {target});
        EXPECT_FALSE(run.WaitForExit(1500).has_value()) << "the run did not wait for the turn";
        ExpectUntouched(host, box, L"keep.txt");
        turn.Release();
        EXPECT_EQ(run.WaitForExit(10000), std::optional<DWORD>(0));
        EXPECT_EQ(test::WindowText(box), L"chosen.txt");
        EXPECT_EQ(host.LastFolder(), folder.path() + L"\\Work");
    }
    {
        SCOPED_TRACE("held past the bound");
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"keep.txt"));
        const std::size_t foldersBefore = host.Lines(L"FOLDER").size();
        HeldRunTurn turn;
        EXPECT_EQ(RunCorvane({folder.path() + L"\\other.txt"}), -1);
        test::PumpMessages(200);
        EXPECT_EQ(test::WindowText(box), L"keep.txt");
        EXPECT_EQ(host.Lines(L"FOLDER").size(), foldersBefore);
    }
    {
        SCOPED_TRACE("left by a run that was killed");
        HANDLE abandoned = nullptr;
        std::thread([&] { abandoned = CreateMutexW(nullptr, TRUE, L"Local\\Corvane.Run"); }).join();
        EXPECT_EQ(RunCorvane({target}), 0);
        CloseHandle(abandoned);
    }
}

// A dialog of a process at a higher level drops what is sent to it, and one
// whose level cannot be read may be such a one.
TEST(ElevatedDialog, GoesOnOnlyUpToTheProgramsOwnLevel) {
    const std::optional<DWORD> unknown;
    const struct {
        std::optional<DWORD> dialog;
        std::optional<DWORD> own;
        bool goesOn;
    } cases[] = {
        {SECURITY_MANDATORY_MEDIUM_RID, SECURITY_MANDATORY_MEDIUM_RID, true},
        {SECURITY_MANDATORY_LOW_RID, SECURITY_MANDATORY_MEDIUM_RID, true},
        {SECURITY_MANDATORY_MEDIUM_RID, SECURITY_MANDATORY_HIGH_RID, true},
        {SECURITY_MANDATORY_HIGH_RID, SECURITY_MANDATORY_MEDIUM_RID, false},
        {SECURITY_MANDATORY_MEDIUM_RID + 0x100, SECURITY_MANDATORY_MEDIUM_RID, false}, // medium plus
        {SECURITY_MANDATORY_SYSTEM_RID, SECURITY_MANDATORY_HIGH_RID, false},
        {unknown, SECURITY_MANDATORY_MEDIUM_RID, false},
        {SECURITY_MANDATORY_LOW_RID, unknown, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dialog.value_or(~0u)) + " against " + std::to_string(c.own.value_or(~0u)));
        EXPECT_EQ(MayDriveDialogAtLevel(c.dialog, c.own), c.goesOn);
    }
}

// Wine runs every process at one level, so here a real dialog's level, read
// across processes, is the program's own and the runs go on; a window that
// is gone has no process to ask.
TEST(ElevatedDialog, LevelIsReadFromTheDialogsProcess) {
    const std::optional<DWORD> own = ProcessIntegrityLevel(GetCurrentProcess());
    ASSERT_TRUE(own.has_value());
    EXPECT_LE(*own, static_cast<DWORD>(SECURITY_MANDATORY_PROTECTED_PROCESS_RID));
    HostDialog host({L"standin", L"F2"});
    EXPECT_EQ(IntegrityLevelOfWindow(host.dialog()), own);
    EXPECT_TRUE(MayDriveDialog(host.dialog()));

    HWND gone = test::CreateTopLevel(L"CorvaneGoneDialog").get();
    EXPECT_EQ(IntegrityLevelOfWindow(gone), std::nullopt);
    EXPECT_FALSE(MayDriveDialog(gone));
}

// Both builds carry their resources; a file is read as data, so the 64-bit
// test reads the x86 program too.
TEST(Program, CarriesManifestProductNameAndIcon) {
    for (const wchar_t* arch : {L"x86-64", L"x86-32"}) {
        SCOPED_TRACE(test::ToUtf8(arch));
        const std::wstring program = test::BinaryPath(L"Corvane", arch);
        const HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, nullptr) << "missing " << test::ToUtf8(program) << ": build both architectures";

        const HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_NE(manifest, nullptr);
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, manifest)));
        const std::string text(bytes, SizeofResource(image, manifest));
        EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
        EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos);

        wchar_t name[64] = L"";
        EXPECT_GT(LoadStringW(image, 1, name, 64), 0);
        EXPECT_STREQ(name, L"Corvane");
        EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
        FreeLibrary(image);
    }
}

// One entry of a file's version block ("\\" for the fixed part).
template <typename Value>
const Value* VersionEntry(std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueW(block.data(), name, &value, &length) && length > 0 ? static_cast<const Value*>(value)
                                                                            : nullptr;
}

// All four deliverables carry the project's version, and each its own name.
TEST(Program, EveryFileCarriesTheProjectVersion) {
    const std::wstring version = test::FromUtf8(CORVANE_VERSION_TEXT);
    for (const wchar_t* arch : {L"x86-64", L"x86-32"}) {
        for (const std::wstring& name : {std::wstring(L"Corvane.") + arch + L".exe",
                                         std::wstring(L"CorvaneLib.") + arch + L".dll"}) {
            SCOPED_TRACE(test::ToUtf8(name));
            const std::wstring path = test::BinaryDir() + L"\\" + name;
            DWORD ignored = 0;
            std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
            ASSERT_FALSE(block.empty()) << "no version block: build both architectures";
            ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

            const auto* fixed = VersionEntry<VS_FIXEDFILEINFO>(block, L"\\");
            ASSERT_NE(fixed, nullptr);
            EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), CORVANE_VERSION_MAJOR);
            EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), CORVANE_VERSION_MINOR);
            EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), CORVANE_VERSION_PATCH);
            EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0);
            EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
            EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
            const auto text = [&](const wchar_t* entry) {
                const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + entry;
                const wchar_t* value = VersionEntry<wchar_t>(block, key.c_str());
                return test::ToUtf8(value != nullptr ? value : L"<none>");
            };
            EXPECT_EQ(text(L"FileVersion"), test::ToUtf8(version));
            EXPECT_EQ(text(L"ProductVersion"), test::ToUtf8(version));
            EXPECT_EQ(text(L"OriginalFilename"), test::ToUtf8(name));
        }
    }
}

} // namespace
} // namespace corvane
