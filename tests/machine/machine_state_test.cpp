// The machine's state record: what capture and restore bring back, the
// recording cut back, a copied machine, the hardware's own copy of the RAM
// fitted, the flags that follow the deck and quick type, and looking at
// memory without touching it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "machine/machine.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

bool sameRecord(const MachineState& a, const MachineState& b) {
    return std::memcmp(&a, &b, sizeof(MachineState)) == 0;
}

// Starts the recorder and sends `value` through the UART at 1200 baud with
// unit 1's motor on; one frame later the byte is on the tape.
void sendByte(TestMachine& test, std::uint8_t value) {
    test.machine.writePort(0xFE, 0x50);
    test.machine.writePort(0xFC, value);
    test.nextFrameTime();
    test.machine.runFrame();
}

TEST(MachineStateRecord, RestoreBringsBackTheRecordAndTheInputsItNames) {
    TestMachine test;
    Machine& machine = test.machine;
    machine.writeMemory(0x0100, 0x11);
    const MachineSnapshot before = machine.capture();

    machine.writeMemory(0x0100, 0x22);
    machine.fillSlot(std::make_shared<const SlotD000>());
    ASSERT_TRUE(machine.playTapeBytes({0x01, 0x02, 0x03}));
    const std::uint8_t text[] = {'h', 'i'};
    ASSERT_EQ(machine.startQuickTypeText(text), QuickTypeResult::ok);
    MonitorRom other{};
    machine.roms().monitor = std::make_shared<const MonitorRom>(other);
    machine.config().ramexpanders = 0;
    machine.hardReset();
    test.nextFrameTime();
    machine.runFrame();
    ASSERT_FALSE(sameRecord(machine.state(), before.state));

    machine.restore(before);
    EXPECT_TRUE(sameRecord(machine.state(), before.state));
    EXPECT_EQ(machine.memory().image[0x0100], 0x11);
    EXPECT_EQ(machine.state().ramexpanders, 2) << "the RAM fitted then";
    EXPECT_EQ(machine.roms().monitor, before.inputs.roms.monitor);
    EXPECT_FALSE(machine.anySlotFilled());
    EXPECT_FALSE(machine.gameRoms().d000);
    EXPECT_FALSE(machine.tapePlaying());
    EXPECT_FALSE(machine.quickTypeActive());
    EXPECT_TRUE(machine.quickTypeText().empty());
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3) << "the boot reads come back too";
}

TEST(MachineStateRecord, InputsGoneSinceTheCaptureComeBackWithIt) {
    TestMachine test;
    Machine& machine = test.machine;
    const std::uint8_t text[] = {'a'};
    ASSERT_EQ(machine.startQuickTypeText(text), QuickTypeResult::ok);
    ASSERT_TRUE(machine.playTapeBytes({0x41}));
    machine.writePort(0xFE, 0x50);  // 1200 baud, unit 1: the tape runs out in a frame
    const MachineSnapshot typing = machine.capture();
    for (int frame = 0; frame < 40 && (machine.quickTypeActive() || machine.tapePlaying());
         ++frame) {
        test.nextFrameTime();
        machine.runFrame();
    }
    ASSERT_FALSE(machine.quickTypeActive());
    ASSERT_FALSE(machine.tapePlaying());
    EXPECT_TRUE(machine.quickTypeText().empty()) << "the text was let go";

    machine.restore(typing);
    EXPECT_TRUE(machine.quickTypeActive());
    EXPECT_TRUE(machine.tapePlaying());
    ASSERT_EQ(machine.quickTypeText().size(), 1u);
    EXPECT_EQ(machine.quickTypeText()[0], 'a');
    EXPECT_EQ(machine.quickType().textBytes(), 1u) << "the record names the text by its length";
}

