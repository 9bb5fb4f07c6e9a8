// Going back: one instruction, a block instruction's loop, a routine, a
// frame, to a T-state, reverse-continue; and the property that every state
// reached going back and forward again at random is the one recorded going
// forward, over the monitor loading and saving a tape while text is typed
// and sound plays, and over a program of LDIR, IN, OUT, EI, DI, HALT and
// interrupts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <vector>

#include "debug/debugger.h"
#include "debug_rig.h"
#include "support/busy_run.h"

#ifndef VANTOREL_STEP_BACK_STEPS
#define VANTOREL_STEP_BACK_STEPS 3000
#endif

namespace vantorel {
namespace {

using testing::DebugRig;
using testing::loadSteppingProgram;
using testing::stateDigest;

TEST(StepBack, EachStepBackGivesTheStateOfTheStepBefore) {
    DebugRig rig;
    loadSteppingProgram(rig);
    // Both calls, the RST, the LDIR's sixteen rounds, then the idle loop,
    // whose every step takes the rest of a slice: 31 steps end where the
    // second frame's vertical blank begins.
    std::vector<std::pair<std::int64_t, std::uint64_t>> forward;
    forward.emplace_back(rig.debugger.now(), stateDigest(rig.machine()));
    for (int i = 0; i < 31; ++i) {
        rig.debugger.stepInto();
        forward.emplace_back(rig.debugger.now(), stateDigest(rig.machine()));
    }
    EXPECT_EQ(rig.pc(), 0x2010);
    EXPECT_EQ(rig.timeline.position(), 1);
    for (int i = 30; i >= 0; --i) {
        const StopReason stop = rig.debugger.stepBack();
        EXPECT_EQ(stop.kind, StopKind::step);
        ASSERT_EQ(rig.debugger.now(), forward[static_cast<std::size_t>(i)].first) << i;
        ASSERT_EQ(stateDigest(rig.machine()), forward[static_cast<std::size_t>(i)].second) << i;
        EXPECT_EQ(stop.tstate, forward[static_cast<std::size_t>(i)].first);
    }
    EXPECT_EQ(rig.debugger.stepBack().kind, StopKind::historyStart);
    for (int i = 1; i <= 31; ++i) {  // forward again: the kept frames replayed
        rig.debugger.stepInto();
        ASSERT_EQ(stateDigest(rig.machine()), forward[static_cast<std::size_t>(i)].second) << i;
    }
    // Back to the start of the frame it stands in, then one more.
    ASSERT_TRUE(rig.machine().midFrame());
    const std::int64_t frame = rig.timeline.position();
    const std::int64_t frameStart = rig.timeline.positionTStates();
    EXPECT_EQ(rig.debugger.stepBackFrame().kind, StopKind::frame);
    EXPECT_EQ(rig.debugger.now(), frameStart);
    EXPECT_EQ(rig.debugger.frameTState(), 0);
    rig.debugger.stepBackFrame();
    EXPECT_EQ(rig.timeline.position(), frame - 1);
    while (rig.debugger.now() > 0) rig.debugger.stepBackFrame();
    EXPECT_EQ(stateDigest(rig.machine()), forward[0].second);
    EXPECT_EQ(rig.debugger.stepBackFrame().kind, StopKind::historyStart);
}

// Registers and memory edited while stopped inside a frame: the frames
// after it replay from the edited machine, so going back to any of them
// gives what ran.
TEST(StepBack, FramesAfterAnEditInsideAFrameReplayWithTheEdit) {
    DebugRig rig;
    // 2000 LD HL,3000 / loop: INC (HL) / JR loop
    rig.runFrom(0x2000, {0x21, 0x00, 0x30, 0x34, 0x18, 0xFD});
    rig.debugger.attach();
    for (int frame = 0; frame < 3; ++frame) rig.timeline.runFrame(rig.machine(), FrameSound::on);
    for (int step = 0; step < 100; ++step) rig.debugger.stepInto();
    ASSERT_TRUE(rig.machine().midFrame());
    Z80State registers = rig.debugger.registers();
    registers.HL = 0x3100;  // the loop counts in another byte from here on
    registers.IX = 0x1234;
    rig.debugger.setRegisters(registers);
    const std::uint8_t mark = 0x77;
    rig.debugger.writeMemory(0x3200, std::span<const std::uint8_t>(&mark, 1));
    rig.debugger.resume(1);  // to the end of the edited frame
    std::vector<std::pair<std::int64_t, std::uint64_t>> boundaries;
    for (int frame = 0; frame < 6; ++frame) {
        boundaries.emplace_back(rig.debugger.now(), stateDigest(rig.machine()));
        rig.timeline.runFrame(rig.machine(), FrameSound::on);
    }
    EXPECT_EQ(rig.debugger.peek(0x3200), 0x77);
    EXPECT_GT(rig.debugger.peek(0x3100), 0);
    for (auto it = boundaries.rbegin(); it != boundaries.rend(); ++it) {
        rig.debugger.goToTState(it->first);
        ASSERT_EQ(rig.debugger.now(), it->first);
        EXPECT_EQ(stateDigest(rig.machine()), it->second) << "at T-state " << it->first;
        EXPECT_EQ(rig.debugger.registers().IX, 0x1234u);
    }
}

TEST(StepBack, OverLoopsOverRoutinesAndOutOfThem) {
    DebugRig rig;
    loadSteppingProgram(rig);
    rig.debugger.runToAddress(0x2004);
    const std::int64_t afterRst = rig.debugger.now();
    rig.debugger.stepBackFrame();
    rig.debugger.runToAddress(0x2200);
    const std::uint64_t atCallOfSecond = [&] {
        // The state just before CALL 2200, seen going back out of 2200.
        EXPECT_EQ(rig.debugger.stepOutBack().kind, StopKind::step);
        EXPECT_EQ(rig.pc(), 0x2102);
        EXPECT_EQ(rig.a(), 5);
        return stateDigest(rig.machine());
    }();
    rig.debugger.stepOutBack();
    EXPECT_EQ(rig.pc(), 0x2000);
    EXPECT_EQ(rig.debugger.stepOutBack().kind, StopKind::historyStart);

    rig.debugger.runToAddress(0x2105);
    rig.debugger.stepBackOver();  // the routine at 2200 came back: to its CALL
    EXPECT_EQ(rig.pc(), 0x2102);
    EXPECT_EQ(stateDigest(rig.machine()), atCallOfSecond);
    rig.debugger.runToAddress(0x200F);
    EXPECT_EQ(rig.debugger.registers().BC, 0u);
    rig.debugger.stepBackOver();  // the whole LDIR
    EXPECT_EQ(rig.pc(), 0x200D);
    EXPECT_EQ(rig.debugger.registers().BC, 0x10u);
    EXPECT_EQ(rig.debugger.peek(0x3100), 0x00);
    rig.debugger.stepBackOver();  // an ordinary instruction
    EXPECT_EQ(rig.pc(), 0x200A);
    rig.debugger.runToAddress(0x200F);
    rig.debugger.stepBack();  // one iteration only
    EXPECT_EQ(rig.pc(), 0x200D);
    EXPECT_EQ(rig.debugger.registers().BC, 1u);
    rig.debugger.goToTState(afterRst);
    EXPECT_EQ(rig.pc(), 0x2004);
    rig.debugger.stepBackOver();  // RST 38 and its RET
    EXPECT_EQ(rig.pc(), 0x2003);
    rig.debugger.stepBackOver();  // CALL 2100 and all below it
    EXPECT_EQ(rig.pc(), 0x2000);
}

TEST(StepBack, ReverseContinueFindsTheLastHit) {
    DebugRig rig;
    loadSteppingProgram(rig);
    rig.debugger.runToAddress(0x2010);
    for (int i = 0; i < 200; ++i) rig.debugger.runFrame();  // over three keyframes
    BreakpointSettings entry;
    entry.first = 0x2100;
    const int entryId = rig.debugger.addBreakpoint(entry).id;
    BreakpointSettings write;
    write.kind = BreakKind::write;
    write.first = 0x3104;
    write.last = 0x3108;
    write.condition = "(DE-1)==0xA6 || (DE-1)==0xA8";
    const int writeId = rig.debugger.addBreakpoint(write).id;
    BreakpointSettings logged;  // log points are not stops, forward or back
    logged.first = 0x200D;
    logged.logFormat = "{BC}";
    rig.debugger.addBreakpoint(logged);

    StopReason stop = rig.debugger.reverseContinue();
    EXPECT_EQ(stop.kind, StopKind::breakpoint);
    EXPECT_EQ(stop.breakpointId, writeId);
    EXPECT_EQ(stop.address, 0x3108);
    EXPECT_EQ(stop.value, 0xA8);
    EXPECT_EQ(rig.pc(), 0x200D);
    EXPECT_EQ(rig.debugger.registers().BC, 7u);
    EXPECT_EQ(stop.tstate, rig.debugger.now());
    stop = rig.debugger.reverseContinue();
    EXPECT_EQ(stop.breakpointId, writeId);
    EXPECT_EQ(stop.address, 0x3106);
    stop = rig.debugger.reverseContinue();
    EXPECT_EQ(stop.breakpointId, entryId);
    EXPECT_EQ(rig.pc(), 0x2100);
    EXPECT_EQ(rig.debugger.reverseContinue().kind, StopKind::historyStart);
    EXPECT_EQ(rig.debugger.now(), 0);
    // Forward again the same hits come in order.
    EXPECT_EQ(rig.debugger.resume(10).breakpointId, entryId);
    EXPECT_EQ(rig.debugger.resume(10).address, 0x3106);
    rig.debugger.goToTState(rig.debugger.now() + 1000);
    EXPECT_LE(rig.debugger.now(), stop.tstate + 1000);
}

// Steps through a window of a run forward, live, keeping each state's digest
// by its time; then walks back and forth in it at random.
class Walk {
  public:
    explicit Walk(Debugger& debugger) : debugger_(debugger) {}

