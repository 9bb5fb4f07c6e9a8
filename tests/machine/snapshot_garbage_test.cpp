// Snapshots of the right size but with random contents: any header (wild
// register values, flip-flop bytes, interrupt modes) and any memory must load
// and then run frame after frame without the machine misbehaving, in the
// sanitizer build as in the optimised one.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "machine/machine_files.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::TempFolder;
using testing::TestMachine;

constexpr std::size_t kSnapshotBytes = 65564;

std::vector<std::uint8_t> randomBytes(std::mt19937& random, std::size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(byte(random));
    return bytes;
}

TEST(SnapshotGarbage, RandomSnapshotsLoadAndRunWithRegistersInRange) {
    std::mt19937 random(1978);
    TempFolder folder;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto test = std::make_unique<TestMachine>();
        Machine& machine = test->machine;
        const auto path = folder / "random.snp";
        testing::SnapshotBuilder::writeFile(path, randomBytes(random, kSnapshotBytes));

        ASSERT_TRUE(loadSnapshot(machine, path).ok());
        for (int frame = 0; frame < 20; ++frame) {
            test->nextFrameTime();
            machine.runFrame();
        }
        const Z80State registers = machine.registers();
        for (std::uint32_t pair :
             {registers.AF, registers.BC, registers.DE, registers.HL, registers.IX, registers.IY,
              registers.PC, registers.SP, registers.altAF, registers.altBC, registers.altDE,
              registers.altHL}) {
            EXPECT_LE(pair, 0xFFFFu);
        }
        EXPECT_LE(registers.IFF1, 1u);
        EXPECT_LE(registers.IFF2, 1u);
        EXPECT_LE(registers.IM, 2u);
        EXPECT_LE(registers.I, 0xFFu);

        // Whatever ran, the machine comes back to a clean state on a hard reset.
        machine.hardReset();
        EXPECT_EQ(machine.registers().PC, 0u);
        EXPECT_EQ(machine.tstateCounter(), 0u);
    }
}

}  // namespace
}  // namespace vantorel
