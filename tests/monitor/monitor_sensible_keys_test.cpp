// The monitor typed at in sensible mode: host keys give what they show on
// a US keyboard, and assigned keys give their Sorcerer key.
#include <gtest/gtest.h>

#include "input/keyboard_assignment.h"
#include "monitor/monitor_machine.h"

namespace vantorel::testing {
namespace {

constexpr std::uint8_t kHostApostrophe = 0xDE;
constexpr std::uint8_t kHostSemicolon = 0xBA;
constexpr std::uint8_t kHostEquals = 0xBB;
constexpr int kKeyIndexX = 23;  // in kEmulatedKeyNameTable

TEST(MonitorSensibleKeys, HostKeysTypeWhatTheyShowAndAssignedKeysTheirSorcererKey) {
    MonitorMachine sorcerer;
    MachineConfig& config = sorcerer.machine().config();
    config.emulatedflag = false;
    config.normalKeys[kVirtualKeyF1] = kBoardShift | kKeyIndexX;  // F1 types X
    sorcerer.hold({kVirtualKeyShift, '2'});                       // @
    sorcerer.hold({kHostApostrophe});                             // '
    sorcerer.hold({kVirtualKeyShift, kHostSemicolon});            // :
    sorcerer.hold({kVirtualKeyShift, kHostEquals});               // +
    sorcerer.hold({kVirtualKeyShift, 'H'});
    sorcerer.hold({'I'});
    sorcerer.hold({kVirtualKeyF1});
    sorcerer.hold({kVirtualKeyShift, 'A'});
    sorcerer.runFrames(10);
    EXPECT_EQ(sorcerer.lines()[3], ">@':+HiXA_");
    sorcerer.hold({kVirtualKeyBackspace});  // the _ key: the line editor deletes
    sorcerer.hold({kVirtualKeyEnter});
    sorcerer.runFrames(10);
    EXPECT_EQ(sorcerer.lines()[3], ">@':+HiX ?");
}

}  // namespace
}  // namespace vantorel::testing
