// Stepping forward (into, over CALL, RST and LDIR, out, to an address, a
// frame), the call stack, the trace ring and its file, the profile, the
// access marks, the disassembly lines, and that a watching machine runs
// exactly as a plain one.
#include "debug/debugger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "debug_rig.h"
#include "support/busy_run.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using testing::DebugRig;
using testing::loadSteppingProgram;

TEST(Debugger, StepsIntoOverAndOut) {
    DebugRig rig;
    loadSteppingProgram(rig);
    Debugger& debugger = rig.debugger;
    // Over a CALL whose routine calls another: A = 5 + 1.
    StopReason stop = debugger.stepOver();
    EXPECT_EQ(stop.kind, StopKind::step);
    EXPECT_EQ(rig.pc(), 0x2003);
    EXPECT_EQ(rig.a(), 6);
    EXPECT_EQ(stop.pc, 0x2003);
    EXPECT_EQ(stop.tstate, debugger.now());
    // Over an RST.
    debugger.stepOver();
    EXPECT_EQ(rig.pc(), 0x2004);
    for (int i = 0; i < 3; ++i) debugger.stepOver();  // plain instructions step into
    EXPECT_EQ(rig.pc(), 0x200D);
    // Into LDIR: one byte moved; over it: the rest.
    debugger.stepInto();
    EXPECT_EQ(rig.pc(), 0x200D);
    EXPECT_EQ(debugger.registers().BC, 0x000Fu);
    debugger.stepOver();
    EXPECT_EQ(rig.pc(), 0x200F);
    EXPECT_EQ(debugger.registers().BC, 0u);
    EXPECT_EQ(debugger.peek(0x310F), 0xAF);

    // Run to an address, then out of two routines.
    DebugRig again;
    loadSteppingProgram(again);
    stop = again.debugger.runToAddress(0x2200);
    EXPECT_EQ(stop.kind, StopKind::runToCursor);
    EXPECT_EQ(again.pc(), 0x2200);
    again.debugger.stepOut();
    EXPECT_EQ(again.pc(), 0x2105);
    EXPECT_EQ(again.a(), 6);
    again.debugger.stepOut();
    EXPECT_EQ(again.pc(), 0x2003);
    // A frame: from the middle of one to the next boundary, then a whole one.
    stop = again.debugger.runFrame();
    EXPECT_EQ(stop.kind, StopKind::frame);
    EXPECT_EQ(again.debugger.frameTState(), 0);
    EXPECT_FALSE(again.machine().midFrame());
    const std::int64_t boundary = again.debugger.now();
    again.debugger.runFrame();
    EXPECT_EQ(again.debugger.now() - boundary, again.machine().lastFrame().total());
}

