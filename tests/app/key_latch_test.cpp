// The key latch: host key events played out one machine scan at a time.
// Each test feeds HostKeyboard as the window does and stands in for the
// machine's scans (nextScan, then a copy of the key states).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/host_keyboard.h"

namespace vantorel {
namespace {

constexpr std::uint8_t kShiftLeft = 0xA0;
constexpr std::uint8_t kShift = 0x10;
constexpr std::uint8_t kRight = 0x27;  // a keys-as-joystick key

class KeyLatchTest : public ::testing::Test {
  protected:
    HostKeyboard keyboard;
    bool fast = false;

    void SetUp() override {
        keyboard.setMachineRunsFast([this] { return fast; });
    }

    void click(std::uint8_t key, char32_t text = kNoKeyText) {
        keyboard.keyDown(key, text);
        keyboard.keyUp(key);
    }

    // One scan: the keys the machine sees down afterwards, as a string of
    // the given keys' letters ('.' for none), for example "A" or "SA".
    std::string scan(const std::string& watched) {
        keyboard.nextScan();
        std::array<std::uint8_t, kVirtualKeyCount> states{};
        keyboard.copyKeyStates(states);
        std::string seen;
        for (char key : watched) {
            const auto code = static_cast<std::uint8_t>(key == 'S' ? kShift : key);
            if (states[code] & kKeyDownBit) seen += key;
        }
        return seen.empty() ? "." : seen;
    }

