// Host key presses end to end: a line typed the way tools and fast typists
// type (every key let go at once, several keys a frame) reaches our monitor
// through the host keyboard's latch and arrives exactly, in both keyboard
// modes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/boot.h"
#include "app/host_keyboard.h"
#include "input/us_layout.h"
#include "machine/machine.h"
#include "machine/screen_text.h"

namespace vantorel {
namespace {

constexpr std::uint8_t kHostShift = 0xA0;
constexpr std::uint8_t kHostReturn = 0x0D;
constexpr double kFrameMilliseconds = 1000.0 / 60.0;

// A host keyboard in front of a machine booted into our monitor.
class TypedKeysEndToEnd : public ::testing::TestWithParam<bool> {
  protected:
    HostKeyboard keys;
    Machine machine{MachineHost{nullptr, &keys, nullptr, nullptr}};

    void SetUp() override {
        boot({machine}, SettingsFiles{});
        machine.config().emulatedflag = GetParam();
        for (int frame = 0; frame < 300 && !shows(">_"); ++frame) machine.runFrame();
        ASSERT_TRUE(shows(">_")) << "the monitor shows its prompt\n" << screen();
    }

    std::string screen() const { return screenText(machine.memory()); }
    bool shows(std::string_view text) const { return screen().find(text) != std::string::npos; }

    // The host events for one character as a US keyboard sends them when a
    // tool types it: Shift if needed, the key down and up at once.
    void typeCharacter(char character) {
        const std::int16_t key = usLayoutKeyForCharacter(character);
        ASSERT_NE(key, kNoKeyForCharacter) << character;
        const auto code = static_cast<std::uint8_t>(key & 0xFF);
        const bool shift = (key & kShiftStateShift) != 0;
        if (shift) keys.keyDown(kHostShift);
        keys.keyDown(code, static_cast<char32_t>(character));
        keys.keyUp(code);
        if (shift) keys.keyUp(kHostShift);
    }

    // Types `text` with `delay` ms between characters while frames run in
    // real time, then lets the queue play out.
    void type(std::string_view text, double delay) {
        double now = 0;
        double nextFrame = kFrameMilliseconds;
        for (char character : text) {
            while (nextFrame <= now) {
                machine.runFrame();
                nextFrame += kFrameMilliseconds;
            }
            typeCharacter(character);
            now += delay;
        }
        for (int frame = 0; frame < 600; ++frame) machine.runFrame();
    }

    // True when some row shows the prompt, then exactly `typed`, then the
    // cursor or a blank.
    bool showsTypedLine(const std::string& typed) const {
        std::istringstream rows(screen());
        for (std::string row; std::getline(rows, row);) {
            if (row.starts_with(">" + typed + "_") || row.starts_with(">" + typed + " ")) {
                return true;
            }
        }
        return false;
    }
};

// Characters that every keyboard mode types alike: the emulated layout
// follows US positions, where Shift+2, Shift+; and Shift+' differ from the
// host's characters. Doubled letters and digits, capitals (Shift first).
const std::string kLine = "du e000 e00f Hello, World! 1100 xx yy #$% [a/b]; <1.5> ?? zz";

TEST_P(TypedKeysEndToEnd, ALineTypedWithInstantPressesArrivesExactly) {
    ASSERT_EQ(kLine.size(), 60u);
    type(kLine, 5.0);  // as `xdotool type --delay 5` types
    EXPECT_TRUE(showsTypedLine(kLine)) << screen();
}

TEST_P(TypedKeysEndToEnd, ALineTypedInOneBurstArrivesExactlyAndReturnEndsIt) {
    type(kLine, 0.0);  // every event before the first frame
    keys.keyDown(kHostReturn);
    keys.keyUp(kHostReturn);
    for (int frame = 0; frame < 60; ++frame) machine.runFrame();
    EXPECT_TRUE(showsTypedLine(kLine)) << screen();
    EXPECT_NE(screen().find("\n>_"), std::string::npos) << "one RETURN, one new prompt\n"
                                                        << screen();
}

// Keys as Joystick: a cursor key tapped between two frames steers joystick
// 1 for two frames (port FF bit 1 is right), then lets go.
TEST(TypedKeysJoystick, ATapOfACursorKeyIsSeenByTheJoystickForTwoFrames) {
    HostKeyboard keys;
    Machine machine{MachineHost{nullptr, &keys, nullptr, nullptr}};
    boot({machine}, SettingsFiles{});
    machine.config().keysasjoystickflag = true;
    machine.runFrame();
    keys.keyDown(0x27);  // cursor right
    keys.keyUp(0x27);
    std::string seen;
    for (int frame = 0; frame < 4; ++frame) {
        machine.runFrame();
        seen += (machine.readPort(0xFF) & 0x02) == 0 ? 'R' : '.';
    }
    EXPECT_EQ(seen, ".RR.") << "the scan after the first frame takes the tap";
}

INSTANTIATE_TEST_SUITE_P(BothModes, TypedKeysEndToEnd, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& mode) {
                             return mode.param ? "Emulated" : "Sensible";
                         });

}  // namespace
}  // namespace vantorel