TEST(Debugger, CallStackTraceAndTraceFile) {
    DebugRig rig;
    loadSteppingProgram(rig);
    DebugRecording recording;
    recording.callStack = true;
    recording.traceLength = 4;
    rig.debugger.setRecording(recording);
    rig.debugger.runToAddress(0x2200);
    const std::vector<CallFrame> calls = rig.debugger.callStack();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, CallKind::call);
    EXPECT_EQ(calls[0].callSite, 0x2000);
    EXPECT_EQ(calls[0].target, 0x2100);
    EXPECT_EQ(calls[1].callSite, 0x2102);
    EXPECT_EQ(calls[1].target, 0x2200);
    EXPECT_EQ(calls[1].returnSp, rig.debugger.registers().SP);
    EXPECT_LT(calls[0].enteredAt, calls[1].enteredAt);
    rig.debugger.stepInto();  // INC A
    rig.debugger.stepInto();  // RET
    EXPECT_EQ(rig.debugger.callStack().size(), 1u);
    rig.debugger.stepInto();  // RET
    rig.debugger.stepInto();  // RST 38
    ASSERT_EQ(rig.debugger.callStack().size(), 1u);
    EXPECT_EQ(rig.debugger.callStack()[0].kind, CallKind::rst);

    // The ring keeps the last four instructions, oldest first.
    const std::vector<TraceEntry> trace = rig.debugger.trace();
    ASSERT_EQ(trace.size(), 4u);
    const std::vector<std::uint32_t> pcs{0x2200, 0x2201, 0x2105, 0x2003};
    for (std::size_t i = 0; i < pcs.size(); ++i) EXPECT_EQ(trace[i].registers.PC, pcs[i]);
    EXPECT_EQ(trace[0].bytes[0], 0x3C);
    EXPECT_LT(trace[0].tstate, trace[3].tstate);

    testing::TempFolder folder;
    std::string error;
    ASSERT_TRUE(rig.debugger.saveTrace(folder.path() / "trace.txt", error)) << error;
    std::ifstream file(folder.path() / "trace.txt");
    std::stringstream text;
    text << file.rdbuf();
    const std::string written = text.str();
    // The register-trace text of the debug log: two lines and an empty one each.
    EXPECT_NE(written.find("2200: inc  a"), std::string::npos) << written;
    EXPECT_NE(written.find("2003: rst  38h"), std::string::npos) << written;
    EXPECT_NE(written.find("AF:0600"), std::string::npos) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 12);
    EXPECT_FALSE(rig.debugger.saveTrace(folder.path() / "no" / "such" / "trace.txt", error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
}

TEST(Debugger, ProfileMarksAndWhoWrote) {
    DebugRig rig;
    loadSteppingProgram(rig);
    DebugRecording recording;
    recording.profile = true;
    recording.accessMarks = true;
    rig.debugger.setRecording(recording);
    rig.debugger.runToAddress(0x200F);
    const std::int64_t ldirAt = rig.debugger.now();
    rig.debugger.runFrame();
    rig.debugger.runFrame();
    const auto profile = rig.debugger.profile();
    EXPECT_EQ(profile[0x2000], 17u);
    EXPECT_EQ(profile[0x200D], 15u * 21 + 16);
    const std::vector<RoutineRange> routines{
        {"first", 0x2100, 0x2105}, {"second", 0x2200, 0x2201}, {"idle", 0x2010, 0x2011}};
    const std::vector<RoutineProfile> spent = rig.debugger.profileRoutines(routines);
    EXPECT_EQ(spent[0].tstates, 7u + 17 + 10);
    EXPECT_EQ(spent[1].tstates, 4u + 10);
    EXPECT_GT(spent[2].tstates, 60000u);
    rig.debugger.clearProfile();
    EXPECT_EQ(rig.debugger.profile()[0x2000], 0u);

    const AccessMark mark = rig.debugger.accessMark(0x3105);
    EXPECT_EQ(mark.writerPc, 0x200D);
    EXPECT_LT(mark.write, ldirAt);
    EXPECT_EQ(rig.debugger.accessMark(0x3005).read, mark.write);
    EXPECT_GE(rig.debugger.accessMark(0x2010).execute, ldirAt);
    EXPECT_EQ(rig.debugger.accessMark(0x4000).write, -1);
    const WriteRecord kept = rig.debugger.whoWrote(0x3105);
    ASSERT_TRUE(kept.found);
    EXPECT_EQ(kept.pc, 0x200D);
    EXPECT_EQ(kept.tstate, mark.write);
    EXPECT_EQ(kept.value, 0xA5);

    // A second debugger that saw nothing finds the same by running again.
    const std::int64_t here = rig.debugger.now();
    const std::uint64_t digest = testing::stateDigest(rig.machine());
    rig.debugger.detach();
    Debugger fresh{rig.machine(), rig.timeline};
    const WriteRecord found = fresh.whoWrote(0x3105);
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.pc, 0x200D);
    EXPECT_EQ(found.tstate, mark.write);
    EXPECT_EQ(found.value, 0xA5);
    EXPECT_EQ(fresh.now(), here);  // and leaves the machine where it stood
    EXPECT_EQ(testing::stateDigest(rig.machine()), digest);
    EXPECT_FALSE(fresh.whoWrote(0x5000).found);
}

TEST(Debugger, DisassemblyAndEdits) {
    DebugRig rig;
    loadSteppingProgram(rig);
    BreakpointSettings at;
    at.first = 0x2007;
    ASSERT_TRUE(rig.debugger.addBreakpoint(at).ok());
    const std::vector<DisassemblyLine> lines = rig.debugger.disassembly(0x2004, 2, 4);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].address, 0x2000);
    EXPECT_EQ(lines[0].text, "call $2100");
    EXPECT_TRUE(lines[0].pc);
    EXPECT_EQ(lines[1].text, "rst  38h");
    EXPECT_EQ(lines[2].address, 0x2004);
    EXPECT_EQ(lines[2].length, 3);
    EXPECT_EQ(lines[3].address, 0x2007);
    EXPECT_TRUE(lines[3].breakpoint);
    EXPECT_FALSE(lines[2].breakpoint);
    EXPECT_EQ(lines[5].text, "ldir");
    EXPECT_EQ(lines[5].bytes[1], 0xB0);

    const std::uint8_t bytes[2] = {0x12, 0x34};
    rig.debugger.writeMemory(0x3000, bytes);
    std::uint8_t back[2] = {};
    rig.debugger.readMemory(0x3000, back);
    EXPECT_EQ(back[1], 0x34);
    const std::uint8_t rom[1] = {0x00};
    const std::uint8_t before = rig.debugger.peek(0xE000);
    rig.debugger.writeMemory(0xE000, rom);
    EXPECT_EQ(rig.debugger.peek(0xE000), before);  // ROM stays
}