TEST(MachineStateRecord, TheRecordingIsCutBackToWhatTheRecordSays) {
    TestMachine test;
    Machine& machine = test.machine;
    machine.recordTape(TapeFormat::raw);
    sendByte(test, 0x41);
    const MachineSnapshot oneByte = machine.capture();
    sendByte(test, 0x42);
    ASSERT_EQ(machine.recordedTape().bytes, (std::vector<std::uint8_t>{0x41, 0x42}));

    machine.restore(oneByte);
    EXPECT_EQ(machine.recordedTape().bytes, std::vector<std::uint8_t>{0x41});
    EXPECT_EQ(machine.recordedTape().tstates, machine.tape().recordedTStates());
    sendByte(test, 0x43);
    EXPECT_EQ(machine.recordedTape().bytes, (std::vector<std::uint8_t>{0x41, 0x43}));

    // A recording started after the capture is not the one the record names.
    machine.recordTape(TapeFormat::raw);
    sendByte(test, 0x44);
    machine.restore(oneByte);
    EXPECT_EQ(machine.recordedTape().number, machine.tape().recordingNumber());
    EXPECT_TRUE(machine.recordedTape().bytes.empty());
}

TEST(MachineStateRecord, ACopiedMachineRunsTheSameFrames) {
    TestMachine test;
    test.runFrom(0x0100, {
                             0xED, 0x5F,        // 0100 LD A,R
                             0x32, 0x80, 0xF0,  // 0102 LD (F080),A
                             0xD3, 0xFF,        // 0105 OUT (FF),A
                             0x3C,              // 0107 INC A
                             0x18, 0xF6,        // 0108 JR 0100
                         });
    Machine copy = test.machine;
    copy.attachHost(MachineHost{});
    for (int frame = 0; frame < 5; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
        copy.runFrame();  // no clock: every frame is due
    }
    EXPECT_GE(test.machine.tstateCounter(), 5u * 35106u);
    EXPECT_TRUE(sameRecord(copy.state(), test.machine.state()));
    EXPECT_EQ(copy.memory().image[0xF080], test.machine.memory().image[0xF080]);
}

TEST(MachineStateRecord, TheRamFittedIsTheMachinesOwnCopyTakenAtReset) {
    TestMachine test;
    Machine& machine = test.machine;
    machine.writeMemory(0x3000, 0x55);
    machine.config().ramexpanders = 0;
    EXPECT_EQ(machine.readMemory(0x3000), 0x55) << "the settings alone change nothing";
    machine.softReset();
    EXPECT_EQ(machine.readMemory(0x3000), 0xFF) << "8K now";
    machine.config().ramexpanders = 1;
    machine.applyHardwareSettings();
    EXPECT_EQ(machine.readMemory(0x3000), 0x55);
}

TEST(MachineStateRecord, PeekAndDisassemblyCountNoBootReads) {
    TestMachine test;
    Machine& machine = test.machine;
    machine.writeMemory(0x0000, 0x00);  // RAM under the boot reads: NOP
    EXPECT_EQ(machine.peek(0x0000), 0x00);
    EXPECT_EQ(machine.peek(0xE001), 0x10);
    std::array<char, kDisassemblyTextSize> text{};
    EXPECT_EQ(machine.disassemble(0xE000, text), 3);
    EXPECT_STREQ(text.data(), "jp   $e010");
    EXPECT_EQ(machine.disassemble(0x0000, text), 1);
    EXPECT_STREQ(text.data(), "nop");
    EXPECT_EQ(machine.memory().bootReadCounter, 0);
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3) << "the processor still boots the monitor";
    EXPECT_EQ(machine.memory().bootReadCounter, 1);
}

TEST(MachineStateRecord, TheFileFlagsFollowTheDeckAndQuickType) {
    TestMachine test;
    Machine& machine = test.machine;
    ASSERT_TRUE(machine.playTapeBytes({0x41, 0x42}));
    EXPECT_TRUE(machine.tapePlaying());
    EXPECT_TRUE(machine.tapeMoving()) << "the motors are on at power-up";
    machine.writePort(0xFE, 0x00);
    EXPECT_FALSE(machine.tapeMoving());
    machine.writePort(0xFE, 0x50);
    for (int frame = 0; frame < 10 && machine.tapePlaying(); ++frame) {
        test.nextFrameTime();
        machine.runFrame();
    }
    EXPECT_FALSE(machine.tapePlaying()) << "the tape ran to its end by itself";
    EXPECT_TRUE(machine.tape().playbackEnded());
    EXPECT_FALSE(machine.playTapeBytes({}));
    EXPECT_FALSE(machine.tapePlaying());
}

}  // namespace
}  // namespace vantorel
