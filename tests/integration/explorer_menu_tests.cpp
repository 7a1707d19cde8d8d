// Explorer's context menu as the package's install.cmd writes it for the
// current user: the registered commands, started the way Explorer starts them,
// drive a real open dialog of the test host; uninstall.cmd takes everything
// away again.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

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
constexpr MenuEntry kFileEntry{L"*\\shell", L"%1"};
constexpr MenuEntry kEntries[] = {kFolderEntry, kBackgroundEntry, kFileEntry};

// Keys that install.cmd creates when the user has none yet.
const std::vector<std::wstring> kParentKeys = {
    L"Directory", L"Directory\\shell", L"Directory\\Background", L"Directory\\Background\\shell", L"*", L"*\\shell"};

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

// A folder laid out like the unpacked package, with a blank in its path.
class PackageFolder {
public:
    PackageFolder() : folder_(L"corvane package") {
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
        std::string output;         // for failure messages
    };

    // Runs integration\<script> as a double click does.
    ScriptRun Run(const std::wstring& script) const {
        test::ChildProcess cmd(test::ChildProcess::CommandLine{
            L"\"" + Cmd() + L"\" /d /c \"\"" + path() + L"\\integration\\" + script + L"\"\""});
        ScriptRun run{cmd.WaitForExit(60000), {}};
        for (const std::wstring& line : cmd.Lines())
            run.output += "\n  " + test::ToUtf8(line);
        if (run.code != 0u)
            ADD_FAILURE() << test::ToUtf8(script) << (run.code ? " failed" : " did not end") << ", its output:"
                          << run.output;
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
    for (const MenuEntry& entry : kEntries)
        if (KeyExists(EntryKey(entry)))
            GTEST_SKIP() << "Corvane's menu entries are installed for this user; the test would replace them";
    const PackageFolder package;
    std::vector<bool> parentsBefore;
    for (const std::wstring& key : kParentKeys)
        parentsBefore.push_back(KeyExists(kClasses + key));
    const MenuEntriesRemoved cleanup;

    ASSERT_EQ(package.Run(L"install.cmd").code, 0u);
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
    const std::wstring file = items.MakeFile(L"folder with blanks\\report 2026.txt");
    struct Case {
        MenuEntry entry;
        std::wstring item;
        std::wstring folder;  // where the dialog must land
        std::wstring box;     // what its file-name box must show, if anything
    };
    const Case cases[] = {
        {kFolderEntry, blanks, blanks, L""},
        {kBackgroundEntry, L"C:\\", L"C:\\", L""},
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

    const auto uninstall = package.Run(L"uninstall.cmd");
    ASSERT_EQ(uninstall.code, 0u);
    for (const MenuEntry& entry : kEntries)
        EXPECT_FALSE(KeyExists(EntryKey(entry))) << test::ToUtf8(EntryKey(entry)) << " is left";
    for (std::size_t i = 0; i < kParentKeys.size(); ++i) {
        EXPECT_EQ(KeyExists(kClasses + kParentKeys[i]), parentsBefore[i])
            << test::ToUtf8(kParentKeys[i]) << ": uninstall must leave it as install found it; it said:"
            << uninstall.output;
    }
}

} // namespace
} // namespace corvane
