// The Sorcerer's address space as the processor sees it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TestMachine;

class MemoryMap : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
};

TEST_F(MemoryMap, FirstThreeReadsOfLowAddressesComeFromTheMonitor) {
    EXPECT_EQ(machine.fetchOpcode(0x0000), 0xC3);
    EXPECT_EQ(machine.fetchOpcode(0x0001), 0x10);
    EXPECT_EQ(machine.readMemory(0x0002), 0xE0);
    EXPECT_EQ(machine.readMemory(0x0000), 0x00) << "the fourth read is RAM (0 after a hard reset)";
}

TEST_F(MemoryMap, BootReadCounterCountsOnlyReadsOfTheFirstThreeAddresses) {
    machine.writeMemory(0x0005, 0x77);
    machine.writeMemory(0x0000, 0x11);
    EXPECT_EQ(machine.readMemory(0x0005), 0x77);
    EXPECT_EQ(machine.readMemory(0x0003), 0x00);
    EXPECT_EQ(machine.memory().bootReadCounter, 0);
    // The same address read three times still counts three.
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3);
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3);
    EXPECT_EQ(machine.readMemory(0x0000), 0xC3);
    EXPECT_EQ(machine.readMemory(0x0000), 0x11);
    EXPECT_EQ(machine.memory().bootReadCounter, 3);
}

TEST_F(MemoryMap, WritesToLowAddressesLandInRamWhileTheMonitorIsServed) {
    machine.writeMemory(0x0001, 0x99);
    EXPECT_EQ(machine.readMemory(0x0001), 0x10);  // monitor byte 1
    EXPECT_EQ(machine.memory().image[0x0001], 0x99);
}

struct RamCase {
    std::uint16_t address;
    std::int32_t ramexpanders;
    bool readsBack;
};

TEST_F(MemoryMap, InstalledRamReadsBackAndEverythingAboveReadsFF) {
    const RamCase cases[] = {
        {0x1FFF, 0, true},  {0x2000, 0, false},  {0x3000, 0, false}, {0xBBFF, 0, false},
        {0x2000, 1, true},  {0x3FFF, 1, true},   {0x4000, 1, false}, {0x7FFF, 1, false},
        {0x4000, 2, true},  {0x7FFF, 2, true},   {0x8000, 2, false}, {0x9FFF, 2, false},
        {0x8000, 3, true},  {0xA000, 3, true},   {0xBBFF, 3, true},  {0xBC00, 3, false},
        {0xBFFF, 3, false}, {0xC000, 3, false},  {0xDFFF, 3, false}, {0x2000, 7, false},
        {0x1000, -1, true}, {0x2000, -1, false},
    };
    for (const RamCase& c : cases) {
        machine.config().ramexpanders = c.ramexpanders;
        machine.applyHardwareSettings();
        machine.writeMemory(c.address, 0x55);
        EXPECT_EQ(machine.readMemory(c.address), c.readsBack ? 0x55 : 0xFF)
            << std::hex << c.address << " with ramexpanders " << std::dec << c.ramexpanders;
        EXPECT_EQ(machine.memory().image[c.address], 0x55) << "every write lands in the image";
    }
}

TEST_F(MemoryMap, RomsIgnoreWritesAndScreenAndCharacterRamKeepThem) {
    machine.writeMemory(0xE123, 0x42);
    machine.writeMemory(0xF900, 0x42);
    EXPECT_EQ(machine.readMemory(0xE123), test->roms.monitor[0x123]);
    EXPECT_EQ(machine.readMemory(0xF900), test->roms.characters[0x100]);
    EXPECT_EQ(machine.memory().image[0xE123], 0x00);
    EXPECT_EQ(machine.memory().image[0xF900], 0x00);
    for (const int address : {0xF000, 0xF07F, 0xF080, 0xF7FF, 0xFC00, 0xFFFF}) {
        machine.writeMemory(static_cast<std::uint16_t>(address), 0x3C);
        EXPECT_EQ(machine.readMemory(static_cast<std::uint16_t>(address)), 0x3C)
            << std::hex << address;
    }
}

TEST_F(MemoryMap, MonitorAndCharacterRomsFillTheirWindows) {
    EXPECT_EQ(machine.readMemory(0xE000), 0xC3);
    EXPECT_EQ(machine.readMemory(0xEFFF), test->roms.monitor[0xFFF]);
    EXPECT_EQ(machine.readMemory(0xF800), 0x01);
    EXPECT_EQ(machine.readMemory(0xFBFF), 0x00);  // character byte 3FF holds (3FF + 1) & FF
}

TEST_F(MemoryMap, GameRomSlotsCoverTheirWindowsAndTakePrecedenceOverRam) {
    machine.config().ramexpanders = 3;
    machine.applyHardwareSettings();
    machine.writeMemory(0xA000, 0x11);
    machine.writeMemory(0xC000, 0x11);
    auto slot = std::make_shared<SlotD000>();
    slot->fill(0xD0);
    machine.fillSlot(std::shared_ptr<const SlotD000>(slot));
    EXPECT_EQ(machine.readMemory(0xA000), 0x11);
    EXPECT_EQ(machine.readMemory(0xC000), 0xFF) << "a 4K ROM leaves C000-CFFF unmapped";
    EXPECT_EQ(machine.readMemory(0xD000), 0xD0);
    EXPECT_EQ(machine.readMemory(0xDFFF), 0xD0);

    auto big = std::make_shared<SlotA000>();
    for (std::size_t i = 0; i < big->size(); ++i) (*big)[i] = static_cast<std::uint8_t>(i >> 8);
    machine.fillSlot(std::shared_ptr<const SlotA000>(big));
    EXPECT_EQ(machine.readMemory(0xA000), 0x00) << "the A000 slot hides RAM";
    EXPECT_EQ(machine.readMemory(0xBC00), 0x1C);
    EXPECT_EQ(machine.readMemory(0xD000), 0x30) << "the A000 slot wins over the D000 slot";
    EXPECT_EQ(machine.readMemory(0x9FFF), 0x00) << "RAM below A000 is unaffected";

    machine.emptySlots();
    EXPECT_EQ(machine.readMemory(0xA000), 0x11) << "RAM written under the ROM shows again";
    EXPECT_FALSE(machine.anySlotFilled());
}

TEST_F(MemoryMap, SnapshotRamFlagMapsRamUpToBBFFWhateverIsFitted) {
    machine.config().ramexpanders = 0;
    machine.applyHardwareSettings();
    machine.memory().snapshotRam = true;
    machine.writeMemory(0x3000, 0x55);
    machine.writeMemory(0xBBFF, 0x66);
    machine.writeMemory(0xBC00, 0x77);
    EXPECT_EQ(machine.readMemory(0x3000), 0x55);
    EXPECT_EQ(machine.readMemory(0xBBFF), 0x66);
    EXPECT_EQ(machine.readMemory(0xBC00), 0xFF);
}

}  // namespace
}  // namespace vantorel
