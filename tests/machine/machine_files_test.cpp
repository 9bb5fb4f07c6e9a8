// Game ROM, snapshot and RAM image files.
#include "machine/machine_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "files/write_faults.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::SnapshotBuilder;
using testing::TempFolder;
using testing::TestMachine;

std::vector<std::uint8_t> counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class MachineFiles : public ::testing::Test {
  protected:
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();
    Machine& machine = test->machine;
    TempFolder folder;

    std::filesystem::path romFile(std::size_t size, const std::string& name = "game.rom") {
        const auto path = folder / name;
        SnapshotBuilder::writeFile(path, counting(size));
        return path;
    }
};

TEST_F(MachineFiles, SmallRomGoesToD000WithFFAfterIt) {
    const FileResult result = loadGameRom(machine, romFile(2048));
    ASSERT_TRUE(result.ok()) << result.message;
    const auto bytes = counting(2048);
    EXPECT_EQ(machine.readMemory(0xD000), bytes[0]);
    EXPECT_EQ(machine.readMemory(0xD7FF), bytes[2047]);
    EXPECT_EQ(machine.readMemory(0xD800), 0xFF);
    EXPECT_EQ(machine.readMemory(0xDFFF), 0xFF);
    EXPECT_TRUE(machine.gameRoms().d000);
    EXPECT_FALSE(machine.gameRoms().c000 || machine.gameRoms().a000);
    EXPECT_EQ(machine.memory().filledSlots, kSlotD000Filled) << "the record names the slot";
}

TEST_F(MachineFiles, SizeChoosesTheSlot) {
    struct Case {
        std::size_t size;
        std::uint16_t start;
    };
    for (const Case c : {Case{1, 0xD000}, Case{4096, 0xD000}, Case{4097, 0xC000},
                         Case{8192, 0xC000}, Case{8193, 0xA000}, Case{16384, 0xA000}}) {
        ASSERT_TRUE(loadGameRom(machine, romFile(c.size)).ok()) << c.size;
        const auto bytes = counting(c.size);
        EXPECT_EQ(machine.readMemory(c.start), bytes[0]) << c.size;
        EXPECT_EQ(machine.readMemory(static_cast<std::uint16_t>(c.start + c.size - 1)),
                  bytes.back())
            << c.size;
        EXPECT_EQ(machine.gameRoms().d000 != nullptr, c.start == 0xD000);
        EXPECT_EQ(machine.gameRoms().c000 != nullptr, c.start == 0xC000);
        EXPECT_EQ(machine.gameRoms().a000 != nullptr, c.start == 0xA000);
    }
}

TEST_F(MachineFiles, WrongSizedRomIsRefusedAndTheOldOneStays) {
    ASSERT_TRUE(loadGameRom(machine, romFile(100)).ok());
    for (std::size_t size : {std::size_t{0}, std::size_t{16385}, std::size_t{1} << 20}) {
        const FileResult result = loadGameRom(machine, romFile(size, "bad.rom"));
        EXPECT_EQ(result.status, FileStatus::wrongSize) << size;
        EXPECT_TRUE(result.fileOpened());
        EXPECT_NE(result.message.find(std::to_string(size)), std::string::npos) << result.message;
        EXPECT_EQ(machine.readMemory(0xD000), counting(1)[0]);
    }
}

TEST_F(MachineFiles, MissingFileOrFolderCannotBeOpened) {
    ASSERT_TRUE(loadGameRom(machine, romFile(100)).ok());
    FileResult result = loadGameRom(machine, folder / "absent.rom");
    EXPECT_EQ(result.status, FileStatus::cannotOpen);
    EXPECT_FALSE(result.fileOpened());
    EXPECT_EQ(loadGameRom(machine, folder.path()).status, FileStatus::cannotOpen);
    EXPECT_EQ(loadSnapshot(machine, folder / "absent.snp").status, FileStatus::cannotOpen);
    EXPECT_TRUE(machine.gameRoms().d000) << "nothing changed";
}

