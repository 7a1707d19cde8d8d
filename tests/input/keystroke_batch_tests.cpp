// Keystroke batches: the records they build, and what a real Edit control of
// this process receives when they are sent.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "input/keystroke_batch.h"
#include "support/keys.h"
#include "support/windows.h"

namespace corvane {
namespace {

struct Key {
    WORD vk;
    WORD scan;
    DWORD flags;
    bool operator==(const Key& other) const {
        return vk == other.vk && scan == other.scan && flags == other.flags;
    }
};

std::ostream& operator<<(std::ostream& out, const Key& key) {
    return out << "{vk " << key.vk << ", scan " << key.scan << ", flags " << key.flags << "}";
}

WORD ScanOf(WORD vk) {
    return static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
}

Key Down(WORD vk, DWORD flags = 0) {
    return {vk, ScanOf(vk), flags};
}

Key Up(WORD vk, DWORD flags = 0) {
    return {vk, ScanOf(vk), flags | KEYEVENTF_KEYUP};
}

Key UnitDown(wchar_t unit) {
    return {0, static_cast<WORD>(unit), KEYEVENTF_UNICODE};
}

Key UnitUp(wchar_t unit) {
    return {0, static_cast<WORD>(unit), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP};
}

// The keys of the records, after checking the fields every record shares.
std::vector<Key> KeysOf(const std::vector<INPUT>& records) {
    std::vector<Key> keys;
    for (const INPUT& record : records) {
        EXPECT_EQ(record.type, static_cast<DWORD>(INPUT_KEYBOARD));
        EXPECT_EQ(record.ki.time, 0u);
        EXPECT_EQ(record.ki.dwExtraInfo, 0u);
        keys.push_back({record.ki.wVk, record.ki.wScan, record.ki.dwFlags});
    }
    return keys;
}

std::vector<Key> Concat(std::vector<Key> first, const std::vector<Key>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(KeystrokeBatchRecords, TextGivesOnePressPerUtf16Unit) {
    KeystrokeBatch letters;
    letters.AddText(L"ab");
    EXPECT_EQ(KeysOf(letters.records()),
              (std::vector<Key>{UnitDown(L'a'), UnitUp(L'a'), UnitDown(L'b'), UnitUp(L'b')}));

    KeystrokeBatch empty;
    empty.AddText(L"");
    EXPECT_TRUE(empty.records().empty());

    // U+1F600 is one character but two units: each surrogate is typed alone.
    KeystrokeBatch astral;
    astral.AddText(L"\xD83D\xDE00");
    EXPECT_EQ(KeysOf(astral.records()),
              (std::vector<Key>{UnitDown(0xD83D), UnitUp(0xD83D), UnitDown(0xDE00), UnitUp(0xDE00)}));
}

TEST(KeystrokeBatchRecords, KeyPressIsDownThenUpWithTheSameScanCode) {
    KeystrokeBatch batch;
    batch.AddKeyPress(VK_RETURN);
    const std::vector<Key> keys = KeysOf(batch.records());
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], (Key{VK_RETURN, ScanOf(VK_RETURN), 0}));
    EXPECT_EQ(keys[1], (Key{VK_RETURN, ScanOf(VK_RETURN), KEYEVENTF_KEYUP}));
    EXPECT_NE(keys[0].scan, 0) << "the scan code travels with the event";
}

TEST(KeystrokeBatchRecords, HomeChordHoldsAllThreeModifiersAndOnlyHomeIsExtended) {
    KeystrokeBatch batch;
    batch.AddHomeChord();
    EXPECT_EQ(KeysOf(batch.records()),
              (std::vector<Key>{Down(VK_CONTROL), Down(VK_MENU), Down(VK_SHIFT), Down(VK_HOME, KEYEVENTF_EXTENDEDKEY),
                                Up(VK_HOME, KEYEVENTF_EXTENDEDKEY), Up(VK_SHIFT), Up(VK_MENU), Up(VK_CONTROL)}));
}

// Each side's key is released and pressed again as itself: right Ctrl with
// its extended flag, never the left one in its place.
Key Side(WORD vk, bool extended, bool up) {
    return {vk, static_cast<WORD>(ScanOf(vk) & 0xFF),
            (extended ? static_cast<DWORD>(KEYEVENTF_EXTENDEDKEY) : 0u) | (up ? KEYEVENTF_KEYUP : 0u)};
}

const Key kMaskDown{kMaskKey, 0, 0};
const Key kMaskUp{kMaskKey, 0, KEYEVENTF_KEYUP};

TEST(KeystrokeBatchFraming, EachHeldKeyIsReleasedAndPressedAgainAsItself) {
    KeystrokeBatch batch;
    batch.AddText(L"q");
    const std::vector<Key> body = KeysOf(batch.records());

    EXPECT_EQ(KeysOf(batch.FramedRecords(HeldModifiers::Of({VK_RCONTROL, VK_LSHIFT}))),
              Concat(Concat({Side(VK_RCONTROL, true, true), Side(VK_LSHIFT, false, true)}, body),
                     {Side(VK_LSHIFT, false, false), Side(VK_RCONTROL, true, false)}));

    // AltGr: a masked release, so that letting go of Alt opens no menu, and
    // a mask again before the user lets go of the keys put back.
    EXPECT_EQ(KeysOf(batch.FramedRecords(HeldModifiers::Of({VK_LCONTROL, VK_RMENU}))),
              Concat(Concat({kMaskDown, kMaskUp, Side(VK_LCONTROL, false, true), Side(VK_RMENU, true, true)}, body),
                     {Side(VK_RMENU, true, false), Side(VK_LCONTROL, false, false), kMaskDown, kMaskUp}));
    EXPECT_EQ(KeysOf(batch.FramedRecords(HeldModifiers::Of({VK_LWIN}))),
              Concat(Concat({kMaskDown, kMaskUp, Side(VK_LWIN, true, true)}, body),
                     {Side(VK_LWIN, true, false), kMaskDown, kMaskUp}));

    EXPECT_EQ(KeysOf(batch.FramedRecords(HeldModifiers{})), body);
    EXPECT_EQ(KeysOf(batch.records()), body) << "framing leaves the batch as it was";
    EXPECT_TRUE(KeystrokeBatch().FramedRecords(HeldModifiers{}).empty());
}

// ---------------------------------------------------------------------------
// Sending for real: a visible window of this process with an Edit that takes
// the focus. Synthesised keys go to the foreground window's focus, so the
// window must be brought to the foreground first.

struct EditEvent {
    UINT message;
    WPARAM key;
    bool controlDown; // as the Edit's thread sees it while handling the message
};

struct EditRecorder {
    WNDPROC original = nullptr;
    std::vector<EditEvent> events;
};
EditRecorder recorder;

LRESULT CALLBACK RecordingEditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR)
        recorder.events.push_back({message, wParam, (GetKeyState(VK_CONTROL) & 0x8000) != 0});
    return CallWindowProcW(recorder.original, window, message, wParam, lParam);
}

