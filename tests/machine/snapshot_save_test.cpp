// Save .SNP: the header and the 64K it writes, the file replaced in one
// step, and the round trip: a machine loaded from a snapshot runs on exactly
// as the machine that saved it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "machine/machine_files.h"
#include "machine/snapshot_header.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TempFolder;
using testing::TestMachine;

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(SnapshotHeader, EveryRegisterGoesToItsOffsetAndReadsBack) {
    Z80State state;
    state.I = 0x3F;
    state.altHL = 0x1122;
    state.altDE = 0x3344;
    state.altBC = 0x5566;
    state.altAF = 0x7788;
    state.HL = 0x99AA;
    state.DE = 0xBBCC;
    state.BC = 0xDDEE;
    state.IX = 0x0102;
    state.IY = 0x0304;
    state.IFF1 = 1;
    state.IFF2 = 0;
    state.R = 0x1234 + 0x7F;  // a long-running count: only the low 7 bits are seen
    state.rBit7 = 0x80;
    state.AF = 0x0506;
    state.SP = 0x0708;
    state.IM = 2;
    state.PC = 0xE00A;
    const auto header = makeSnapshotHeader(state);
    EXPECT_EQ(header[0], 0x3F);
    EXPECT_EQ(header[1], 0x22);  // HL' low byte first
    EXPECT_EQ(header[2], 0x11);
    EXPECT_EQ(header[7], 0x88);  // AF'
    EXPECT_EQ(header[8], 0x77);
    EXPECT_EQ(header[19], 0x02);  // IFF1 in bit 1, IFF2 in bit 2
    EXPECT_EQ(header[20], ((0x1234 + 0x7F) & 0x7F) | 0x80);
    EXPECT_EQ(header[25], 2);
    EXPECT_EQ(header[26], 0x0A);
    EXPECT_EQ(header[27], 0xE0);

    Z80State loaded;
    applySnapshotHeader(header, loaded);
    EXPECT_EQ(loaded.altHL, state.altHL);
    EXPECT_EQ(loaded.altDE, state.altDE);
    EXPECT_EQ(loaded.altBC, state.altBC);
    EXPECT_EQ(loaded.altAF, state.altAF);
    EXPECT_EQ(loaded.HL, state.HL);
    EXPECT_EQ(loaded.DE, state.DE);
    EXPECT_EQ(loaded.BC, state.BC);
    EXPECT_EQ(loaded.IX, state.IX);
    EXPECT_EQ(loaded.IY, state.IY);
    EXPECT_EQ(loaded.AF, state.AF);
    EXPECT_EQ(loaded.SP, state.SP);
    EXPECT_EQ(loaded.PC, state.PC);
    EXPECT_EQ(loaded.I, state.I);
    EXPECT_EQ(loaded.IM, state.IM);
    EXPECT_EQ(loaded.IFF1, 1u);
    EXPECT_EQ(loaded.IFF2, 0u);
    EXPECT_EQ(loaded.R & 0x7F, state.R & 0x7F);
}

TEST(SnapshotMemory, HoldsWhatTheProcessorReadsWithRomsAndSlot) {
    TestMachine test;
    Machine& machine = test.machine;
    machine.config().ramexpanders = 0;  // 8K: 2000-BFFF read FF
    machine.applyHardwareSettings();
    auto& memory = machine.memory();
    memory.image[0x1FFF] = 0x11;
    memory.image[0x2000] = 0x22;  // under no fitted RAM
    memory.image[0xE000] = 0x33;  // hidden by the monitor ROM
    memory.image[0xF080] = 0x44;
    memory.image[0xFC00] = 0x55;
    auto slot = std::make_shared<SlotD000>();
    slot->fill(0x66);
    machine.fillSlot(std::shared_ptr<const SlotD000>(slot));
    const auto bytes = snapshotMemory(machine);
    EXPECT_EQ(bytes[0x1FFF], 0x11);
    EXPECT_EQ(bytes[0x2000], 0xFF);
    EXPECT_EQ(bytes[0xBFFF], 0xFF);
    EXPECT_EQ(bytes[0xC000], 0xFF);  // a D000 ROM leaves C000-CFFF empty
    EXPECT_EQ(bytes[0xD000], 0x66);
    EXPECT_EQ(bytes[0xE000], (*machine.roms().monitor)[0]);
    EXPECT_EQ(bytes[0xEFFF], (*machine.roms().monitor)[0xFFF]);
    EXPECT_EQ(bytes[0xF080], 0x44);
    EXPECT_EQ(bytes[0xF800], (*machine.roms().characters)[0]);
    EXPECT_EQ(bytes[0xFC00], 0x55);
    // Composing the image is not a read: the boot reads are still to come.
    machine.hardReset();
    snapshotMemory(machine);
    EXPECT_EQ(memory.bootReadCounter, 0);
}