// A reset from inside a stopped frame stands between frames; the frames
// after it are kept whole, and going back into them gives what ran.
TEST(Debugger, AResetInsideAFrameStandsBetweenFrames) {
    DebugRig rig;
    loadSteppingProgram(rig);
    rig.debugger.runFrame();
    rig.debugger.stepInto();
    ASSERT_TRUE(rig.machine().midFrame());
    rig.machine().hardReset();
    EXPECT_FALSE(rig.machine().midFrame());
    EXPECT_EQ(rig.debugger.frameTState(), 0);
    loadSteppingProgram(rig);
    const std::int64_t start = rig.debugger.now();
    const std::uint64_t atStart = testing::stateDigest(rig.machine());
    rig.debugger.stepInto();
    const std::uint64_t afterCall = testing::stateDigest(rig.machine());
    EXPECT_EQ(rig.pc(), 0x2100);
    const StopReason frame = rig.debugger.runFrame();
    EXPECT_EQ(frame.kind, StopKind::frame);
    EXPECT_EQ(rig.debugger.now() - start, rig.machine().lastFrame().total());
    rig.debugger.goToTState(start);
    EXPECT_EQ(testing::stateDigest(rig.machine()), atStart);
    rig.debugger.stepInto();
    EXPECT_EQ(testing::stateDigest(rig.machine()), afterCall);
}

// Runs 700 frames of the monitor's busy run on a plain machine and on one
// watched by a debugger that `setUp` arms; the records must match after
// every frame, and nothing may stop.
template <class SetUp>
void expectWatchedRunMatchesPlain(SetUp setUp) {
    testing::BusyRun plain;
    testing::BusyRun watched;
    Timeline timeline;
    Debugger debugger{watched.machine(), timeline};
    setUp(debugger);
    debugger.attach();
    for (int frame = 0; frame < 700; ++frame) {
        plain.runFrame(frame, nullptr);
        watched.hostDoes(frame);
        const FrameResult result = timeline.runFrame(watched.machine(), FrameSound::on);
        ASSERT_FALSE(result.stopped) << debugger.lastStop().message;
        ASSERT_EQ(testing::stateDigest(plain.machine()), testing::stateDigest(watched.machine()))
            << "frame " << frame;
    }
}

// With breakpoints that never hit, the profile and the marks on, the
// watching processor runs the monitor's busy run exactly as the plain one:
// the same record after every frame.
TEST(Debugger, WatchingMachineRunsAsThePlainOne) {
    int lines = 0;
    expectWatchedRunMatchesPlain([&](Debugger& debugger) {
        for (std::uint32_t i = 0; i < 1000; ++i) {
            BreakpointSettings never;
            never.first = 0x8000 + i;
            ASSERT_TRUE(debugger.addBreakpoint(never).ok());
        }
        BreakpointSettings port;
        port.kind = BreakKind::portOut;
        port.first = 0x10;
        port.last = 0x20;
        debugger.addBreakpoint(port);
        BreakpointSettings logged;
        logged.kind = BreakKind::write;
        logged.first = 0x2000;
        logged.last = 0x2FFF;
        logged.logFormat = "{PC}";
        debugger.addBreakpoint(logged);
        debugger.setLogSink([&](std::string_view) { ++lines; });
        DebugRecording recording;
        recording.profile = true;
        recording.accessMarks = true;
        recording.callStack = true;
        recording.traceLength = 64;
        debugger.setRecording(recording);
    });
    EXPECT_GT(lines, 100);  // the tape's program was loaded to 2000 and written out
}