TEST_F(MachineFiles, NothingLoadsWhileATapeOrQuickTypeFeedsTheMachine) {
    const auto rom = romFile(100);
    SnapshotBuilder snapshot;
    snapshot.write(folder / "s.snp");
    ASSERT_TRUE(machine.playTapeBytes({0x12, 0x34}));
    EXPECT_EQ(loadGameRom(machine, rom).status, FileStatus::busy);
    EXPECT_EQ(loadSnapshot(machine, folder / "s.snp").status, FileStatus::busy);
    machine.stopCassette();
    const std::uint8_t text[] = {'a'};
    ASSERT_EQ(machine.startQuickTypeText(text), QuickTypeResult::ok);
    EXPECT_EQ(loadGameRom(machine, rom).status, FileStatus::busy);
    EXPECT_FALSE(machine.anySlotFilled());
    EXPECT_FALSE(machine.memory().snapshotRam);
}

TEST_F(MachineFiles, RemovingTheRomUnderTheRunningProgramHardResets) {
    machine.config().ramexpanders = 3;
    machine.applyHardwareSettings();
    test->runFrom(0xA100, {0xC3, 0x00, 0xA1});  // JP A100 in RAM
    machine.writeMemory(0x0100, 0x5A);
    machine.runFrame();
    ASSERT_EQ(machine.lastOpcodeAddress(), 0xA100);
    removeGameRom(machine);
    EXPECT_EQ(machine.memory().image[0x0100], 0x00) << "RAM was cleared";
    EXPECT_EQ(machine.registers().PC, 0u);
}

TEST_F(MachineFiles, LoadingARomWhileTheMonitorRunsDoesNotReset) {
    machine.writeMemory(0x0100, 0x5A);
    machine.runFrame();  // the test monitor spins at E010
    ASSERT_EQ(machine.lastOpcodeAddress(), 0xE010);
    ASSERT_TRUE(loadGameRom(machine, romFile(100)).ok());
    removeGameRom(machine);
    EXPECT_EQ(machine.memory().image[0x0100], 0x5A);
    EXPECT_FALSE(machine.anySlotFilled());
}

TEST_F(MachineFiles, SnapshotOfTheWrongSizeIsIgnored) {
    ASSERT_TRUE(loadGameRom(machine, romFile(100)).ok());
    for (std::size_t size : {65563u, 65565u}) {
        std::vector<std::uint8_t> bytes(size, 0x11);
        SnapshotBuilder::writeFile(folder / "bad.snp", bytes);
        EXPECT_EQ(loadSnapshot(machine, folder / "bad.snp").status, FileStatus::wrongSize);
    }
    EXPECT_TRUE(machine.gameRoms().d000) << "the game ROM stays";
    EXPECT_FALSE(machine.memory().snapshotRam);
}

TEST_F(MachineFiles, SnapshotHeaderFieldsLandInTheirRegisters) {
    Z80State before = machine.registers();
    before.halted = 1;
    before.rBit7 = 0x80;
    before.irqVector = 0x38;
    before.nmiPending = 1;
    machine.setRegisters(before);

    SnapshotBuilder snapshot;
    snapshot.i(0x3F)
        .altHL(0x0102)
        .altDE(0x0304)
        .altBC(0x0506)
        .altAF(0x0708)
        .hl(0x090A)
        .de(0x0B0C)
        .bc(0x0D0E)
        .ix(0x0F10)
        .iy(0x1112)
        .flipFlops(0xF9)
        .r(0x93)
        .af(0x1314)
        .sp(0x1516)
        .im(1)
        .pc(0x1718);
    snapshot.write(folder / "regs.snp");
    ASSERT_TRUE(loadSnapshot(machine, folder / "regs.snp").ok());

    const Z80State after = machine.registers();
    EXPECT_EQ(after.I, 0x3Fu);
    EXPECT_EQ(after.altHL, 0x0102u);
    EXPECT_EQ(after.altDE, 0x0304u);
    EXPECT_EQ(after.altBC, 0x0506u);
    EXPECT_EQ(after.altAF, 0x0708u);
    EXPECT_EQ(after.HL, 0x090Au);
    EXPECT_EQ(after.DE, 0x0B0Cu);
    EXPECT_EQ(after.BC, 0x0D0Eu);
    EXPECT_EQ(after.IX, 0x0F10u);
    EXPECT_EQ(after.IY, 0x1112u);
    EXPECT_EQ(after.IFF1, 0u) << "F9: bit 1 clear";
    EXPECT_EQ(after.IFF2, 0u) << "F9: bit 2 clear";
    EXPECT_EQ(after.R, 0x93u);
    EXPECT_EQ(after.AF, 0x1314u);
    EXPECT_EQ(after.SP, 0x1516u);
    EXPECT_EQ(after.IM, 1u);
    EXPECT_EQ(after.PC, 0x1718u);
    EXPECT_EQ(after.halted, 1u) << "fields the header lacks keep their values";
    EXPECT_EQ(after.rBit7, 0x80u);
    EXPECT_EQ(after.irqVector, 0x38u);
    EXPECT_EQ(after.nmiPending, 1u);
}