TEST(SnapshotSave, WritesTheWholeFileAndReplacesAnOldOneInOneStep) {
    TestMachine test;
    TempFolder folder;
    const auto path = folder / "state.snp";
    std::ofstream(path) << "an older file";
    ASSERT_TRUE(saveSnapshot(test.machine, path).ok());
    const auto bytes = readFile(path);
    ASSERT_EQ(bytes.size(), kSnapshotFileBytes);
    const auto memory = snapshotMemory(test.machine);
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), bytes.begin() + 28));
    // Nothing but the snapshot is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    const FileResult missing = saveSnapshot(test.machine, folder / "no-such-folder" / "x.snp");
    EXPECT_EQ(missing.status, FileStatus::writeFailed);
    EXPECT_FALSE(missing.message.empty());
}

// A program that keeps the whole screen changing with values that depend on
// R, the stack, the alternate registers and a routine in a game ROM at D000.
void startScreenProgram(TestMachine& test) {
    auto rom = std::make_shared<SlotD000>();
    rom->fill(0xFF);
    (*rom)[0] = 0x3C;  // D000: INC A
    (*rom)[1] = 0xC9;  //       RET
    test.machine.fillSlot(std::shared_ptr<const SlotD000>(rom));
    test.runFrom(0x0100, {
                             0x31, 0x00, 0x10,  // 0100 LD SP,1000
                             0x21, 0x80, 0xF0,  // 0103 LD HL,F080
                             0xED, 0x5F,        // 0106 LD A,R
                             0xCD, 0x00, 0xD0,  // 0108 CALL D000
                             0x77,              // 010B LD (HL),A
                             0x23,              // 010C INC HL
                             0x7C,              // 010D LD A,H
                             0xFE, 0xF8,        // 010E CP F8
                             0x20, 0xF4,        // 0110 JR NZ,0106
                             0xD9,              // 0112 EXX
                             0x03,              // 0113 INC BC
                             0xD9,              // 0114 EXX
                             0x18, 0xEC,        // 0115 JR 0103
                         });
}

// What each frame leaves behind: the screen and the T-states it ran.
struct FrameRecord {
    std::vector<std::uint8_t> screen;
    std::uint32_t tstatesSinceStart;
    friend bool operator==(const FrameRecord&, const FrameRecord&) = default;
};

std::vector<FrameRecord> runAndRecord(TestMachine& test, int frames) {
    std::vector<FrameRecord> records;
    const std::uint32_t start = test.machine.tstateCounter();
    for (int frame = 0; frame < frames; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
        const auto& image = test.machine.memory().image;
        records.push_back({{image.begin() + 0xF080, image.begin() + 0xF800},
                           test.machine.tstateCounter() - start});
    }
    return records;
}

void expectSameRegisters(const Z80State& a, const Z80State& b) {
    EXPECT_EQ(a.AF, b.AF);
    EXPECT_EQ(a.BC, b.BC);
    EXPECT_EQ(a.DE, b.DE);
    EXPECT_EQ(a.HL, b.HL);
    EXPECT_EQ(a.altBC, b.altBC);
    EXPECT_EQ(a.SP, b.SP);
    EXPECT_EQ(a.PC, b.PC);
    EXPECT_EQ(a.R & 0x7F, b.R & 0x7F);
}

TEST(SnapshotRoundTrip, LoadedMachineRunsOnFrameForFrameAsTheOneThatSavedIt) {
    TempFolder folder;
    for (const int savedAfterFrames : {1, 37, 120}) {
        SCOPED_TRACE(savedAfterFrames);
        TestMachine original;
        startScreenProgram(original);
        runAndRecord(original, savedAfterFrames);
        const auto path = folder / "round.snp";
        ASSERT_TRUE(saveSnapshot(original.machine, path).ok());
        const Z80State saved = original.machine.registers();
        const auto savedMemory = snapshotMemory(original.machine);
        const std::uint32_t savedTStates = original.machine.tstateCounter();
        const auto expected = runAndRecord(original, 300);

        // Another machine, with other RAM contents and no game ROM.
        TestMachine other;
        other.machine.seedRandom(12345);
        other.machine.hardReset();
        ASSERT_TRUE(loadSnapshot(other.machine, path).ok());
        expectSameRegisters(other.machine.registers(), saved);
        EXPECT_TRUE(snapshotMemory(other.machine) == savedMemory);  // reads as it did
        EXPECT_TRUE(runAndRecord(other, 300) == expected);

        // The machine that saved it, sent back to that moment.
        ASSERT_TRUE(loadSnapshot(original.machine, path).ok());
        EXPECT_NE(original.machine.tstateCounter(), savedTStates);  // loading keeps the count
        EXPECT_TRUE(runAndRecord(original, 300) == expected);
        expectSameRegisters(original.machine.registers(), other.machine.registers());
    }
}

}  // namespace
}  // namespace vantorel