// Where a never-true point of `kind` at `first` is set on the rig, it runs
// `frames` frames beside `plain`, which must keep the same record.
struct NeverTrue {
    BreakKind kind;
    std::uint32_t first;
};
void runAlongsidePlain(testing::TestMachine& plain, DebugRig& rig, NeverTrue point, int frames,
                       int label) {
    BreakpointSettings settings;
    settings.kind = point.kind;
    settings.first = point.first;
    settings.condition = "A==0x100";
    ASSERT_TRUE(rig.debugger.addBreakpoint(settings).ok());
    rig.debugger.attach();
    for (int frame = 0; frame < frames; ++frame) {
        plain.machine.runFrame();
        ASSERT_FALSE(rig.timeline.runFrame(rig.machine(), FrameSound::on).stopped);
        ASSERT_EQ(testing::stateDigest(plain.machine), testing::stateDigest(rig.machine()))
            << "case " << label << ", frame " << frame;
    }
}

// The watching bus reads and writes plain RAM through its own page tables:
// a program that reads every byte from 0200 up, sums it and writes it back
// plus one must leave the same record as on the plain machine with every
// RAM size, with a game ROM in a slot and with snapshot RAM.
TEST(Debugger, WatchingMachineSeesTheSameMemoryMap) {
    // 0100 LD HL,0200 / LD DE,0 / loop: LD A,(HL) / ADD A,E / LD E,A /
    // JR NC,+1 / INC D / LD A,(HL) / INC A / LD (HL),A / INC HL / LD A,H /
    // OR L / JR NZ,loop / JR $
    const std::initializer_list<std::uint8_t> program = {
        0x21, 0x00, 0x02, 0x11, 0x00, 0x00, 0x7E, 0x83, 0x5F, 0x30, 0x01, 0x14,
        0x7E, 0x3C, 0x77, 0x23, 0x7C, 0xB5, 0x20, 0xF2, 0x18, 0xFE};
    auto rom = std::make_shared<SlotD000>();
    for (std::size_t i = 0; i < rom->size(); ++i) (*rom)[i] = static_cast<std::uint8_t>(i * 7);
    for (int setup = 0; setup < 6; ++setup) {
        testing::TestMachine plain;
        DebugRig rig;
        for (Machine* machine : {&plain.machine, &rig.machine()}) {
            machine->config().ramexpanders = setup % 4;
            machine->applyHardwareSettings();
            if (setup == 4) machine->fillSlot(std::shared_ptr<const SlotD000>(rom));
            if (setup == 5) machine->memory().snapshotRam = true;
        }
        plain.runFrom(0x0100, program);
        rig.runFrom(0x0100, program);
        // A write point in a page the program writes, never true.
        runAlongsidePlain(plain, rig, {BreakKind::write, 0x3000}, 150, setup);
        EXPECT_EQ(rig.pc(), 0x0114) << "setup " << setup << ": the loop ran to its end";
    }
}

// Without recording the processor's runs end at the debugger's wake times
// instead of looking at the clock after every step: a T-state point in every
// frame, and points over the whole monitor and its RAM whose condition never
// holds, so that the debugger is asked all through each run and lets it go
// on. The idle loops and HALTs that give up the rest of a budget must still
// run exactly as in one unbroken run.
TEST(Debugger, WatchingMachineRunsAsThePlainOneBetweenWakeTimes) {
    expectWatchedRunMatchesPlain([](Debugger& debugger) {
        BreakpointSettings code;
        code.first = 0xE000;
        code.last = 0xEFFF;
        code.condition = "A==0x100";
        ASSERT_TRUE(debugger.addBreakpoint(code).ok());
        BreakpointSettings data;
        data.kind = BreakKind::write;
        data.first = 0x0000;
        data.last = 0x3FFF;
        data.condition = "SP==0x10000";
        ASSERT_TRUE(debugger.addBreakpoint(data).ok());
        for (std::uint32_t at : {100u, 12345u, 20000u}) {
            BreakpointSettings moment;
            moment.kind = BreakKind::frameTState;
            moment.first = at;
            moment.condition = "A==0x100";
            ASSERT_TRUE(debugger.addBreakpoint(moment).ok());
        }
    });
    // A HALT with no interrupt to end it, and a jump to itself: each gives
    // up the rest of the slice in one step, across the wake time.
    for (const std::uint8_t idle : {std::uint8_t{0x76}, std::uint8_t{0x18}}) {
        testing::TestMachine plain;
        DebugRig rig;
        plain.runFrom(0x2000, {0x00, idle, 0xFE});
        rig.runFrom(0x2000, {0x00, idle, 0xFE});
        runAlongsidePlain(plain, rig, {BreakKind::frameTState, 12345}, 5, idle);
    }
}

}  // namespace
}  // namespace vantorel
