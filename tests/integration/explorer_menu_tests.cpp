// Explorer's context menu as the package's install.cmd writes it for the
// current user: the registered commands, started the way Explorer starts them,
// drive a real open dialog of the test host; uninstall.cmd takes everything
// away again, and neither script claims success over what it could not do.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/unique_handle.h"
#include "support/host.h"
#include "support/process.h"
#include "support/text.h"
#include "support/windows.h"

namespace corvane {
namespace {

const std::wstring kClasses = L"Software\\Classes\\";

struct MenuEntry {
    const wchar_t* shellKey;     // below HKCU\Software\Classes
    const wchar_t* placeholder;  // what Explorer replaces with the item's path
};
constexpr MenuEntry kFolderEntry{L"Directory\\shell", L"%V"};
constexpr MenuEntry kBackgroundEntry{L"Directory\\Background\\shell", L"%V"};
constexpr MenuEntry kDriveEntry{L"Drive\\shell", L"%V"};
constexpr MenuEntry kFileEntry{L"*\\shell", L"%1"};
constexpr MenuEntry kEntries[] = {kFolderEntry, kBackgroundEntry, kDriveEntry, kFileEntry};

// Keys that install.cmd creates when the user has none yet.
const std::vector<std::wstring> kParentKeys = {
    L"Directory", L"Directory\\shell", L"Directory\\Background", L"Directory\\Background\\shell",
    L"Drive",     L"Drive\\shell",     L"*",                     L"*\\shell"};

// What a script started by a double-click shows before its window closes.
const std::string kPausePrompt = "Press any key to close this window.";

std::wstring EntryKey(const MenuEntry& entry) {
    return kClasses + entry.shellKey + L"\\Corvane";
}

bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool AnyEntryInstalled() {
    for (const MenuEntry& entry : kEntries)
        if (KeyExists(EntryKey(entry)))
            return true;
    return false;
}

std::optional<std::wstring> ReadDefaultValue(const std::wstring& key) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(value.find(L'\0'));
    return value;
}

// The entries go even when the test stops half-way.
struct MenuEntriesRemoved {
    ~MenuEntriesRemoved() {
        for (const MenuEntry& entry : kEntries)
            RegDeleteTreeW(HKEY_CURRENT_USER, EntryKey(entry).c_str());
    }
};

std::optional<std::wstring> ReadVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// An environment variable of this process, which the programs it starts
// inherit, set for a while.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name), old_(ReadVariable(name)) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

// NUL as the input of the programs started meanwhile: a script's pause ends
// at once instead of waiting for a key.
class InputFromNul {
public:
    InputFromNul() : old_(GetStdHandle(STD_INPUT_HANDLE)) {
        SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
        nul_.reset(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                               nullptr));
        SetStdHandle(STD_INPUT_HANDLE, nul_.get());
    }
    ~InputFromNul() { SetStdHandle(STD_INPUT_HANDLE, old_); }
    InputFromNul(const InputFromNul&) = delete;
    InputFromNul& operator=(const InputFromNul&) = delete;

private:
    HANDLE old_;
    UniqueHandle nul_;
};

// A reg.exe first on PATH that fails as reg does where registry editing is
// disabled by policy.
class RefusedRegFirstOnPath {
public:
    RefusedRegFirstOnPath() : path_(L"PATH", folder_.path() + L";" + ReadVariable(L"PATH").value_or(L"")) {
        EXPECT_TRUE(
            CopyFileW(test::BinaryPath(L"refused_reg").c_str(), (folder_.path() + L"\\reg.exe").c_str(), FALSE));
    }

private:
    test::TempFolder folder_{L"corvane refused reg"};
    ScopedVariable path_;
};

// How a script is started: as Explorer opens it (a double-click), or by
// another script.
enum class Start { DoubleClick, FromScript };

// A folder laid out like the unpacked package.
class PackageFolder {
public:
    explicit PackageFolder(const std::wstring& name) : folder_(name) {
        for (const wchar_t* arch : {L"x86-64", L"x86-32"}) {
            Copy(std::wstring(L"Corvane.") + arch + L".exe");
            Copy(std::wstring(L"CorvaneLib.") + arch + L".dll");
        }
        folder_.MakeFolder(L"integration");
        Copy(L"integration\\install.cmd");
        Copy(L"integration\\uninstall.cmd");
    }
    const std::wstring& path() const { return folder_.path(); }