TEST_F(MachineFiles, SnapshotFlipFlopsAndInterruptModeDecode) {
    struct Case {
        std::uint8_t flipFlops, im;
        std::uint32_t iff1, iff2, mode;
    };
    for (const Case c : {Case{0x02, 0, 1, 0, 0}, Case{0x04, 2, 0, 1, 2}, Case{0x06, 7, 1, 1, 2},
                         Case{0xFF, 0xFF, 1, 1, 2}}) {
        SnapshotBuilder snapshot;
        snapshot.flipFlops(c.flipFlops).im(c.im);
        snapshot.write(folder / "ff.snp");
        ASSERT_TRUE(loadSnapshot(machine, folder / "ff.snp").ok());
        const Z80State state = machine.registers();
        EXPECT_EQ(state.IFF1, c.iff1) << int{c.flipFlops};
        EXPECT_EQ(state.IFF2, c.iff2) << int{c.flipFlops};
        EXPECT_EQ(state.IM, c.mode) << int{c.im};
    }
}

TEST_F(MachineFiles, SnapshotReplacesMemoryRomsAndC000AndContinuesAtItsPc) {
    machine.config().ramexpanders = 0;
    machine.applyHardwareSettings();
    ASSERT_TRUE(loadGameRom(machine, romFile(16384)).ok());
    machine.runFrame();
    const std::uint32_t tstates = machine.tstateCounter();

    SnapshotBuilder snapshot;
    for (std::size_t a = 0; a < snapshot.memory.size(); ++a) {
        snapshot.memory[a] = static_cast<std::uint8_t>(a ^ (a >> 8));
    }
    // At 3000 (RAM only thanks to the snapshot flag): LD A,42; LD (F080),A; JP 3005
    snapshot.put(0x3000, {0x3E, 0x42, 0x32, 0x80, 0xF0, 0xC3, 0x05, 0x30});
    snapshot.pc(0x3000).sp(0x2F00);
    snapshot.write(folder / "m.snp");
    ASSERT_TRUE(loadSnapshot(machine, folder / "m.snp").ok());

    const MachineMemory& memory = machine.memory();
    EXPECT_TRUE(std::equal(memory.image.begin(), memory.image.end(), snapshot.memory.begin()));
    const MachineRoms& roms = machine.roms();
    EXPECT_TRUE(
        std::equal(roms.monitor->begin(), roms.monitor->end(), snapshot.memory.begin() + 0xE000));
    EXPECT_TRUE(std::equal(roms.characters->begin(), roms.characters->end(),
                           snapshot.memory.begin() + 0xF800));
    ASSERT_TRUE(machine.gameRoms().c000);
    EXPECT_FALSE(machine.gameRoms().a000) << "the game ROM was removed";
    EXPECT_EQ(memory.filledSlots, kSlotC000Filled);
    EXPECT_EQ(machine.readMemory(0xC123), snapshot.memory[0xC123]);
    EXPECT_EQ(machine.readMemory(0x8000), snapshot.memory[0x8000]) << "snapshot RAM flag";
    EXPECT_EQ(machine.tstateCounter(), tstates) << "no reset";

    test->nextFrameTime();
    machine.runFrame();
    EXPECT_EQ(machine.memory().image[0xF080], 0x42);
}