    struct Coverage {
        int block = 0, halt = 0, eiDi = 0, ports = 0, interrupts = 0, tape = 0, typing = 0;
    };

    void recordForward(int steps) {
        Window window;
        window.push_back({debugger_.now(), stateDigest(debugger_.machine())});
        for (int i = 0; i < steps; ++i) {
            noteCoverage();
            ASSERT_EQ(debugger_.stepInto().kind, StopKind::step);
            window.push_back({debugger_.now(), stateDigest(debugger_.machine())});
        }
        windows_.push_back(std::move(window));
    }

    // `count` random moves, spread over the windows.
    void walk(int count, std::mt19937& random) {
        for (int move = 0; move < count;) {
            const Window& window = windows_[random() % windows_.size()];
            std::size_t at = random() % window.size();
            const StopReason jump = debugger_.goToTState(window[at].tstate);
            ASSERT_EQ(debugger_.now(), window[at].tstate) << jump.message;
            ASSERT_EQ(stateDigest(debugger_.machine()), window[at].digest);
            for (int i = 0; i < 40 && move < count; ++i, ++move) {
                const bool back = at == window.size() - 1 || (at > 0 && random() % 2 == 0);
                if (back) {
                    ASSERT_EQ(debugger_.stepBack().kind, StopKind::step);
                    --at;
                } else {
                    ASSERT_EQ(debugger_.stepInto().kind, StopKind::step);
                    ++at;
                }
                ASSERT_EQ(debugger_.now(), window[at].tstate) << "move " << move;
                ASSERT_EQ(stateDigest(debugger_.machine()), window[at].digest) << "move " << move;
            }
        }
    }