    struct ScriptRun {
        std::optional<DWORD> code;  // nothing when it did not end
        std::string output;
    };

    // Runs integration\<script>; a failure when it does not end with the
    // expected code.
    ScriptRun Run(const std::wstring& script, Start start, DWORD expectedCode = 0) const {
        const std::wstring file = path() + L"\\integration\\" + script;
        // Explorer's command line for a script it opens. cmd tells its command
        // line in CMDCMDLINE, or the variable of that name where there is one,
        // which stands in where cmd (Wine's) tells nothing.
        const std::wstring explorerLine = Cmd() + L" /c \"\"" + file + L"\" \"";
        std::optional<ScopedVariable> told;
        if (start == Start::DoubleClick)
            told.emplace(L"CMDCMDLINE", explorerLine);
        const InputFromNul input;
        test::ChildProcess cmd(test::ChildProcess::CommandLine{
            start == Start::DoubleClick ? explorerLine : L"\"" + Cmd() + L"\" /d /c \"\"" + file + L"\"\""});
        ScriptRun run{cmd.WaitForExit(60000), {}};
        for (const std::wstring& line : cmd.Lines())
            run.output += "\n  " + test::ToUtf8(line);
        if (run.code != expectedCode)
            ADD_FAILURE() << test::ToUtf8(script)
                          << (run.code ? " ended with " + std::to_string(*run.code) : std::string(" did not end"))
                          << ", its output:" << run.output;
        return run;
    }

private:
    static std::wstring Cmd() {
        wchar_t folder[MAX_PATH] = L"";
        GetSystemDirectoryW(folder, MAX_PATH);
        return std::wstring(folder) + L"\\cmd.exe";
    }

    void Copy(const std::wstring& relative) const {
        const std::wstring from = test::BinaryDir() + L"\\" + relative;
        ASSERT_TRUE(CopyFileW(from.c_str(), (path() + L"\\" + relative).c_str(), FALSE))
            << "missing " << test::ToUtf8(from) << ": build both architectures";
    }

    test::TempFolder folder_;
};

// Explorer puts the item's path in place of the placeholder and starts the
// command line as it stands; the exit code.
std::optional<DWORD> StartAsExplorerDoes(const std::wstring& command, const MenuEntry& entry,
                                         const std::wstring& item) {
    std::wstring line = command;
    const std::size_t at = line.find(entry.placeholder);
    if (at == std::wstring::npos)
        return std::nullopt;
    line.replace(at, wcslen(entry.placeholder), item);
    test::ChildProcess started(test::ChildProcess::CommandLine{line});
    return started.WaitForExit(30000);
}

