// Every documented instruction costs Zilog's documented T-states (taken and
// not-taken for the conditional ones, repeating and last iteration for the
// block instructions). The expected counts below are Zilog's, by instruction
// group, independent of the core's own cycle tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "z80_test_support.h"

namespace vantorel::test {

namespace {

struct TimingCase {
    std::vector<std::uint8_t> bytes;
    std::int32_t tstates;
    std::uint32_t f = 0;        // flags before the instruction
    std::uint32_t bc = 0x0202;  // B and C before (DJNZ, block repeat counts)
};

// Flags that make condition cc (NZ Z NC C PO PE P M) true or false.
std::uint32_t conditionFlags(unsigned cc, bool met) {
    const std::uint32_t masks[4] = {kFlagZ, kFlagC, kFlagPV, kFlagS};
    const std::uint32_t mask = masks[cc / 2];
    const bool setMeetsIt = (cc % 2) == 1;
    return setMeetsIt == met ? mask : 0;
}

std::vector<TimingCase> documentedTimings() {
    std::vector<TimingCase> cases;
    auto add = [&](std::vector<std::uint8_t> bytes, std::int32_t tstates, std::uint32_t f = 0,
                   std::uint32_t bc = 0x0202) {
        cases.push_back({bytes, tstates, f, bc});
    };
    using Byte = std::uint8_t;
    auto b = [](unsigned v) { return static_cast<Byte>(v); };
    const unsigned r8[] = {0, 1, 2, 3, 4, 5, 7};  // B C D E H L A

    // 8-bit loads.
    for (unsigned d : r8) {
        for (unsigned s : r8) add({b(0x40 | d << 3 | s)}, 4);  // LD r,r'
        add({b(0x06 | d << 3), 0x12}, 7);                      // LD r,n
        add({b(0x46 | d << 3)}, 7);                            // LD r,(HL)
        add({b(0x70 | d)}, 7);                                 // LD (HL),r
        for (unsigned prefix : {0xDD, 0xFD}) {
            add({b(prefix), b(0x46 | d << 3), 0x01}, 19);  // LD r,(IX+d)
            add({b(prefix), b(0x70 | d), 0x01}, 19);       // LD (IX+d),r
        }
    }
    add({0x36, 0x12}, 10);
    add({0xDD, 0x36, 0x01, 0x12}, 19);
    add({0xFD, 0x36, 0x01, 0x12}, 19);
    add({0x0A}, 7);
    add({0x1A}, 7);
    add({0x3A, 0x00, 0x50}, 13);
    add({0x02}, 7);
    add({0x12}, 7);
    add({0x32, 0x00, 0x50}, 13);
    add({0xED, 0x57}, 9);
    add({0xED, 0x5F}, 9);
    add({0xED, 0x47}, 9);
    add({0xED, 0x4F}, 9);

    // 16-bit loads, stack.
    for (unsigned p = 0; p < 4; ++p) {
        add({b(0x01 | p << 4), 0x34, 0x12}, 10);        // LD dd,nn
        add({0xED, b(0x4B | p << 4), 0x00, 0x50}, 20);  // LD dd,(nn)
        add({0xED, b(0x43 | p << 4), 0x00, 0x50}, 20);  // LD (nn),dd
        add({b(0xC5 | p << 4)}, 11);                    // PUSH qq
        add({b(0xC1 | p << 4)}, 10);                    // POP qq
    }
    add({0x2A, 0x00, 0x50}, 16);
    add({0x22, 0x00, 0x50}, 16);
    add({0xF9}, 6);
    for (unsigned prefix : {0xDD, 0xFD}) {
        add({b(prefix), 0x21, 0x34, 0x12}, 14);
        add({b(prefix), 0x2A, 0x00, 0x50}, 20);
        add({b(prefix), 0x22, 0x00, 0x50}, 20);
        add({b(prefix), 0xF9}, 10);
        add({b(prefix), 0xE5}, 15);
        add({b(prefix), 0xE1}, 14);
        add({b(prefix), 0xE3}, 23);
        add({b(prefix), 0xE9}, 8);
        add({b(prefix), 0x23}, 10);
        add({b(prefix), 0x2B}, 10);
        for (unsigned p = 0; p < 4; ++p) add({b(prefix), b(0x09 | p << 4)}, 15);  // ADD IX,pp
        add({b(prefix), 0x34, 0x01}, 23);
        add({b(prefix), 0x35, 0x01}, 23);
        for (unsigned op = 0; op < 8; ++op) add({b(prefix), b(0x86 | op << 3), 0x01}, 19);
    }

    // Exchanges and block transfers / searches.
    add({0xEB}, 4);
    add({0x08}, 4);
    add({0xD9}, 4);
    add({0xE3}, 19);
    for (unsigned op : {0xA0, 0xA1, 0xA8, 0xA9}) add({0xED, b(op)}, 16);
    for (unsigned op : {0xB0, 0xB1, 0xB8, 0xB9}) {
        add({0xED, b(op)}, 21, 0, 0x0002);  // BC not 0 afterwards: repeats
        add({0xED, b(op)}, 16, 0, 0x0001);  // last iteration
    }

    // 8-bit arithmetic and logic, INC and DEC.
    for (unsigned op = 0; op < 8; ++op) {
        for (unsigned s : r8) add({b(0x80 | op << 3 | s)}, 4);
        add({b(0x86 | op << 3)}, 7);
        add({b(0xC6 | op << 3), 0x01}, 7);
    }
    for (unsigned r : r8) {
        add({b(0x04 | r << 3)}, 4);
        add({b(0x05 | r << 3)}, 4);
    }
    add({0x34}, 11);
    add({0x35}, 11);

    // General purpose and CPU control.
    add({0x27}, 4);
    add({0x2F}, 4);
    add({0xED, 0x44}, 8);
    add({0x3F}, 4);
    add({0x37}, 4);
    add({0x00}, 4);
    add({0x76}, 4);
    add({0xF3}, 4);
    add({0xED, 0x46}, 8);
    add({0xED, 0x56}, 8);
    add({0xED, 0x5E}, 8);

    // 16-bit arithmetic.
    for (unsigned p = 0; p < 4; ++p) {
        add({b(0x09 | p << 4)}, 11);
        add({0xED, b(0x4A | p << 4)}, 15);
        add({0xED, b(0x42 | p << 4)}, 15);
        add({b(0x03 | p << 4)}, 6);
        add({b(0x0B | p << 4)}, 6);
    }

    // Rotates, shifts and bit operations.
    for (unsigned op : {0x07, 0x0F, 0x17, 0x1F}) add({b(op)}, 4);
    for (unsigned y = 0; y < 8; ++y) {
        if (y == 6) continue;  // SLL is not documented
        for (unsigned r : r8) add({0xCB, b(y << 3 | r)}, 8);
        add({0xCB, b(y << 3 | 6)}, 15);
        add({0xDD, 0xCB, 0x01, b(y << 3 | 6)}, 23);
        add({0xFD, 0xCB, 0x01, b(y << 3 | 6)}, 23);
    }
    add({0xED, 0x6F}, 18);
    add({0xED, 0x67}, 18);
    for (unsigned group = 1; group < 4; ++group) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            const unsigned base = group << 6 | bit << 3;
            for (unsigned r : r8) add({0xCB, b(base | r)}, 8);
            add({0xCB, b(base | 6)}, group == 1 ? 12 : 15);
            add({0xDD, 0xCB, 0x01, b(base | 6)}, group == 1 ? 20 : 23);
            add({0xFD, 0xCB, 0x01, b(base | 6)}, group == 1 ? 20 : 23);
        }
    }