TEST_F(MachineFiles, HardResetAfterASnapshotKeepsItsRomsAndC000) {
    machine.config().ramexpanders = 0;
    SnapshotBuilder snapshot;
    snapshot.put(0xC000, {0xAB});
    snapshot.put(0xDFFF, {0xCD});
    snapshot.put(0xE000, {0xC3, 0x05, 0xE0});
    snapshot.put(0x3000, {0x77});
    snapshot.write(folder / "k.snp");
    ASSERT_TRUE(loadSnapshot(machine, folder / "k.snp").ok());

    machine.hardReset();
    EXPECT_EQ(machine.readMemory(0xC000), 0xAB);
    EXPECT_EQ(machine.readMemory(0xDFFF), 0xCD);
    EXPECT_EQ((*machine.roms().monitor)[1], 0x05) << "the snapshot's monitor stays";
    EXPECT_EQ(machine.readMemory(0x3000), 0xFF) << "back to 8K of RAM";
    EXPECT_EQ(machine.memory().image[0x3000], 0x00);
    removeGameRom(machine);
    EXPECT_EQ(machine.readMemory(0xC000), 0xFF);
}

TEST_F(MachineFiles, SaveRamWritesTheStoredImage) {
    machine.writeMemory(0x1234, 0x56);
    machine.writeMemory(0xE100, 0x99);  // ignored: ROM
    ASSERT_TRUE(loadGameRom(machine, romFile(100)).ok());
    const auto path = folder / "ram.bin";
    ASSERT_TRUE(saveRam(machine, path).ok());
    const auto bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 65536u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), machine.memory().image.begin()));
    EXPECT_EQ(bytes[0x1234], 0x56);
    EXPECT_EQ(bytes[0xE000], 0x00) << "the image, not the monitor ROM";
    EXPECT_EQ(bytes[0xE100], 0x00);
    EXPECT_EQ(bytes[0xD000], 0x00) << "game ROM contents do not appear";

    SnapshotBuilder::writeFile(path, std::vector<std::uint8_t>(100000, 0xEE));
    ASSERT_TRUE(saveRam(machine, path).ok());
    EXPECT_EQ(readFile(path).size(), 65536u) << "an older, longer file is replaced";
}

TEST_F(MachineFiles, SaveRamReportsAFileItCannotCreate) {
    const FileResult result = saveRam(machine, folder / "no-such-folder" / "ram.bin");
    EXPECT_EQ(result.status, FileStatus::cannotOpen);
    EXPECT_FALSE(result.message.empty());
}

// The new file could not be made, or it was made and then a step failed.
TEST_F(MachineFiles, SaveRamTellsAFileNotMadeFromOneNotWritten) {
    for (const WriteStep step : kWriteSteps) {
        FailingStep fault{step};
        ScopedWriteFaults installed{fault};
        const FileResult result = saveRam(machine, folder / "ram.bin");
        EXPECT_EQ(result.status,
                  step == WriteStep::create ? FileStatus::cannotOpen : FileStatus::writeFailed)
            << writeStepName(step);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "ram.bin"));
}

TEST(DirectoryOfPath, KeepsTheFolderWithItsTrailingSeparator) {
    EXPECT_EQ(directoryOfPath("/home/user/roms/game.rom"), "/home/user/roms/");
    EXPECT_EQ(directoryOfPath("/game.rom"), "/");
    EXPECT_EQ(directoryOfPath("roms/game.rom"), "roms/");
    EXPECT_EQ(directoryOfPath("game.rom"), "");
    EXPECT_EQ(directoryOfPath("/home/user/"), "/home/user/");
    EXPECT_EQ(directoryOfPath(""), "");
}

}  // namespace
}  // namespace vantorel
