// The debugger of one machine: breakpoints, stepping both ways, and the data
// a debugger window or a remote debugger shows.
//
// One Debugger per Machine, over the Timeline that runs the machine's frames
// (the program keeps one anyway). attach() hands the machine the watch set
// (machine/watch_set.h); while nothing is set the machine runs exactly as
// without a debugger. Every run here goes through the timeline, so the past
// it keeps stays whole, and it can stop after any instruction in the middle
// of a frame; a frame is then finished by the next run (or by the program's
// frame loop calling Timeline::runFrame, which stops at breakpoints too: see
// FrameResult::stopped and lastStop()).
//
// Going back is exact: the machine is put back at the start of the frame
// (Timeline::seek, from the nearest keyframe) and run forward with the
// breakpoints suspended to the instruction boundary wanted. Boundaries are
// told apart by the machine's time in T-states since the timeline's start
// (every instruction takes at least four), which HALT, interrupts and EI do
// not blur. Forward runs over frames the timeline already holds replay them
// with their logged input; the first frame past its end goes live again.
//
// Used by the debugger window (shell/), the remote port (app/) and tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "debug/breakpoint.h"
#include "debug/stop_reason.h"
#include "machine/machine.h"
#include "timeline/timeline.h"
#include "z80/z80_state.h"

namespace vantorel {

// What the debugger records while attached, each costing time only while on.
struct DebugRecording {
    bool callStack = false;       // CALL, RST, RET and interrupts
    bool accessMarks = false;     // last read, write and execute time per byte, last writer's PC
    bool profile = false;         // T-states per address
    std::size_t traceLength = 0;  // instructions kept in the trace ring (0: none)
};

// One line of disassembly.
struct DisassemblyLine {
    std::uint16_t address = 0;
    std::uint8_t length = 1;  // 1-4
    std::uint8_t bytes[4] = {};
    std::string text;         // lower-case Zilog mnemonics
    bool breakpoint = false;  // an enabled execute breakpoint covers the address
    bool pc = false;          // the processor stands here
};

enum class CallKind : std::uint8_t { call, rst, interrupt };

// One routine entered and not yet left, outermost first in callStack().
struct CallFrame {
    CallKind kind = CallKind::call;
    std::uint16_t callSite = 0;  // where the CALL or RST was (or PC when interrupted)
    std::uint16_t target = 0;    // where it went
    std::uint16_t returnSp = 0;  // SP just after the return address was pushed
    std::int64_t enteredAt = 0;  // machine time at the start of the calling instruction
};

// One instruction of the trace ring: the registers before it ran, the bytes
// it was made of and the two words on top of the stack then.
struct TraceEntry {
    Z80State registers;
    std::uint8_t bytes[4] = {};
    std::uint16_t stackTop = 0;
    std::uint16_t stackNext = 0;
    std::int64_t tstate = 0;  // machine time at its start
};

// The last access times of one byte (machine time; -1: none seen), and the
// PC of the instruction that last wrote it.
struct AccessMark {
    std::int64_t read = -1;
    std::int64_t write = -1;
    std::int64_t execute = -1;
    std::int32_t writerPc = -1;
};

// A routine's extent, as symbols give it, for the profile per routine.
struct RoutineRange {
    std::string name;
    std::uint16_t first = 0;
    std::uint16_t last = 0;
};

struct RoutineProfile {
    std::string name;
    std::uint64_t tstates = 0;
};

// Who wrote a byte last, and when.
struct WriteRecord {
    bool found = false;
    std::uint16_t pc = 0;     // the writing instruction
    std::int64_t tstate = 0;  // machine time at its start
    std::uint8_t value = 0;
};

// The tape deck and the UART, for the window.
struct TapeView {
    bool playing = false;
    bool recording = false;
    bool motorOn = false;
    std::uint8_t control = 0;  // the last OUT to FE
    int baud = 300;
    double positionSeconds = 0.0;
    double lengthSeconds = 0.0;
    bool receiverFull = false;  // a received byte waits to be read
    bool overrun = false;       // a byte came before the last was read
    bool framingError = false;  // the last byte's stop bit was missing
    bool transmitterBusy = false;
};

class Debugger {
  public:
    using LogSink = std::function<void(std::string_view line)>;

