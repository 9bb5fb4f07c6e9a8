// The ED page: undocumented copies, undefined entries, the trap, 16-bit loads
// through memory and I/O through (C).
#include <gtest/gtest.h>

#include <cstring>

#include "z80_test_support.h"

namespace vantorel::test {

TEST(Z80Ed, UndefinedEntriesDoNothingAndCostNothing) {
    for (unsigned op = 0; op < 256; ++op) {
        const bool undefined = op < 0x40 || (op >= 0x80 && op < 0xA0) || op >= 0xC0 || op == 0x77 ||
                               op == 0x7F || (op >= 0xA0 && (op & 4) != 0);
        if (!undefined) continue;
        Z80Rig rig;
        rig.s().AF = 0x1234;
        rig.s().BC = 0x0101;
        rig.s().HL = 0x4000;
        Z80State before{};
        rig.cpu.getZ80Registers(before);
        EXPECT_EQ(rig.step({0xED, static_cast<std::uint8_t>(op)}), 0) << op;
        Z80State after{};
        rig.cpu.getZ80Registers(after);
        before.PC = 2;
        before.R = 2;
        if (op != 0xFE) {
            EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0) << op;
        }
        EXPECT_EQ(rig.bus.trapCount, op == 0xFE ? 1u : 0u) << op;
    }
}

TEST(Z80Ed, TrapHookSeesTheRegisters) {
    struct TrapBus : FlatBus {
        std::uint32_t seenHL = 0;
        void trapHook(Z80State& state) {
            seenHL = state.HL;
            state.BC = 0x4242;
        }
    };
    BasicRig<TrapBus> rig;
    rig.s().HL = 0xCAFE;
    EXPECT_EQ(rig.step({0xED, 0xFE}), 0);
    EXPECT_EQ(rig.bus.seenHL, 0xCAFEu);
    EXPECT_EQ(rig.s().BC, 0x4242u);
}

TEST(Z80Ed, SixteenBitLoadsThroughMemory) {
    Z80Rig rig;
    rig.s().SP = 0xABCD;
    EXPECT_EQ(rig.step({0xED, 0x73, 0x00, 0x60}), 20);  // LD (6000),SP
    EXPECT_EQ(rig.bus.memory[0x6000], 0xCD);
    EXPECT_EQ(rig.bus.memory[0x6001], 0xAB);
    EXPECT_EQ(rig.step({0xED, 0x5B, 0x00, 0x60}), 20);  // LD DE,(6000)
    EXPECT_EQ(rig.s().DE, 0xABCDu);
    rig.s().HL = 0x1357;
    EXPECT_EQ(rig.step({0xED, 0x63, 0x02, 0x60}), 20);  // LD (6002),HL, ED form
    EXPECT_EQ(rig.bus.memory[0x6002], 0x57);
    EXPECT_EQ(rig.step({0xED, 0x6B, 0x00, 0x60}), 20);  // LD HL,(6000), ED form
    EXPECT_EQ(rig.s().HL, 0xABCDu);
    EXPECT_EQ(Z80<FlatBus>::edHandlers[0x63], Z80<FlatBus>::baseHandlers[0x22]);
    EXPECT_EQ(Z80<FlatBus>::edHandlers[0x6B], Z80<FlatBus>::baseHandlers[0x2A]);
}

TEST(Z80Ed, OutputThroughC) {
    Z80Rig rig;
    rig.s().BC = 0x12FE;
    rig.s().DE = 0x0077;
    EXPECT_EQ(rig.step({0xED, 0x59}), 12);  // OUT (C),E
    EXPECT_EQ(rig.bus.lastPortWritten, 0x12FE);
    EXPECT_EQ(rig.bus.lastPortValue, 0x77);
    EXPECT_EQ(rig.step({0xED, 0x71}), 12);  // OUT (C),0
    EXPECT_EQ(rig.bus.lastPortValue, 0x00);
    rig.s().AF = 0x3400;
    rig.step({0xD3, 0x99});  // OUT (n),A: port A*256+n
    EXPECT_EQ(rig.bus.lastPortWritten, 0x3499);
    EXPECT_EQ(rig.bus.lastPortValue, 0x34);
}

TEST(Z80Ed, InterruptModes) {
    const std::pair<std::uint8_t, std::uint32_t> modes[] = {
        {0x46, 0}, {0x4E, 0}, {0x66, 0}, {0x6E, 0}, {0x56, 1}, {0x76, 1}, {0x5E, 2}, {0x7E, 2}};
    for (const auto& [op, mode] : modes) {
        Z80Rig rig;
        rig.s().IM = 3;
        EXPECT_EQ(rig.step({0xED, op}), 8);
        EXPECT_EQ(rig.s().IM, mode) << int(op);
    }
}

}  // namespace vantorel::test
