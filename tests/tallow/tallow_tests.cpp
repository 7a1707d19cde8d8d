#include <gtest/gtest.h>

#include <vector>

#include "support/process.h"
#include "support/windows.h"
#include "tallow/module_path.h"
#include "tallow/win/WinException.h"

namespace {

namespace test = corvane::test;

// Lets a test give an exception any wide message.
class MessageException : public tallow::exception {
public:
    explicit MessageException(const std::wstring& message) { wideMessage = message; }
    void Change(const std::wstring& message) { wideMessage = message; }
};

std::string AsciiOf(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(WinException, CarriesLastErrorAndSystemTextByteForByte) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    const tallow::win::WinException error;
    EXPECT_EQ(error.code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_FALSE(error.message().empty());
    EXPECT_EQ(error.message().back(), L'\n') << "the system's line break stays";
    EXPECT_EQ(std::string(error.what()), AsciiOf(error.message()));
}

TEST(WinException, CodeWithoutSystemTextGivesEmptyMessage) {
    SetLastError(0x2000BEEF);
    const tallow::win::WinException error;
    EXPECT_EQ(error.code(), 0x2000BEEFu);
    EXPECT_TRUE(error.message().empty());
    EXPECT_STREQ(error.what(), "");
}

TEST(Exception, NarrowTextKeepsLatin1AndEmptiesAboveIt) {
    EXPECT_EQ(std::string(MessageException(L"caf\u00e9\r\n").what()), "caf\xe9\r\n");
    const MessageException wide(L"file \u0416 missing\r\n");
    EXPECT_STREQ(wide.what(), "");
    EXPECT_EQ(wide.message(), L"file \u0416 missing\r\n");
}

TEST(Exception, ConvertsOnceAndCopiesCarryTheCache) {
    MessageException error(L"first");
    const char* first = error.what();
    error.Change(L"second");
    EXPECT_EQ(error.what(), first);
    EXPECT_STREQ(error.what(), "first");

    MessageException copy = error;
    EXPECT_STREQ(copy.what(), "first") << "the copy keeps the converted text";
    MessageException fresh(L"second");
    EXPECT_STREQ(fresh.what(), "second");
}

TEST(ModulePath, BufferGrowsFrom261To523WhenThePathFillsIt) {
    for (std::size_t length : {260u, 261u, 600u}) {
        std::vector<DWORD> capacities;
        const std::wstring path(length, L'p');
        const std::wstring read = tallow::detail::ReadWithGrowingBuffer([&](wchar_t* buffer, DWORD capacity) {
            capacities.push_back(capacity);
            const DWORD copied = static_cast<DWORD>(std::min<std::size_t>(capacity, path.size()));
            path.copy(buffer, copied);
            return copied;
        });
        EXPECT_EQ(read, path);
        const std::vector<DWORD> expected = length == 260   ? std::vector<DWORD>{261}
                                            : length == 261 ? std::vector<DWORD>{261, 523}
                                                            : std::vector<DWORD>{261, 523, 1047};
        EXPECT_EQ(capacities, expected) << length;
    }
}

TEST(ModulePath, FailedReadThrowsWithItsError) {
    try {
        tallow::detail::ReadWithGrowingBuffer([](wchar_t*, DWORD) -> DWORD {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        });
        FAIL() << "no exception";
    } catch (const tallow::win::WinException& error) {
        EXPECT_EQ(error.code(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(error.message().empty());
    }
}

// The real program file path, from copies of the host at paths of chosen
// lengths (Wine starts no program whose path is longer than 259 characters).
TEST(ModulePath, ReadsRealPathsAroundTheFirstBufferSize) {
    test::TempFolder folder;
    const std::wstring host = test::BinaryPath(L"testhost");
    for (std::size_t length : {120u, 259u}) {
        // <folder>\<length>\<padding>\h.exe, padded to the exact length.
        const std::wstring level = std::to_wstring(length);
        const std::wstring fileName = L"h.exe";
        const std::size_t fixed = folder.path().size() + 1 + level.size() + 1 + 1 + fileName.size();
        ASSERT_LT(fixed + 10, length);
        const std::wstring directory = folder.MakeFolder(level + L"\\" + std::wstring(length - fixed, L'p'));
        const std::wstring copy = directory + L"\\" + fileName;
        ASSERT_EQ(copy.size(), length);
        ASSERT_TRUE(CopyFileW(host.c_str(), copy.c_str(), FALSE)) << GetLastError();
        test::ChildProcess child(copy, {L"module-path"});
        const auto reported = child.WaitForLine(L"RESULT", 20000);
        ASSERT_TRUE(reported.has_value()) << length;
        EXPECT_EQ(*reported, copy);
    }
}

} // namespace