    // Jumps, calls and returns, each condition met and not met.
    add({0xC3, 0x00, 0x20}, 10);
    add({0x18, 0x10}, 12);
    add({0xE9}, 4);
    add({0x10, 0x10}, 13, 0, 0x0200);
    add({0x10, 0x10}, 8, 0, 0x0100);
    add({0xCD, 0x00, 0x20}, 17);
    add({0xC9}, 10);
    add({0xED, 0x4D}, 14);
    add({0xED, 0x45}, 14);
    for (unsigned cc = 0; cc < 8; ++cc) {
        for (bool met : {true, false}) {
            const std::uint32_t f = conditionFlags(cc, met);
            add({b(0xC2 | cc << 3), 0x00, 0x20}, 10, f);
            add({b(0xC4 | cc << 3), 0x00, 0x20}, met ? 17 : 10, f);
            add({b(0xC0 | cc << 3)}, met ? 11 : 5, f);
            if (cc < 4) add({b(0x20 | cc << 3), 0x10}, met ? 12 : 7, f);
        }
        add({b(0xC7 | cc << 3)}, 11);
    }

    // Input and output.
    add({0xDB, 0x10}, 11);
    add({0xD3, 0x10}, 11);
    for (unsigned r : r8) {
        add({0xED, b(0x40 | r << 3)}, 12);
        add({0xED, b(0x41 | r << 3)}, 12);
    }
    for (unsigned op : {0xA2, 0xAA, 0xA3, 0xAB}) add({0xED, b(op)}, 16);
    for (unsigned op : {0xB2, 0xBA, 0xB3, 0xBB}) {
        add({0xED, b(op)}, 21, 0, 0x0210);  // B not 0 afterwards: repeats
        add({0xED, b(op)}, 16, 0, 0x0110);  // last iteration
    }
    return cases;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char piece[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", byte);
        text += piece;
    }
    return text;
}

}  // namespace