TEST(ExplorerMenu, InstallStartEachEntryAgainstAnOpenDialogUninstall) {
    if (AnyEntryInstalled())
        GTEST_SKIP() << "Corvane's menu entries are installed for this user; the test would replace them";
    // Characters that cmd or reg would take apart if a script let them.
    const PackageFolder package(L"corvane (pack) & more! \u00e9\u03bb");
    std::vector<bool> parentsBefore;
    for (const std::wstring& key : kParentKeys)
        parentsBefore.push_back(KeyExists(kClasses + key));
    const MenuEntriesRemoved cleanup;

    const auto install = package.Run(L"install.cmd", Start::DoubleClick);
    ASSERT_EQ(install.code, 0u);
    EXPECT_NE(install.output.find(kPausePrompt), std::string::npos) << "started by a double-click:" << install.output;
    for (const MenuEntry& entry : kEntries) {
        SCOPED_TRACE(test::ToUtf8(entry.shellKey));
        EXPECT_FALSE(ReadDefaultValue(EntryKey(entry)).value_or(L"").empty()) << "no menu text";
        // The full path of the program beside the script, quoted, and the
        // quoted placeholder: one argument whatever the item's path holds.
        EXPECT_EQ(test::ToUtf8(ReadDefaultValue(EntryKey(entry) + L"\\command").value_or(L"<none>")),
                  test::ToUtf8(L"\"" + package.path() + L"\\Corvane.x86-64.exe\" \"" + entry.placeholder + L"\""));
    }

    test::TempFolder items(L"corvane menu items");
    const std::wstring blanks = items.MakeFolder(L"folder with blanks");
    const std::wstring special = items.MakeFolder(L"a & b (c)");
    const std::wstring file = items.MakeFile(L"folder with blanks\\report 2026.txt");
    struct Case {
        MenuEntry entry;
        std::wstring item;
        std::wstring folder;  // where the dialog must land
        std::wstring box;     // what its file-name box must show, if anything
    };
    const Case cases[] = {
        {kFolderEntry, blanks, blanks, L""},
        {kBackgroundEntry, special, special, L""},
        {kDriveEntry, L"C:\\", L"C:\\", L""},
        {kFileEntry, file, blanks, L"report 2026.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(test::ToUtf8(std::wstring(c.entry.shellKey) + L" on " + c.item));
        test::HostDialog host({L"open", L"--dir", items.path()});
        const std::optional<std::wstring> command = ReadDefaultValue(EntryKey(c.entry) + L"\\command");
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(StartAsExplorerDoes(*command, c.entry, c.item), 0u);
        test::WaitUntil([&] { return host.LastFolder() == c.folder; }, 3000);
        EXPECT_EQ(test::ToUtf8(host.LastFolder()), test::ToUtf8(c.folder));
        if (!c.box.empty()) {
            EXPECT_EQ(test::ToUtf8(test::WindowText(GetDlgItem(host.dialog(), 1148))), test::ToUtf8(c.box));
        }
    }

    {
        const RefusedRegFirstOnPath refused;
        const auto unchecked = package.Run(L"uninstall.cmd", Start::DoubleClick, 1);
        EXPECT_NE(unchecked.output.find("cannot read the registry"), std::string::npos) << unchecked.output;
        EXPECT_NE(unchecked.output.find(kPausePrompt), std::string::npos)
            << "started by a double-click, on an error:" << unchecked.output;
    }
    for (const MenuEntry& entry : kEntries)
        EXPECT_TRUE(KeyExists(EntryKey(entry))) << test::ToUtf8(EntryKey(entry)) << " went although reg failed";

    const auto uninstall = package.Run(L"uninstall.cmd", Start::FromScript);
    ASSERT_EQ(uninstall.code, 0u);
    EXPECT_EQ(uninstall.output.find(kPausePrompt), std::string::npos) << "started by a script:" << uninstall.output;
    for (const MenuEntry& entry : kEntries)
        EXPECT_FALSE(KeyExists(EntryKey(entry))) << test::ToUtf8(EntryKey(entry)) << " is left";
    for (std::size_t i = 0; i < kParentKeys.size(); ++i) {
        EXPECT_EQ(KeyExists(kClasses + kParentKeys[i]), parentsBefore[i])
            << test::ToUtf8(kParentKeys[i]) << ": uninstall must leave it as install found it; it said:"
            << uninstall.output;
    }
}

// Explorer would cut the percent sign out of the program's path.
TEST(ExplorerMenu, InstallRefusesAFolderWithAPercentSign) {
    if (AnyEntryInstalled())
        GTEST_SKIP() << "Corvane's menu entries are installed for this user";
    const PackageFolder package(L"corvane 50%Sale");
    const MenuEntriesRemoved cleanup;

    const auto install = package.Run(L"install.cmd", Start::FromScript, 1);
    for (const MenuEntry& entry : kEntries)
        EXPECT_FALSE(KeyExists(EntryKey(entry))) << test::ToUtf8(EntryKey(entry)) << " was written";
    // Wine's cmd drops the sign from the script's own path (%~dp0), so there
    // the script finds no programs instead.
    if (!test::UnderWine()) {
        EXPECT_NE(install.output.find("percent sign"), std::string::npos) << install.output;
    }
}

} // namespace
} // namespace corvane