    std::vector<std::string> scans(int count, const std::string& watched) {
        std::vector<std::string> seen;
        for (int index = 0; index < count; ++index) seen.push_back(scan(watched));
        return seen;
    }
};

using Scans = std::vector<std::string>;

TEST_F(KeyLatchTest, APressShorterThanAScanIsSeenInTwoScansThenUp) {
    click('A');
    EXPECT_FALSE(keyboard.isDown('A'));  // the host has let it go already
    EXPECT_EQ(scans(4, "A"), (Scans{"A", "A", ".", "."}));
    // A key held longer is let go with the host's release.
    keyboard.keyDown(kRight);
    EXPECT_EQ(scans(4, "\x27"), (Scans{"\x27", "\x27", "\x27", "\x27"}));
    keyboard.keyUp(kRight);
    EXPECT_EQ(scans(1, "\x27"), (Scans{"."}));
}

// "e000": each key is let go for a scan before the next goes down, so a
// program sees three presses of 0, in the host's order.
TEST_F(KeyLatchTest, ADoubledLetterIsSeenUpBetweenItsPresses) {
    for (char key : std::string("E000")) click(static_cast<std::uint8_t>(key));
    EXPECT_EQ(scans(12, "E0"), (Scans{"E", "E", ".", "0", "0", ".", "0", "0", ".", "0", "0", "."}));
}

TEST_F(KeyLatchTest, FreshKeysGoDownOneAScanInTheHostsOrder) {
    keyboard.keyDown('B');
    keyboard.keyDown('A');  // rolled over: B is still held
    keyboard.keyUp('B');
    keyboard.keyUp('A');
    EXPECT_EQ(scans(5, "AB"), (Scans{"B", "AB", "A", ".", "."}));
}

// Shift, A, release A, release Shift, all before one scan: A is seen with
// Shift, and Shift stays down as long as A does; then b comes without it.
TEST_F(KeyLatchTest, AShiftPressedBeforeAKeyIsDownWhenTheKeyIsSeen) {
    keyboard.keyDown(kShiftLeft);
    click('A', U'A');
    keyboard.keyUp(kShiftLeft);
    click('B', U'b');
    EXPECT_EQ(scans(6, "SAB"), (Scans{"SA", "SA", ".", "B", "B", "."}));
    // A letter pressed and let go before Shift is never seen with it.
    click('A', U'a');
    keyboard.keyDown(kShiftLeft);
    EXPECT_EQ(scans(3, "SA"), (Scans{"A", "A", "S"}));
    keyboard.keyUp(kShiftLeft);
}

TEST_F(KeyLatchTest, TheHostsCharacterStaysWithTheKeyWhileItIsSeen) {
    click('7', U'/');
    std::array<char32_t, kVirtualKeyCount> texts{};
    keyboard.nextScan();
    keyboard.copyKeyTexts(texts);
    EXPECT_EQ(texts['7'], U'/');
    keyboard.nextScan();
    keyboard.nextScan();
    keyboard.copyKeyTexts(texts);
    EXPECT_EQ(texts['7'], kNoKeyText);
}

TEST_F(KeyLatchTest, LosingTheFocusReleasesEverythingAtOnceAndForgetsTheQueue) {
    keyboard.keyDown(kShiftLeft);
    for (char key : std::string("ABCDEF")) click(static_cast<std::uint8_t>(key));
    keyboard.keyDown('X');
    EXPECT_EQ(scans(1, "SAX"), (Scans{"SA"}));
    keyboard.releaseAll();
    EXPECT_FALSE(keyboard.isDown('X'));
    EXPECT_EQ(scans(6, "SABCDEFX"), (Scans{".", ".", ".", ".", ".", "."}));
    keyboard.keyUp('X');  // the host's late release changes nothing
    click('C');
    EXPECT_EQ(scans(3, "C"), (Scans{"C", "C", "."}));
}

// While the machine runs fast a press lasts three scans, however long the
// host holds the key; the host's auto-repeat presses it again. In real time
// auto-repeat changes nothing: the key is simply held.
TEST_F(KeyLatchTest, WhileTheMachineRunsFastAHeldKeyIsAShortPress) {
    fast = true;
    keyboard.keyDown('X', U'x');
    EXPECT_EQ(scans(6, "X"), (Scans{"X", "X", "X", ".", ".", "."}));
    keyboard.keyDown('X', U'x', true);  // the host repeats it
    EXPECT_EQ(scans(5, "X"), (Scans{"X", "X", "X", ".", "."}));
    keyboard.keyUp('X');
    EXPECT_EQ(scans(2, "X"), (Scans{".", "."}));
    // Shift is not cut short: the repeated letters still come with it.
    keyboard.keyDown(kShiftLeft);
    keyboard.keyDown('X', U'X');
    EXPECT_EQ(scans(4, "SX"), (Scans{"SX", "SX", "SX", "S"}));
    keyboard.keyDown('X', U'X', true);
    EXPECT_EQ(scans(1, "SX"), (Scans{"SX"}));
    keyboard.keyUp('X');
    keyboard.keyUp(kShiftLeft);
    EXPECT_EQ(scans(2, "SX"), (Scans{"SX", "."}));

    fast = false;
    keyboard.keyDown('Y');
    EXPECT_EQ(scans(4, "Y"), (Scans{"Y", "Y", "Y", "Y"}));
    keyboard.keyDown('Y', kNoKeyText, true);
    keyboard.keyDown('Y', kNoKeyText, true);
    EXPECT_EQ(scans(2, "Y"), (Scans{"Y", "Y"}));
    keyboard.keyUp('Y');
    EXPECT_EQ(scans(1, "Y"), (Scans{"."}));
    // A repeat that arrives after the key was let go in real time is no press.
    keyboard.keyDown('Y', kNoKeyText, true);
    EXPECT_EQ(scans(2, "Y"), (Scans{".", "."}));
}

TEST_F(KeyLatchTest, AFullQueueDropsPressesButNeverAReleaseOfAKeyDown) {
    keyboard.keyDown('Z');
    for (std::size_t index = 0; index < kKeyQueueLimit; ++index) click('A');
    keyboard.keyUp('Z');
    keyboard.releaseAll();  // dropped or not, nothing stays down
    EXPECT_EQ(scans(2, "AZ"), (Scans{".", "."}));
    keyboard.keyDown('Z');
    for (std::size_t index = 0; index < kKeyQueueLimit; ++index) keyboard.keyDown('A');
    keyboard.keyUp('Z');
    std::string last;
    for (int index = 0; index < 8; ++index) last = scan("Z");
    EXPECT_EQ(last, ".") << "Z's release was queued behind the flood";
}

}  // namespace
}  // namespace vantorel