bool IsControlHeld() {
    return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
}

class KeystrokeBatchSend : public testing::Test {
protected:
    static void SetUpTestSuite() {
        test::RegisterWindowClass(L"CorvaneKeystrokeTarget");
        // One visible window for the whole suite: showing one is slow here.
        top_ = new test::OwnedWindow(CreateWindowExW(0, L"CorvaneKeystrokeTarget", L"keystroke target",
                                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 120, nullptr,
                                                     nullptr, GetModuleHandleW(nullptr), nullptr));
        edit_ = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 360,
                                24, top_->get(), reinterpret_cast<HMENU>(1001), GetModuleHandleW(nullptr), nullptr);
        recorder.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingEditProcedure)));
    }
    static void TearDownTestSuite() {
        delete top_;
        top_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(edit_, nullptr);
        SetWindowTextW(edit_, L"");
        SetForegroundWindow(top_->get());
        SetFocus(edit_);
        ASSERT_TRUE(test::WaitUntil(
            [] { return GetForegroundWindow() == top_->get() && GetFocus() == edit_; }, 5000))
            << "the test window did not become the foreground window";
        ASSERT_FALSE(IsControlHeld()) << "a key was left held before this test";
        recorder.events.clear();
    }

    // Lets the Edit process what was sent, until its text reads as expected.
    static bool EditShows(const std::wstring& text) {
        return test::WaitUntil([&] { return test::WindowText(edit_) == text; }, 3000);
    }

    static test::OwnedWindow* top_;
    static HWND edit_;
};
test::OwnedWindow* KeystrokeBatchSend::top_ = nullptr;
HWND KeystrokeBatchSend::edit_ = nullptr;

TEST_F(KeystrokeBatchSend, TextArrivesBackspacesEraseAndASecondSendRepeatsIt) {
    KeystrokeBatch batch;
    batch.AddText(L"r\x00E9sum\x00E9");
    batch.AddKeyPress(VK_BACK);
    batch.AddKeyPress(VK_BACK);
    batch.AddText(L"!");
    batch.Send();
    EXPECT_TRUE(EditShows(L"r\x00E9su!")) << test::WindowText(edit_).size() << " units";

    batch.Send();
    EXPECT_TRUE(EditShows(L"r\x00E9su!r\x00E9su!")) << "the same records a second time";
    EXPECT_EQ(batch.records().size(), 18u) << "sending does not empty the batch";
}

TEST_F(KeystrokeBatchSend, HeldControlIsReleasedAroundTheBatchAndPressedAgainAfter) {
    test::HeldKeys control({VK_LCONTROL});
    ASSERT_TRUE(control.Registered()) << "the synthesised Ctrl key-down did not register";
    test::PumpMessages(50);
    recorder.events.clear();

    KeystrokeBatch batch;
    batch.AddText(L"ab");
    batch.Send();
    ASSERT_TRUE(EditShows(L"ab")) << "typed as plain letters, not as Ctrl chords";
    test::PumpMessages(50);
    EXPECT_TRUE(IsControlHeld()) << "Ctrl must be down again after the batch";

    // Ctrl up, the two letters with Ctrl released, then Ctrl down again.
    std::vector<UINT> controlMessages;
    std::size_t charsSeen = 0;
    for (const EditEvent& event : recorder.events) {
        if (event.key == VK_CONTROL && (event.message == WM_KEYDOWN || event.message == WM_KEYUP)) {
            controlMessages.push_back(event.message);
            EXPECT_EQ(charsSeen, controlMessages.size() == 1 ? 0u : 2u) << "Ctrl moved at the wrong moment";
        }
        if (event.message == WM_CHAR) {
            ++charsSeen;
            EXPECT_FALSE(event.controlDown) << "Ctrl was down while a letter arrived";
        }
    }
    EXPECT_EQ(charsSeen, 2u);
    EXPECT_EQ(controlMessages, (std::vector<UINT>{WM_KEYUP, WM_KEYDOWN}));
}

} // namespace
} // namespace corvane