    Coverage coverage;

  private:
    struct Point {
        std::int64_t tstate;
        std::uint64_t digest;
    };
    using Window = std::vector<Point>;

    void noteCoverage() {
        const Machine& machine = debugger_.machine();
        const Z80State r = machine.registers();
        const std::uint8_t op = machine.peek(static_cast<std::uint16_t>(r.PC));
        const std::uint8_t next = machine.peek(static_cast<std::uint16_t>(r.PC + 1));
        if (op == 0xED && (next & 0xF4) == 0xB0) ++coverage.block;
        if (op == 0x76 || r.halted != 0) ++coverage.halt;
        if (op == 0xF3 || op == 0xFB) ++coverage.eiDi;
        if (op == 0xDB || op == 0xD3 || (op == 0xED && (next & 0xC6) == 0x40)) ++coverage.ports;
        if (r.irqVector != kNoInterruptRequest && r.IFF1 != 0) ++coverage.interrupts;
        if (machine.tapeMoving()) ++coverage.tape;
        if (machine.quickTypeActive()) ++coverage.typing;
    }

    Debugger& debugger_;
    std::vector<Window> windows_;
};

TEST(StepBack, RandomStepsBackAndForthMeetTheStatesRecordedGoingForward) {
    std::mt19937 random{20};
    // VANTOREL_STEP_BACK_MOVES in the environment asks for a longer walk
    // (100000 for the full property run).
    const char* asked = std::getenv("VANTOREL_STEP_BACK_MOVES");
    const int moves = asked != nullptr ? std::atoi(asked) : VANTOREL_STEP_BACK_STEPS;
    Walk::Coverage total;
    {
        // The monitor types, loads a tape (frame 40 on) and saves one (500
        // on), with the sound output running.
        testing::BusyRun run;
        Timeline timeline;
        Debugger debugger{run.machine(), timeline};
        debugger.attach();
        Walk walk{debugger};
        const std::vector<int> anchors{45, 120, 300, 510, 560};
        for (int frame = 0; frame < 600; ++frame) {
            run.hostDoes(frame);
            if (std::find(anchors.begin(), anchors.end(), frame) != anchors.end()) {
                for (auto skip = static_cast<std::uint32_t>(random() % 3000); skip > 0; --skip)
                    debugger.stepInto();
                walk.recordForward(150);
            }
            timeline.runFrame(run.machine(), FrameSound::on);
        }
        walk.walk(moves / 2, random);
        total = walk.coverage;
    }
    {
        // LD SP,8000 / IM 1 / loop: LD HL,3000 / LD DE,3100 / LD BC,20 /
        // LDIR / IN A,(FE) / OUT (FE),A / DI / EI / HALT / JR loop; the
        // handler at 0038 counts at 3200 and returns with EI / RETI. An
        // interrupt is posted between every other frame.
        DebugRig rig;
        rig.poke(0x0038, {0xF5, 0x3A, 0x00, 0x32, 0x3C, 0x32, 0x00, 0x32, 0xF1, 0xFB, 0xED, 0x4D});
        rig.runFrom(0x1000,
                    {0x31, 0x00, 0x80, 0xED, 0x56, 0x21, 0x00, 0x30, 0x11, 0x00, 0x31, 0x01, 0x20,
                     0x00, 0xED, 0xB0, 0xDB, 0xFE, 0xD3, 0xFE, 0xF3, 0xFB, 0x76, 0x18, 0xEC});
        Debugger& debugger = rig.debugger;
        debugger.attach();
        Walk walk{debugger};
        for (int frame = 0; frame < 150; ++frame) {
            if (frame % 2 == 1) {
                Z80State registers = rig.machine().registers();
                registers.irqVector = 0xFF;
                rig.machine().setRegisters(registers);
            }
            if (frame % 20 == 5) walk.recordForward(90);
            rig.timeline.runFrame(rig.machine(), FrameSound::on);
        }
        EXPECT_GT(rig.debugger.peek(0x3200), 60);
        walk.walk(moves - moves / 2, random);
        total.block += walk.coverage.block;
        total.halt += walk.coverage.halt;
        total.eiDi += walk.coverage.eiDi;
        total.ports += walk.coverage.ports;
        total.interrupts += walk.coverage.interrupts;
    }
    EXPECT_GT(total.block, 20);
    EXPECT_GT(total.halt, 5);
    EXPECT_GT(total.eiDi, 5);
    EXPECT_GT(total.ports, 20);
    EXPECT_GT(total.interrupts, 3);
    EXPECT_GT(total.tape, 100);
    EXPECT_GT(total.typing, 100);
}

}  // namespace
}  // namespace vantorel
