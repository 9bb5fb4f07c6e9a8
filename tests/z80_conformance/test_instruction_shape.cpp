// The test harness's own decoding of runs: if it split a run differently
// from the core, every departure rule would be applied to the wrong bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "case_generator.h"
#include "instruction_shape.h"

namespace vantorel::conformance {
namespace {

DecodedInstruction decode(std::array<std::uint8_t, 8> bytes) {
    return decodeInstruction(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(InstructionShape, IndexPageHoldsExactly86Instructions) {
    int count = 0;
    for (int opcode = 0; opcode < 256; ++opcode) {
        if (isIndexInstruction(static_cast<std::uint8_t>(opcode))) ++count;
    }
    EXPECT_EQ(count, 86);
    EXPECT_TRUE(isIndexInstruction(0x21));
    EXPECT_TRUE(isIndexInstruction(0xCB));
    EXPECT_FALSE(isIndexInstruction(0x76));
    EXPECT_FALSE(isIndexInstruction(0xDD));
}

TEST(InstructionShape, ZeroCostEdOpcodesAreTheUndefinedOnesTrapAnd77And7F) {
    int count = 0;
    for (int opcode = 0; opcode < 256; ++opcode) {
        if (edCostsNothing(static_cast<std::uint8_t>(opcode))) ++count;
    }
    EXPECT_EQ(count, 256 - 62 - 16);  // 62 in 40-7F, 16 block instructions
    EXPECT_TRUE(edCostsNothing(0x77));
    EXPECT_TRUE(edCostsNothing(0x7F));
    EXPECT_TRUE(edCostsNothing(0xFE));
    EXPECT_TRUE(edCostsNothing(0xA4));
    EXPECT_FALSE(edCostsNothing(0x4C));
    EXPECT_FALSE(edCostsNothing(0x70));
    EXPECT_FALSE(edCostsNothing(0xBB));
}

TEST(InstructionShape, DecodesPagesAndDroppedPrefixes) {
    DecodedInstruction plain = decode({0x3E, 0x12});
    EXPECT_EQ(plain.page, Page::Base);
    EXPECT_EQ(plain.droppedPrefixes, 0);

    DecodedInstruction dropped = decode({0xDD, 0xFD, 0xDD, 0x00});
    EXPECT_EQ(dropped.page, Page::Base);
    EXPECT_EQ(dropped.opcode, 0x00);
    EXPECT_EQ(dropped.droppedPrefixes, 3);
    EXPECT_EQ(dropped.offset, 3);

    DecodedInstruction lastWins = decode({0xDD, 0xFD, 0x21, 0x34, 0x12});
    EXPECT_EQ(lastWins.page, Page::FD);
    EXPECT_EQ(lastWins.droppedPrefixes, 1);

    DecodedInstruction bitForm = decode({0xFD, 0xDD, 0xCB, 0x05, 0x46});
    EXPECT_EQ(bitForm.page, Page::DDCB);
    EXPECT_EQ(bitForm.displacement, 0x05);
    EXPECT_EQ(bitForm.opcode, 0x46);
    EXPECT_EQ(bitForm.droppedPrefixes, 1);

    DecodedInstruction edAfterIndex = decode({0xDD, 0xED, 0x44});
    EXPECT_EQ(edAfterIndex.page, Page::ED);
    EXPECT_EQ(edAfterIndex.droppedPrefixes, 1);
}

TEST(InstructionShape, LongPrefixChainStopsInsideTheBytes) {
    std::array<std::uint8_t, 8> allPrefixes;
    allPrefixes.fill(0xDD);
    DecodedInstruction decoded = decode(allPrefixes);
    EXPECT_LE(decoded.offset + 4, 8);
}

TEST(InstructionShape, RunCoversZeroCostEdAndTheInstructionAfterEi) {
    const std::array<std::uint8_t, 12> edThenNop = {0xED, 0x00, 0x00, 0x3E};
    RunShape shape = shapeOfRun(edThenNop.data(), 12, false);
    ASSERT_EQ(shape.count, 2);
    EXPECT_EQ(shape.instructions[1].offset, 2);

    const std::array<std::uint8_t, 12> eiThenIndexed = {0xDD, 0xFB, 0xFD, 0x21, 0x00, 0x00};
    shape = shapeOfRun(eiThenIndexed.data(), 12, false);
    ASSERT_EQ(shape.count, 2);
    EXPECT_EQ(shape.instructions[0].droppedPrefixes, 1);
    EXPECT_EQ(shape.instructions[1].page, Page::FD);
    EXPECT_EQ(shape.instructions[1].offset, 2);

    EXPECT_EQ(shapeOfRun(eiThenIndexed.data(), 12, true).count, 1);
}

TEST(CaseGenerator, SameSeedGivesSameCasesAndRunsAreComplete) {
    CaseGenerator first(42);
    CaseGenerator second(42);
    for (int index = 0; index < 2000; ++index) {
        const ConformanceCase a = first.next();
        const ConformanceCase b = second.next();
        ASSERT_EQ(a.bytes, b.bytes);
        ASSERT_EQ(a.start, b.start);
        const RunShape shape = a.shape();
        const DecodedInstruction& last =
            shape.instructions[static_cast<std::size_t>(shape.count - 1)];
        // The last instruction of a run always costs cycles, so a budget of 1
        // ends the run there.
        EXPECT_FALSE(isZeroCostEd(last));
        if (shape.count == 2) {
            EXPECT_EQ(last.droppedPrefixes, 0);
        }
    }
}

}  // namespace
}  // namespace vantorel::conformance