    Debugger(Machine& machine, Timeline& timeline);
    ~Debugger();
    Debugger(const Debugger&) = delete;
    Debugger& operator=(const Debugger&) = delete;

    // Gives the machine the watch set (and takes it back). The destructor
    // detaches.
    void attach();
    void detach();
    bool attached() const;

    Machine& machine() { return machine_; }
    Timeline& timeline() { return timeline_; }

    // --- Breakpoints ---
    BreakpointResult addBreakpoint(const BreakpointSettings& settings);
    bool removeBreakpoint(int id);
    bool enableBreakpoint(int id, bool enabled);
    void clearBreakpoints();
    const std::vector<Breakpoint>& breakpoints() const;
    // Log points write their lines here (none: they are counted only).
    void setLogSink(LogSink sink);
    // Checks a condition without adding anything: empty, or the error.
    static std::string checkCondition(std::string_view condition);
    // Evaluates an expression (a condition or watch expression) on the
    // machine as it stands; false with `error` set when it does not parse.
    bool evaluate(std::string_view expression, std::int64_t& value, std::string& error) const;

    // --- Running forward (each returns where and why it stopped) ---
    StopReason stepInto();
    // CALL, RST and the repeating block instructions run as one step.
    StopReason stepOver();
    // Runs until the current routine returns (or a breakpoint).
    StopReason stepOut();
    StopReason runToAddress(std::uint16_t address);
    // Runs to the next frame boundary.
    StopReason runFrame();
    // Runs until a breakpoint, a pause, or `maxFrames` frame boundaries
    // passed (StopKind::none then: call again to go on).
    StopReason resume(std::int64_t maxFrames);
    // Asks a run to stop after the current instruction (from a log sink or
    // the window between frames).
    void pause();
    // The reason of the last stop, also one made by Timeline::runFrame.
    const StopReason& lastStop() const;

    // --- Going back (exact; breakpoints are suspended on the way) ---
    StopReason stepBack();
    // To the previous frame boundary (the start of this frame when inside one).
    StopReason stepBackFrame();
    // To the instruction that called the current routine, before it ran.
    StopReason stepOutBack();
    // One step back, but a repeating block instruction's whole loop (LDIR,
    // OTIR ...) and a whole routine just returned from (back to its CALL or
    // RST) count as one.
    StopReason stepBackOver();
    // Back to the last breakpoint or watchpoint hit before now; log points
    // and hit counts are not counted going back.
    StopReason reverseContinue();
    // Takes the machine to machine time `tstate` (an instruction boundary at
    // or before it, the latest one).
    StopReason goToTState(std::int64_t tstate);
    // The last write to `address` before now.
    WriteRecord whoWrote(std::uint16_t address);

    // --- Where it stands ---
    // Machine time: T-states since the timeline's start.
    std::int64_t now() const;
    // T-states since the current frame's start.
    std::int64_t frameTState() const;

    // --- Data for the window ---
    Z80State registers() const;
    // Changes the registers (the timeline's later past is dropped).
    void setRegisters(const Z80State& registers);
    std::uint8_t peek(std::uint16_t address) const;
    void readMemory(std::uint16_t address, std::span<std::uint8_t> out) const;
    // Writes through the memory map (ROM stays as it is).
    void writeMemory(std::uint16_t address, std::span<const std::uint8_t> bytes);
    // `before` lines before `address` (found by decoding forward from
    // earlier on) and `after` lines from it on.
    std::vector<DisassemblyLine> disassembly(std::uint16_t address, int before, int after) const;

    void setRecording(const DebugRecording& recording);
    const DebugRecording& recording() const;
    std::vector<CallFrame> callStack() const;
    // Oldest first.
    std::vector<TraceEntry> trace() const;
    // The trace ring in the register-trace text of the debug log; false
    // (and `error`) when the file cannot be written.
    bool saveTrace(const std::filesystem::path& path, std::string& error) const;
    // T-states per address since the profile was last cleared.
    std::span<const std::uint64_t> profile() const;
    std::vector<RoutineProfile> profileRoutines(std::span<const RoutineRange> routines) const;
    void clearProfile();
    AccessMark accessMark(std::uint16_t address) const;
    TapeView tape() const;

  private:
    class Impl;
    Machine& machine_;
    Timeline& timeline_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantorel
