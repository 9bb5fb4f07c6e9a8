// Breakpoints of every kind on small programs: where they stop, what the
// stop says, conditions, hit counts, log points and refused settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug/debugger.h"
#include "debug_rig.h"

namespace vantorel {
namespace {

using testing::DebugRig;

// 1000 LD HL,3000 / 1003 LD A,0D / 1005 LD (HL),A / 1006 INC HL /
// 1007 LD (HL),0 / 1009 LD A,(HL) / 100A OUT (FE),A / 100C IN A,(FE) /
// 100E JR 1000
void loadLoop(DebugRig& rig) {
    rig.runFrom(0x1000, {0x21, 0x00, 0x30, 0x3E, 0x0D, 0x77, 0x23, 0x36, 0x00, 0x7E, 0xD3, 0xFE,
                         0xDB, 0xFE, 0x18, 0xF0});
}

BreakpointSettings breakOn(BreakKind kind, std::uint32_t first, std::uint32_t last = 0) {
    BreakpointSettings out;
    out.kind = kind;
    out.first = first;
    out.last = last;
    return out;
}

TEST(Breakpoint, EachKindStopsAfterTheInstructionThatHitsIt) {
    struct Case {
        BreakpointSettings settings;
        std::uint16_t pc;  // where the machine stands after the stop
        std::uint16_t address;
        std::uint8_t value;
    };
    const std::vector<Case> cases{
        {breakOn(BreakKind::execute, 0x1005), 0x1005, 0x1005, 0},
        {breakOn(BreakKind::write, 0x3001, 0x30FF), 0x1009, 0x3001, 0x00},
        {breakOn(BreakKind::write, 0x3000), 0x1006, 0x3000, 0x0D},
        {breakOn(BreakKind::read, 0x3000, 0x3001), 0x100A, 0x3001, 0x00},
        {breakOn(BreakKind::portOut, 0xFE), 0x100C, 0x00FE, 0x00},
        {breakOn(BreakKind::portIn, 0xF0, 0xFF), 0x100E, 0x00FE, 0},
    };
    for (const Case& c : cases) {
        DebugRig rig;
        loadLoop(rig);
        const BreakpointResult added = rig.debugger.addBreakpoint(c.settings);
        ASSERT_TRUE(added.ok()) << added.error;
        const StopReason stop = rig.debugger.resume(2);
        EXPECT_EQ(stop.kind, StopKind::breakpoint) << static_cast<int>(c.settings.kind);
        EXPECT_EQ(stop.breakpointId, added.id);
        EXPECT_EQ(stop.breakKind, c.settings.kind);
        EXPECT_EQ(stop.pc, c.pc) << static_cast<int>(c.settings.kind);
        EXPECT_EQ(rig.pc(), c.pc);
        EXPECT_EQ(stop.address & (c.settings.kind == BreakKind::portIn ? 0xFF : 0xFFFF), c.address);
        if (c.settings.kind != BreakKind::execute && c.settings.kind != BreakKind::portIn) {
            EXPECT_EQ(stop.value, c.value);
        }
        EXPECT_EQ(stop.tstate, rig.debugger.now());
        EXPECT_EQ(rig.debugger.lastStop().breakpointId, added.id);
        // Going on stops at the same place one loop later.
        const std::int64_t first = stop.tstate;
        const StopReason again = rig.debugger.resume(2);
        EXPECT_EQ(again.pc, c.pc);
        EXPECT_GT(again.tstate, first);
    }
}

TEST(Breakpoint, ConditionsHitCountsAndDisabledPoints) {
    DebugRig rig;
    loadLoop(rig);
    BreakpointSettings never = breakOn(BreakKind::execute, 0x1009);
    never.condition = "A==0x0E || (HL)!=0";
    ASSERT_TRUE(rig.debugger.addBreakpoint(never).ok());
    EXPECT_EQ(rig.debugger.resume(3).kind, StopKind::none);

    BreakpointSettings holds = breakOn(BreakKind::execute, 0x1009);
    holds.condition = "A==0x0D && (HL)==0 && HL==$3001 && NC";
    holds.stopOnHit = 3;
    const int id = rig.debugger.addBreakpoint(holds).id;
    const std::int64_t start = rig.debugger.now();
    StopReason stop = rig.debugger.resume(3);
    ASSERT_EQ(stop.breakpointId, id);
    EXPECT_EQ(rig.pc(), 0x1009);
    // The third pass of the loop: two whole loops (62 T-states each) and the
    // way to 1009 have run since.
    EXPECT_EQ(rig.debugger.breakpoints().back().hits, 3u);
    EXPECT_GE(stop.tstate - start, 2 * 62);
    stop = rig.debugger.resume(3);
    EXPECT_EQ(rig.debugger.breakpoints().back().hits, 4u);  // stops on every hit after the third

    ASSERT_TRUE(rig.debugger.enableBreakpoint(id, false));
    EXPECT_EQ(rig.debugger.resume(2).kind, StopKind::none);
    ASSERT_TRUE(rig.debugger.enableBreakpoint(id, true));
    EXPECT_EQ(rig.debugger.resume(2).breakpointId, id);
    ASSERT_TRUE(rig.debugger.removeBreakpoint(id));
    EXPECT_FALSE(rig.debugger.removeBreakpoint(id));
    EXPECT_EQ(rig.debugger.resume(2).kind, StopKind::none);
}

TEST(Breakpoint, LogPointsWriteTheirLineAndGoOn) {
    DebugRig rig;
    loadLoop(rig);
    std::vector<std::string> lines;
    rig.debugger.setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    BreakpointSettings log = breakOn(BreakKind::execute, 0x100A);
    log.logFormat = "HL={HL} A={A} (HL-1)={(HL-1)} sum={A+1}";
    ASSERT_TRUE(rig.debugger.addBreakpoint(log).ok());
    EXPECT_EQ(rig.debugger.resume(1).kind, StopKind::none);
    ASSERT_GT(lines.size(), 100u);
    EXPECT_EQ(lines.front(), "HL=3001 A=00 (HL-1)=0D sum=1");
    EXPECT_EQ(rig.debugger.breakpoints().front().hits, lines.size());

    // A sink may ask for a pause: the run stops where the line was made.
    int seen = 0;
    rig.debugger.setLogSink([&](std::string_view) {
        if (++seen == 5) rig.debugger.pause();
    });
    const StopReason paused = rig.debugger.resume(2);
    EXPECT_EQ(paused.kind, StopKind::paused);
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(rig.pc(), 0x100A);
    EXPECT_EQ(rig.debugger.resume(1).kind, StopKind::none);  // the pause is used up
}

TEST(Breakpoint, FrameTStateInterruptTapeMotorAndUart) {
    {
        DebugRig rig;
        loadLoop(rig);
        const int id = rig.debugger.addBreakpoint(breakOn(BreakKind::frameTState, 1000)).id;
        rig.debugger.runFrame();
        for (int frame = 0; frame < 2; ++frame) {
            const StopReason stop = rig.debugger.resume(2);
            EXPECT_EQ(stop.breakpointId, id);
            EXPECT_GT(rig.debugger.frameTState(), 1000);
            EXPECT_LE(rig.debugger.frameTState(), 1000 + 11);
        }
    }
    {
        // LD SP,8000 / IM 1 / EI / XOR A / OUT (FE),A (the motors stop: the
        // latch is FF after a reset) / LD A,10 / OUT (FE),A (motor 1 on) /
        // OUT (FC),A (the UART sends) / JR to the XOR.
        DebugRig rig;
        rig.poke(0x0038, {0xFB, 0xC9});  // EI / RET
        rig.runFrom(0x1000, {0x31, 0x00, 0x80, 0xED, 0x56, 0xFB, 0xAF, 0xD3, 0xFE, 0x3E, 0x10, 0xD3,
                             0xFE, 0xD3, 0xFC, 0x18, 0xF5});
        const int motor = rig.debugger.addBreakpoint(breakOn(BreakKind::tapeMotor, 0)).id;
        StopReason stop = rig.debugger.resume(2);
        EXPECT_EQ(stop.breakpointId, motor);
        EXPECT_EQ(stop.pc, 0x1009);
        EXPECT_EQ(stop.value, 0);
        stop = rig.debugger.resume(2);
        EXPECT_EQ(stop.pc, 0x100D);
        EXPECT_EQ(stop.value, 1);
        EXPECT_TRUE(rig.debugger.tape().motorOn);
        EXPECT_EQ(rig.debugger.tape().control, 0x10);
        rig.debugger.clearBreakpoints();
        const int uart = rig.debugger.addBreakpoint(breakOn(BreakKind::uart, 0)).id;
        stop = rig.debugger.resume(2);
        EXPECT_EQ(stop.breakpointId, uart);
        EXPECT_EQ(stop.pc, 0x100F);

        rig.debugger.clearBreakpoints();
        const int interrupt = rig.debugger.addBreakpoint(breakOn(BreakKind::interrupt, 0)).id;
        Z80State registers = rig.debugger.registers();
        registers.irqVector = 0xFF;
        rig.debugger.setRegisters(registers);
        const std::uint16_t interrupted = rig.pc();
        stop = rig.debugger.resume(2);
        EXPECT_EQ(stop.breakpointId, interrupt);
        EXPECT_EQ(stop.address, interrupted);
        // The handler's EI takes its RET into the same step: back at once.
        EXPECT_EQ(rig.pc(), interrupted);
        EXPECT_EQ(rig.debugger.registers().SP, 0x8000u);
        EXPECT_EQ(rig.debugger.registers().IFF1, 1u);
    }
}

TEST(Breakpoint, BadSettingsAreRefusedWithAReason) {
    DebugRig rig;
    struct Case {
        const char* condition;
        const char* error;
    };
    const std::vector<Case> cases{
        {"A==", "expression ends too soon at column 4"},
        {"A=1", "unexpected '=' at column 2 (compare with ==)"},
        {"XY==1", "unknown name 'XY' at column 1"},
        {"(A==1", "expected ')' at column 6"},
        {"A==0x1G", "bad number '0X1G' at column 4"},
        {"A==1 B", "unexpected 'B' at column 6"},
        {"A # 2", "unexpected '#' at column 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Debugger::checkCondition(c.condition), c.error) << c.condition;
        BreakpointSettings bad = breakOn(BreakKind::execute, 0x1000);
        bad.condition = c.condition;
        const BreakpointResult result = rig.debugger.addBreakpoint(bad);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error, std::string("condition: ") + c.error);
    }
    BreakpointSettings log = breakOn(BreakKind::execute, 0x1000);
    log.logFormat = "A={A";
    EXPECT_EQ(rig.debugger.addBreakpoint(log).error, "log line: '{' at column 3 has no '}'");
    log.logFormat = "A={Q}";
    EXPECT_EQ(rig.debugger.addBreakpoint(log).error,
              "log line field at column 3: unknown name 'Q' at column 1");
    EXPECT_FALSE(rig.debugger.addBreakpoint(breakOn(BreakKind::portIn, 0x100)).ok());
    EXPECT_FALSE(rig.debugger.addBreakpoint(breakOn(BreakKind::read, 0x10000)).ok());
    EXPECT_TRUE(rig.debugger.breakpoints().empty());
}

TEST(Breakpoint, ExpressionsReadRegistersFlagsAndMemory) {
    DebugRig rig;
    Z80State registers = rig.debugger.registers();
    registers.AF = 0x1241;  // A 12, Z and C set
    registers.BC = 0x0034;
    registers.HL = 0x3000;
    registers.IX = 0xABCD;
    registers.altHL = 0x5555;
    rig.debugger.setRegisters(registers);
    rig.poke(0x3000, {0x7F, 0x80});
    struct Case {
        const char* text;
        std::int64_t value;
    };
    const std::vector<Case> cases{
        {"C", 0x34},            // a value: the register
        {"C==0x34 && C", 1},    // the register, then the carry flag
        {"!C", 0},              // the carry flag
        {"Z && !NZ && PO", 1},  // Z set, parity clear
        {"BC!=0", 1},
        {"(HL)", 0x7F},
        {"(HL+1)|(HL)<<8", 0x7F80},
        {"(0x3000)>=3", 1},
        {"$10+10h+0x10+16+0FFh", 64 + 255},
        {"1<<4|1^3&2", 0x13},
        {"-1<0 && ~0==-1", 1},
        {"IXH*2", 0},  // not an operator: refused below
        {"HL'", 0x5555},
        {"ixl + ixh", 0xCD + 0xAB},
        {"((A==0x12)||(A==1)) && (B==0)", 1},
    };
    for (const Case& c : cases) {
        std::int64_t value = -99;
        std::string error;
        const bool parsed = rig.debugger.evaluate(c.text, value, error);
        if (std::string(c.text) == "IXH*2") {
            EXPECT_FALSE(parsed);
            continue;
        }
        ASSERT_TRUE(parsed) << c.text << ": " << error;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
}  // namespace vantorel
