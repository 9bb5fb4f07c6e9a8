// Hard and soft resets.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "machine/pseudo_random.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

class Reset : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;

    bool rangeIsZero(std::uint32_t first, std::uint32_t end) const {
        const auto& image = machine.memory().image;
        return std::all_of(image.begin() + first, image.begin() + end,
                           [](std::uint8_t byte) { return byte == 0; });
    }
};

TEST_F(Reset, HardResetClearsRamAndFillsScreenAndCharactersWithNoiseInOrder) {
    machine.memory().image.fill(0xAA);
    machine.seedRandom(1234);
    machine.hardReset();

    EXPECT_TRUE(rangeIsZero(0x0000, 0xF080)) << "all RAM below the screen, F000-F07F included";
    EXPECT_TRUE(rangeIsZero(0xF800, 0xFC00));
    PseudoRandom expected;
    expected.seed(1234);
    const auto& image = machine.memory().image;
    for (std::uint32_t address = 0xF080; address < 0xF800; ++address) {
        ASSERT_EQ(image[address], expected.next() & 0xFF) << std::hex << address;
    }
    for (std::uint32_t address = 0xFC00; address < 0x10000; ++address) {
        ASSERT_EQ(image[address], expected.next() & 0xFF) << std::hex << address;
    }
}

TEST_F(Reset, NoiseDependsOnlyOnTheSeed) {
    TestMachine other;
    machine.seedRandom(99);
    other.machine.seedRandom(99);
    machine.hardReset();
    other.machine.hardReset();
    EXPECT_EQ(machine.memory().image, other.machine.memory().image);
    other.machine.seedRandom(100);
    other.machine.hardReset();
    EXPECT_NE(machine.memory().image, other.machine.memory().image);
}

TEST_F(Reset, SoftResetKeepsMemoryAndRestartsTheProcessorAtTheMonitor) {
    test->runFrom(0x1000, {0xC3, 0x00, 0x10});  // JP 1000
    machine.runFrame();
    machine.writeMemory(0x2000, 0x5A);
    const auto before = machine.memory().image;
    ASSERT_NE(machine.tstateCounter(), 0u);

    machine.softReset();
    EXPECT_EQ(machine.memory().image, before);
    EXPECT_EQ(machine.registers().PC, 0u);
    EXPECT_EQ(machine.registers().SP, 0xF000u);
    EXPECT_EQ(machine.tstateCounter(), 0u);
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3) << "boot reads come from the monitor again";
}

TEST_F(Reset, ResetsKeepRomsSlotsAndPortsButStopTheTape) {
    MonitorRom monitor = *machine.roms().monitor;
    monitor[0x100] = 0x99;
    machine.roms().monitor = std::make_shared<const MonitorRom>(monitor);
    machine.fillSlot(std::make_shared<const SlotC000>());
    machine.writePort(0xFE, 0x03);
    machine.writePort(0xFF, 0xFF);
    ASSERT_TRUE(machine.playTapeBytes({0x55, 0xAA}));
    ASSERT_TRUE(machine.tapePlaying());

    machine.hardReset();
    EXPECT_EQ((*machine.roms().monitor)[0x100], 0x99);
    EXPECT_TRUE(machine.gameRoms().c000);
    EXPECT_TRUE(machine.memory().filledSlots & kSlotC000Filled);
    EXPECT_EQ(machine.ports().keyboardLatch, 0x03);
    EXPECT_EQ(machine.ports().speakerLevel, 1);
    EXPECT_EQ(machine.ports().lastParallelValue, 0xFF);
    EXPECT_FALSE(machine.tapePlaying());

    ASSERT_TRUE(machine.playTapeBytes({0x55, 0xAA}));
    machine.softReset();
    EXPECT_FALSE(machine.tapePlaying());
}

TEST_F(Reset, HardResetClearsTheSnapshotRamFlag) {
    machine.memory().snapshotRam = true;
    machine.config().ramexpanders = 0;
    machine.softReset();
    EXPECT_TRUE(machine.memory().snapshotRam);
    machine.hardReset();
    EXPECT_FALSE(machine.memory().snapshotRam);
    machine.writeMemory(0x3000, 0x55);
    EXPECT_EQ(machine.readMemory(0x3000), 0xFF);
}

TEST(MachineStart, NoFrameRunsBeforeTheFirstReset) {
    testing::FakeClock clock;
    testing::RecordingSpeaker speaker;
    Machine machine{MachineHost{&clock, nullptr, &speaker, nullptr}};
    machine.computeTiming();
    EXPECT_FALSE(machine.running());
    EXPECT_FALSE(machine.runFrame().ran);
    EXPECT_TRUE(speaker.frameStarts.empty());
    machine.hardReset();
    EXPECT_TRUE(machine.running());
    const FrameResult frame = machine.runFrame();
    EXPECT_TRUE(frame.ran);
    EXPECT_EQ(frame.tstates.total(), machine.lastFrame().total());
    EXPECT_EQ(speaker.frameStarts.size(), 1u);
}

}  // namespace
}  // namespace vantorel
