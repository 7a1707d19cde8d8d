// Display paths as the shell forms them, compared with what a real
// browse-for-folder dialog's tree shows.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <thread>

#include "folderdialogs/display_path.h"
#include "folderdialogs/tree_selection.h"
#include "hooklib/CorvaneLib.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

namespace test = corvane::test;
using corvane::ResolveDisplayPath;

// Number of entries in the shell's identifier list of the path; -1 when the
// shell cannot parse it.
int IdentifierListLength(const std::wstring& path) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)) || list == nullptr)
        return -1;
    int length = 0;
    for (const SHITEMID* item = &list->mkid; item->cb != 0;
         item = reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb))
        ++length;
    CoTaskMemFree(list);
    return length;
}

constexpr wchar_t kSeparator = cvlib::kComponentSeparator;

int ComponentCount(const std::wstring& displayPath) {
    return static_cast<int>(std::count(displayPath.begin(), displayPath.end(), kSeparator)) + 1;
}

void ExpectWellFormed(const std::wstring& path, const std::wstring& displayPath) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    ASSERT_FALSE(displayPath.empty());
    EXPECT_NE(displayPath.front(), kSeparator);
    EXPECT_NE(displayPath.back(), kSeparator);
    EXPECT_EQ(displayPath.find(std::wstring(2, kSeparator)), std::wstring::npos);
    EXPECT_EQ(ComponentCount(displayPath), IdentifierListLength(path));
}

TEST(ResolveDisplayPath, HasOneComponentPerIdentifierEntry) {
    test::TempFolder folder;
    const std::wstring nested = folder.MakeFolder(L"one\\two words\\three");
    const std::wstring file = folder.MakeFile(L"one\\notes.txt");
    for (const std::wstring& path : {std::wstring(L"C:\\"), std::wstring(L"C:\\windows\\system32"), nested, file})
        ExpectWellFormed(path, ResolveDisplayPath(path));
    EXPECT_EQ(ResolveDisplayPath(nested), ResolveDisplayPath(folder.path()) + kSeparator + L"one" + kSeparator +
                                              L"two words" + kSeparator + L"three");
    const std::wstring fileDisplay = ResolveDisplayPath(file);
    EXPECT_EQ(fileDisplay.substr(0, fileDisplay.rfind(kSeparator)), ResolveDisplayPath(folder.path() + L"\\one"))
        << "a file's display path is its folder's plus its own name";
}

TEST(ResolveDisplayPath, EmptyOrUnparseablePathGivesEmptyResult) {
    for (const wchar_t* path : {L"", L"C:\\no such folder\\below", L"::{00000000-0000-0000-0000-000000000000}",
                                L"C:\\bad<name>|\\x"})
        EXPECT_EQ(ResolveDisplayPath(path), L"") << std::string(path, path + wcslen(path));
}

// The real dialog reports the item texts from the root's child down to its
// selection; selecting the folder by the display path must give that chain.
TEST(ResolveDisplayPath, EqualsTheChainOfItemTextsTheRealDialogShows) {
    test::TempFolder folder;
    const std::wstring nested = folder.MakeFolder(L"alpha\\beta");
    test::HostDialog host({L"browse"});
    for (const std::wstring& path : {std::wstring(L"C:\\windows\\system32"), nested}) {
        const std::wstring displayPath = ResolveDisplayPath(path);
        ASSERT_EQ(test::RunCorvane({path}), 0);
        ASSERT_TRUE(test::WaitUntil([&] {
            const auto selected = host.Lines(L"SELECTED");
            return !selected.empty() && _wcsicmp(selected.back().c_str(), path.c_str()) == 0;
        }, 5000));
        test::PumpMessages(100);
        EXPECT_EQ(host.Lines(L"TREE").back(), displayPath);
        EXPECT_EQ(corvane::ReadSelectedTreePath(corvane::FindFolderDialogTree(host.dialog(), OldFolderBrowser)),
                  displayPath)
            << "read from outside the dialog's process";
    }
}

// The shell's folders may need COM: the thread is given an apartment for the
// calls and leaves as it came, without COM or in the apartment it was in.
TEST(ResolveDisplayPath, LeavesTheThreadsComStateAsItFoundIt) {
    struct Row {
        const char* before;
        DWORD initialise; // 0: none
    };
    for (const Row& row : {Row{"no COM", 0}, Row{"single-threaded", COINIT_APARTMENTTHREADED},
                           Row{"multithreaded", COINIT_MULTITHREADED}}) {
        std::thread([&] {
            SCOPED_TRACE(row.before);
            const bool initialised = row.initialise != 0 && SUCCEEDED(CoInitializeEx(nullptr, row.initialise));
            ASSERT_EQ(initialised, row.initialise != 0);
            APTTYPE before{};
            APTTYPEQUALIFIER qualifier{};
            const HRESULT beforeResult = CoGetApartmentType(&before, &qualifier);
            EXPECT_FALSE(ResolveDisplayPath(L"C:\\windows").empty());
            APTTYPE after{};
            EXPECT_EQ(CoGetApartmentType(&after, &qualifier), beforeResult);
            EXPECT_EQ(after, before);
            if (initialised)
                CoUninitialize();
            EXPECT_EQ(CoGetApartmentType(&after, &qualifier), CO_E_NOTINITIALIZED) << "initialised once more than undone";
        }).join();
    }
}

} // namespace