TEST(Z80Cycles, EveryDocumentedInstructionTakesZilogsTStates) {
    const std::vector<TimingCase> cases = documentedTimings();
    EXPECT_GT(cases.size(), 700u);
    for (const TimingCase& c : cases) {
        Z80Rig rig;
        rig.s().PC = 0x0100;
        rig.s().SP = 0x8000;
        rig.s().HL = rig.s().IX = rig.s().IY = rig.s().DE = 0x4000;
        rig.s().BC = c.bc;
        rig.s().AF = 0x0100 | c.f;  // A = 1: CPIR/CPDR find no match in zeroed memory
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            rig.bus.memory[0x0100 + i] = c.bytes[i];
        }
        EXPECT_EQ(rig.cpu.runZ80(0), c.tstates) << hexBytes(c.bytes) << " F=" << c.f;
        EXPECT_EQ(rig.bus.tstates, static_cast<std::uint64_t>(c.tstates)) << hexBytes(c.bytes);
    }
}

TEST(Z80Cycles, EiTakesFourBeforeTheInstructionItRuns) {
    Z80Rig rig;
    rig.load(0, {0xFB, 0x01, 0x00, 0x00});  // EI; LD BC,nn
    EXPECT_EQ(rig.cpu.runZ80(0), 4 + 10);
    rig.load(4, {0xFB, 0x00});  // a second EI with IFF1 set costs 4 on its own
    EXPECT_EQ(rig.cpu.runZ80(0), 4);
}

TEST(Z80Cycles, UndocumentedFormsCostTheirDocumentedTwin) {
    Z80Rig rig;
    EXPECT_EQ(rig.step({0xDD, 0x24}), 9);               // INC IXh
    EXPECT_EQ(rig.step({0xFD, 0x2E, 0x01}), 9);         // LD IYl,n
    EXPECT_EQ(rig.step({0xDD, 0xBC}), 9);               // CP IXh
    EXPECT_EQ(rig.step({0xCB, 0x30}), 8);               // SLL B
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x01, 0x36}), 23);  // SLL (IX+1)
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x01, 0x47}), 20);  // BIT 0,(IX+1),A
    EXPECT_EQ(rig.step({0xDD, 0xCB, 0x01, 0xC0}), 23);  // SET 0,(IX+1),B
    EXPECT_EQ(rig.step({0xED, 0x70}), 12);              // IN F,(C)
    EXPECT_EQ(rig.step({0xED, 0x71}), 12);              // OUT (C),0
    EXPECT_EQ(rig.step({0xED, 0x6E}), 8);               // IM 0 copy
}

TEST(Z80Cycles, PrefixEntriesAreZero) {
    for (unsigned op : {0xCB, 0xDD, 0xED, 0xFD}) EXPECT_EQ(baseCycles[op], 0) << op;
    EXPECT_EQ(indexCycles[0xCB], 0);
    for (unsigned op = 0; op < 256; ++op) {
        if (!isIndexInstruction(op)) {
            EXPECT_EQ(indexCycles[op], 0) << op;
        }
        EXPECT_EQ(indexBitCycles[op], op >= 0x40 && op < 0x80 ? 20 : 23) << op;
    }
}

}  // namespace vantorel::test
