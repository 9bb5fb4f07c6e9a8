#include "debug/debugger.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "debug/expression.h"
#include "debug/instruction_kind.h"
#include "z80/z80_trace.h"

namespace vantorel {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kStepFrameLimit = 60 * 60;  // a minute of frames for a step to finish
constexpr std::size_t kPoppedCallsKept = 4096;     // returned routines kept for going back

bool memoryKind(BreakKind kind) {
    return kind == BreakKind::execute || kind == BreakKind::read || kind == BreakKind::write;
}

bool portKind(BreakKind kind) {
    return kind == BreakKind::portIn || kind == BreakKind::portOut;
}

// The breakpoint kind an event of the watching bus can hit.
std::optional<BreakKind> kindOf(WatchEventKind kind) {
    switch (kind) {
        case WatchEventKind::read:
            return BreakKind::read;
        case WatchEventKind::write:
            return BreakKind::write;
        case WatchEventKind::portIn:
            return BreakKind::portIn;
        case WatchEventKind::portOut:
            return BreakKind::portOut;
        case WatchEventKind::interrupt:
            return BreakKind::interrupt;
        case WatchEventKind::tapeMotor:
            return BreakKind::tapeMotor;
        case WatchEventKind::uartReceive:
        case WatchEventKind::uartSend:
            return BreakKind::uart;
    }
    return std::nullopt;
}

bool covers(const BreakpointSettings& settings, std::uint32_t value) {
    return value >= settings.first && value <= std::max(settings.first, settings.last);
}

std::string breakText(BreakKind kind) {
    switch (kind) {
        case BreakKind::execute:
            return "breakpoint";
        case BreakKind::read:
            return "read watchpoint";
        case BreakKind::write:
            return "write watchpoint";
        case BreakKind::portIn:
            return "port input";
        case BreakKind::portOut:
            return "port output";
        case BreakKind::interrupt:
            return "interrupt";
        case BreakKind::frameTState:
            return "frame T-state";
        case BreakKind::tapeMotor:
            return "tape motor";
        case BreakKind::uart:
            return "UART";
    }
    return "breakpoint";
}

// The routines entered and not yet left in a run scanned step by step:
// CALL and RST that pushed their return address, interrupts, and the RETs
// that popped one. Going back out of a routine or over one reads it.
struct ScannedCalls {
    struct Entry {
        std::uint16_t returnSp;
        std::int64_t start;  // machine time at the start of the calling step
    };
    std::vector<Entry> stack;

    // Notes one step that started at `start`; true for a RET that popped a
    // return address, with the start of the call it returned to in
    // `matchedCall` (-1: that call came before the scan).
    bool see(const WatchStep& step, const Z80State& registers, std::int64_t start,
             InstructionKind kind, std::int64_t& matchedCall) {
        const auto sp = static_cast<std::uint16_t>(registers.SP);
        if (step.interrupted) stack.push_back({static_cast<std::uint16_t>(step.sp - 2), start});
        if ((kind == InstructionKind::call || kind == InstructionKind::rst) &&
            sp == static_cast<std::uint16_t>(step.sp - 2)) {
            stack.push_back({sp, start});
            return false;
        }
        if (kind != InstructionKind::ret || sp != static_cast<std::uint16_t>(step.sp + 2)) {
            return false;
        }
        matchedCall = -1;
        while (!stack.empty() && stack.back().returnSp < sp) {
            if (stack.back().returnSp == step.sp) matchedCall = stack.back().start;
            stack.pop_back();
        }
        return true;
    }
    // Leaves the routines the stack pointer `sp` has already left.
    void leaveBelow(std::uint16_t sp) {
        while (!stack.empty() && stack.back().returnSp < sp) stack.pop_back();
    }
};

}  // namespace

// The listener the machine's watching bus asks, and everything the
// debugger keeps.
class Debugger::Impl final : public WatchListener {
  public:
    // What a forward run is for.
    enum class Goal : std::uint8_t { none, stepInto, stepOver, stepOut, runTo, frame };

    // One step as a backward scan sees it.
    struct ScanStep {
        const WatchStep& step;
        const Z80State& registers;
        const WatchEvent* events;
        std::size_t eventCount;
    };
    using Observer = std::function<void(const ScanStep&)>;

    struct Compiled {
        std::optional<Expression> condition;
        std::optional<LogFormat> log;
    };

    struct PoppedCall {
        CallFrame frame;
        std::int64_t poppedAt = 0;
    };

    Impl(Machine& m, Timeline& t) : machine(m), timeline(t), watch(std::make_unique<WatchSet>()) {
        watch->listener = this;
        profileCounts.assign(0x10000, 0);
    }

    Machine& machine;
    Timeline& timeline;
    std::unique_ptr<WatchSet> watch;
    std::unique_ptr<AccessMarks> marks;
    bool attached = false;

    std::vector<Breakpoint> breakpoints;
    std::vector<Compiled> compiled;         // beside breakpoints
    std::vector<std::uint32_t> frameMarks;  // the enabled frame T-state breakpoints' offsets
    int nextId = 1;
    LogSink logSink;
    StopReason last;
    std::optional<StopReason> pending;  // made by the listener during a run

    DebugRecording recording;
    std::vector<std::uint64_t> profileCounts;
    std::vector<CallFrame> calls;
    std::vector<PoppedCall> popped;
    std::vector<TraceEntry> ring;
    std::size_t ringNext = 0;
    std::size_t ringCount = 0;

    Goal goal = Goal::none;
    std::uint16_t goalAddress = 0;
    std::uint16_t goalSp = 0;
    bool suspended = false;  // going back: breakpoints only observed
    std::int64_t stopAt = kNever;
    Observer observer;
    bool observerEveryStep = false;
    std::int64_t frameStart = 0;
    WatchStep lastStep;

    std::int64_t now() const { return timeline.positionTStates() + machine.tstatesIntoFrame(); }

    // --- Keeping the watch set in line with what is asked ---

    void rebuildMaps() {
        watch->memory.fill(0);
        watch->ports.fill(0);
        frameMarks.clear();
        bool tape = false;
        for (const Breakpoint& point : breakpoints) {
            const BreakpointSettings& settings = point.settings;
            if (!settings.enabled) continue;
            const std::uint32_t top = std::max(settings.first, settings.last);
            if (memoryKind(settings.kind)) {
                const std::uint8_t bit = settings.kind == BreakKind::execute ? kWatchExecute
                                         : settings.kind == BreakKind::read  ? kWatchRead
                                                                             : kWatchWrite;
                for (std::uint32_t a = settings.first; a <= std::min<std::uint32_t>(top, 0xFFFF);
                     ++a) {
                    watch->memory[a] |= bit;
                }
            } else if (portKind(settings.kind)) {
                const std::uint8_t bit =
                    settings.kind == BreakKind::portIn ? kWatchPortIn : kWatchPortOut;
                for (std::uint32_t p = settings.first & 0xFF;
                     p <= std::min<std::uint32_t>(top, 0xFF); ++p) {
                    watch->ports[p] |= bit;
                }
            } else if (settings.kind == BreakKind::tapeMotor || settings.kind == BreakKind::uart) {
                tape = true;
            } else if (settings.kind == BreakKind::frameTState) {
                frameMarks.push_back(settings.first);
            }
        }
        if (recording.accessMarks) {
            for (std::uint8_t& bits : watch->memory) bits |= kWatchMarks;
        }
        watch->updatePages();
        watch->watchTape = tape;
        refresh();
    }

    bool anyEnabled() const {
        return std::any_of(breakpoints.begin(), breakpoints.end(),
                           [](const Breakpoint& point) { return point.settings.enabled; });
    }

    void refresh() {
        WatchSet& w = *watch;
        const bool recordSteps =
            !suspended && (recording.callStack || recording.profile || recording.traceLength > 0);
        w.everyStep = recordSteps || goal != Goal::none || (suspended && observerEveryStep);
        w.marks = recording.accessMarks ? marks.get() : nullptr;
        w.active = attached && (anyEnabled() || w.everyStep || w.marks != nullptr || suspended ||
                                w.pause || stopAt != kNever);
        w.startWork = w.everyStep || w.marks != nullptr;
        if (attached) {
            machine.setWatch(watch.get());
        } else if (machine.watch() == watch.get()) {
            machine.setWatch(nullptr);
        }
        frameStart = timeline.positionTStates();
        computeWake(now());
    }

    // The next time the listener must look: a frame T-state breakpoint of
    // this frame still ahead, or the clock a backward run stops at.
    void computeWake(std::int64_t after) {
        std::int64_t wake = stopAt;
        if (!suspended) {
            for (const std::uint32_t offset : frameMarks) {
                const std::int64_t at = frameStart + offset;
                if (at >= after && at < wake) wake = at;
            }
        }
        watch->wakeAt = wake;
        watch->aim(machine.tstateCounter());
    }

    // --- WatchListener ---

    void frameBegun(std::int64_t clock) override {
        frameStart = clock;
        computeWake(clock);
    }

    void stepStarting(const Z80State& registers) override {
        if (suspended || recording.traceLength == 0 || ring.empty()) return;
        TraceEntry& entry = ring[ringNext];
        entry.registers = registers;
        const WatchStep& step = watch->step;
        std::copy(std::begin(step.opcode), std::end(step.opcode), std::begin(entry.bytes));
        const auto sp = static_cast<std::uint16_t>(registers.SP);
        const auto word = [this](std::uint16_t at) {
            return static_cast<std::uint16_t>(
                machine.peek(at) | machine.peek(static_cast<std::uint16_t>(at + 1)) << 8);
        };
        entry.stackTop = word(sp);
        entry.stackNext = word(static_cast<std::uint16_t>(sp + 2));
        entry.tstate = watch->stepStart;
        ringNext = (ringNext + 1) % ring.size();
        ringCount = std::min(ringCount + 1, ring.size());
    }

    bool stepEnded(const WatchStep& step, const Z80State& registers, const WatchEvent* events,
                   std::size_t eventCount, bool) override {
        lastStep = step;
        if (suspended) {
            if (observer) observer({step, registers, events, eventCount});
            return step.endClock >= stopAt;
        }
        if (recording.profile) profileCounts[step.pc] += step.tstates;
        if (recording.callStack) noteCalls(step, registers);
        std::optional<StopReason> stop =
            checkBreakpoints(step, registers, events, eventCount, true);
        if (step.endClock >= watch->wakeAt) computeWake(step.endClock);
        if (!stop && watch->pause) {
            watch->pause = false;
            stop = StopReason{};
            stop->kind = StopKind::paused;
            stop->message = "paused";
        }
        if (!stop) stop = checkGoal(step, registers);
        if (!stop) return false;
        stop->pc = static_cast<std::uint16_t>(registers.PC);
        stop->tstate = step.endClock;
        last = *stop;
        pending = std::move(stop);
        return true;
    }

    // --- Breakpoints ---

    bool conditionHolds(std::size_t index, const Z80State& registers) const {
        const Compiled& code = compiled[index];
        return !code.condition || code.condition->evaluate(registers, machine) != 0;
    }

    // The first breakpoint that stops here; counts hits and writes log lines
    // when `live`, only looks when going back.
    std::optional<StopReason> checkBreakpoints(const WatchStep& step, const Z80State& registers,
                                               const WatchEvent* events, std::size_t eventCount,
                                               bool live) {
        std::optional<StopReason> stop;
        const auto consider = [&](std::size_t index, std::uint16_t address, std::uint8_t value) {
            Breakpoint& point = breakpoints[index];
            if (!conditionHolds(index, registers)) return;
            if (!live) {
                if (point.settings.logFormat.empty() && !stop)
                    stop = hitReason(point, address, value);
                return;
            }
            ++point.hits;
            if (!point.settings.logFormat.empty()) {
                if (logSink && compiled[index].log)
                    logSink(compiled[index].log->format(registers, machine));
                return;
            }
            if (point.hits >= std::max<std::uint32_t>(point.settings.stopOnHit, 1) && !stop) {
                stop = hitReason(point, address, value);
            }
        };
        for (std::size_t e = 0; e < eventCount; ++e) {
            const std::optional<BreakKind> kind = kindOf(events[e].kind);
            if (!kind) continue;
            for (std::size_t i = 0; i < breakpoints.size(); ++i) {
                const BreakpointSettings& settings = breakpoints[i].settings;
                if (!settings.enabled || settings.kind != *kind) continue;
                const std::uint32_t where =
                    portKind(*kind) ? (events[e].address & 0xFFu) : events[e].address;
                if (memoryKind(*kind) || portKind(*kind)) {
                    if (!covers(settings, where)) continue;
                }
                consider(i, events[e].address, events[e].value);
            }
        }
        const auto pc = static_cast<std::uint16_t>(registers.PC);
        if (watch->watched(pc, kWatchExecute)) {
            for (std::size_t i = 0; i < breakpoints.size(); ++i) {
                const BreakpointSettings& settings = breakpoints[i].settings;
                if (settings.enabled && settings.kind == BreakKind::execute &&
                    covers(settings, pc)) {
                    consider(i, pc, 0);
                }
            }
        }
        const std::int64_t stepStart = step.endClock - step.tstates;
        for (std::size_t i = 0; i < breakpoints.size(); ++i) {
            const BreakpointSettings& settings = breakpoints[i].settings;
            if (!settings.enabled || settings.kind != BreakKind::frameTState) continue;
            const std::int64_t at = frameStart + settings.first;
            if (at >= stepStart && at < step.endClock) consider(i, 0, 0);
        }
        return stop;
    }

    static StopReason hitReason(const Breakpoint& point, std::uint16_t address,
                                std::uint8_t value) {
        StopReason reason;
        reason.kind = StopKind::breakpoint;
        reason.breakpointId = point.id;
        reason.breakKind = point.settings.kind;
        reason.address = address;
        reason.value = value;
        reason.message = breakText(point.settings.kind) + " " + std::to_string(point.id);
        return reason;
    }

    std::optional<StopReason> checkGoal(const WatchStep& step, const Z80State& registers) {
        const auto pc = static_cast<std::uint16_t>(registers.PC);
        const auto sp = static_cast<std::uint16_t>(registers.SP);
        bool done = false;
        StopKind kind = StopKind::step;
        switch (goal) {
            case Goal::stepInto:
                done = true;
                break;
            case Goal::stepOver:
                done = (pc == goalAddress && sp == goalSp) || sp > goalSp;
                break;
            case Goal::stepOut:
                done = instructionKind(step.opcode) == InstructionKind::ret && !step.interrupted &&
                       sp == static_cast<std::uint16_t>(step.sp + 2) && sp > goalSp;
                break;
            case Goal::runTo:
                done = pc == goalAddress;
                kind = StopKind::runToCursor;
                break;
            default:
                break;
        }
        if (!done) return std::nullopt;
        StopReason reason;
        reason.kind = kind;
        reason.message = kind == StopKind::runToCursor ? "reached the cursor" : "step";
        return reason;
    }

    // --- The call stack ---

    void noteCalls(const WatchStep& step, const Z80State& registers) {
        const auto sp = static_cast<std::uint16_t>(registers.SP);
        const std::int64_t start = step.endClock - step.tstates;
        if (step.interrupted) {
            calls.push_back({CallKind::interrupt, step.interruptPc, step.pc,
                             static_cast<std::uint16_t>(step.sp), start});
        }
        const InstructionKind kind = instructionKind(step.opcode);
        if ((kind == InstructionKind::call || kind == InstructionKind::rst) &&
            sp == static_cast<std::uint16_t>(step.sp - 2)) {
            calls.push_back({kind == InstructionKind::rst ? CallKind::rst : CallKind::call, step.pc,
                             static_cast<std::uint16_t>(registers.PC), sp, start});
        } else if (kind == InstructionKind::ret && sp == static_cast<std::uint16_t>(step.sp + 2)) {
            while (!calls.empty() && calls.back().returnSp < sp) {
                if (popped.size() >= kPoppedCallsKept) popped.erase(popped.begin());
                popped.push_back({calls.back(), step.endClock});
                calls.pop_back();
            }
        }
    }

    // Going back to `tstate`: routines entered since are forgotten, those
    // left since come back.
    void rewindRecords(std::int64_t tstate) {
        while (!calls.empty() && calls.back().enteredAt >= tstate) calls.pop_back();
        std::vector<CallFrame> back;
        while (!popped.empty() && popped.back().poppedAt > tstate) {
            if (popped.back().frame.enteredAt < tstate) back.push_back(popped.back().frame);
            popped.pop_back();
        }
        for (auto it = back.begin(); it != back.end(); ++it) calls.push_back(*it);
        std::sort(calls.begin(), calls.end(),
                  [](const CallFrame& a, const CallFrame& b) { return a.enteredAt < b.enteredAt; });
        while (ringCount > 0) {
            const std::size_t newest = (ringNext + ring.size() - 1) % ring.size();
            if (ring[newest].tstate < tstate) break;
            ringNext = newest;
            --ringCount;
        }
    }

    // --- Running ---

    StopReason finish(StopReason reason) {
        goal = Goal::none;
        refresh();
        if (reason.kind != StopKind::none) {
            reason.pc = static_cast<std::uint16_t>(machine.registers().PC);
            reason.tstate = now();
            last = reason;
        }
        return reason;
    }

    static StopReason simple(StopKind kind, std::string message) {
        StopReason reason;
        reason.kind = kind;
        reason.message = std::move(message);
        return reason;
    }

    // Runs frames forward (replaying those the timeline holds) towards
    // `goal`, at most `maxFrames` frame boundaries.
    StopReason run(Goal wanted, std::int64_t maxFrames) {
        if (!machine.running())
            return finish(simple(StopKind::notRunning, "the machine is not running"));
        if (!attached) attach();
        goal = wanted;
        pending.reset();
        refresh();
        for (std::int64_t frames = 0; frames < maxFrames;) {
            const FrameResult result = runOneFrame(FrameSound::on);
            if (!result.ran)
                return finish(simple(StopKind::notRunning, "the machine is not running"));
            if (result.stopped && pending) return finish(*pending);
            if (!result.complete) continue;
            ++frames;
            if (goal == Goal::frame) return finish(simple(StopKind::frame, "frame"));
        }
        return finish(StopReason{});
    }

    FrameResult runOneFrame(FrameSound sound) {
        if (timeline.started() && timeline.position() < timeline.end()) {
            return timeline.replayFrame(machine);
        }
        return timeline.runFrame(machine, sound);
    }

    void attach() {
        attached = true;
        if (recording.accessMarks && !marks) {
            marks = std::make_unique<AccessMarks>();
            marks->clear();
        }
        refresh();
    }

    // --- Going back ---

    // Runs forward with the breakpoints suspended until the clock reaches
    // `until` (an instruction boundary lands on it exactly); `look` sees
    // every step (each one when `everyStep`, else only those with a hit).
    bool pass(std::int64_t until, Observer look, bool everyStep) {
        attached = true;
        suspended = true;
        stopAt = until;
        observer = std::move(look);
        observerEveryStep = everyStep;
        refresh();
        bool reached = now() >= until;
        for (std::int64_t frames = 0; !reached && frames < kStepFrameLimit * 1000;) {
            const FrameResult result = runOneFrame(FrameSound::off);
            if (!result.ran) break;
            if (result.complete) ++frames;
            reached = now() >= until;
        }
        suspended = false;
        stopAt = kNever;
        observer = nullptr;
        observerEveryStep = false;
        refresh();
        return reached;
    }

    // Puts the machine at the start of the frame `tstate` falls in. The
    // frames the timeline replays to get there run on the plain processor:
    // a breakpoint, the profile or the call stack must not see them, and a
    // stop inside one would leave it half run.
    bool seekQuietly(std::int64_t tstate) {
        machine.setWatch(nullptr);
        const bool reached = timeline.seekTState(machine, tstate);
        refresh();
        return reached;
    }

    // Takes the machine to the latest instruction boundary at or before
    // `tstate`.
    bool goTo(std::int64_t tstate) {
        if (!timeline.started()) return false;
        tstate = std::max<std::int64_t>(tstate, 0);
        if (!seekQuietly(tstate)) return false;
        if (now() == tstate) return true;
        if (!pass(tstate, nullptr, false)) return false;
        if (now() == tstate) return true;
        // The step that crossed it started at the boundary wanted.
        const std::int64_t boundary = now() - lastStep.tstates;
        if (!seekQuietly(boundary)) return false;
        return now() == boundary || (pass(boundary, nullptr, false) && now() == boundary);
    }

    StopReason arrive(std::int64_t tstate, StopKind kind, std::string message) {
        rewindRecords(tstate);
        if (!goTo(tstate)) return finish(simple(StopKind::failed, "could not go back there"));
        return finish(simple(kind, std::move(message)));
    }

    // The start of the frame boundary window `span` frames' worth before
    // `end`, for scans that go back further and further.
    std::int64_t windowStart(std::int64_t end, int round) const {
        const std::int64_t frame = std::max<std::int64_t>(
            machine.timing().activeScanTStates + machine.timing().verticalBlankTStates, 1);
        const std::int64_t span = frame << (4 * round);
        return std::max<std::int64_t>(end - span, 0);
    }

    // Scans [from, to) step by step; false when the machine could not be
    // taken there.
    bool scan(std::int64_t from, std::int64_t to, const Observer& look) {
        if (!seekQuietly(from)) return false;
        return pass(to, look, true);
    }
};

Debugger::Debugger(Machine& machine, Timeline& timeline)
    : machine_(machine), timeline_(timeline), impl_(std::make_unique<Impl>(machine, timeline)) {}

Debugger::~Debugger() {
    detach();
}

void Debugger::attach() {
    impl_->attach();
}

void Debugger::detach() {
    impl_->attached = false;
    impl_->goal = Impl::Goal::none;
    impl_->refresh();
}

bool Debugger::attached() const {
    return impl_->attached;
}

// --- Breakpoints ---

BreakpointResult Debugger::addBreakpoint(const BreakpointSettings& settings) {
    Impl::Compiled code;
    std::string error;
    if (!settings.condition.empty()) {
        code.condition = Expression::parse(settings.condition, Expression::Use::condition, error);
        if (!code.condition) return {0, "condition: " + error};
    }
    if (!settings.logFormat.empty()) {
        code.log = LogFormat::parse(settings.logFormat, error);
        if (!code.log) return {0, error};
    }
    const std::uint32_t limit = memoryKind(settings.kind) ? 0xFFFF
                                : portKind(settings.kind) ? 0xFF
                                                          : 0;
    if ((memoryKind(settings.kind) || portKind(settings.kind)) &&
        (settings.first > limit || std::max(settings.first, settings.last) > limit)) {
        return {0, "address out of range"};
    }
    Breakpoint point;
    point.id = impl_->nextId++;
    point.settings = settings;
    impl_->breakpoints.push_back(point);
    impl_->compiled.push_back(std::move(code));
    impl_->rebuildMaps();
    return {point.id, {}};
}

bool Debugger::removeBreakpoint(int id) {
    auto& points = impl_->breakpoints;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].id != id) continue;
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(i));
        impl_->compiled.erase(impl_->compiled.begin() + static_cast<std::ptrdiff_t>(i));
        impl_->rebuildMaps();
        return true;
    }
    return false;
}

bool Debugger::enableBreakpoint(int id, bool enabled) {
    for (Breakpoint& point : impl_->breakpoints) {
        if (point.id != id) continue;
        point.settings.enabled = enabled;
        impl_->rebuildMaps();
        return true;
    }
    return false;
}

void Debugger::clearBreakpoints() {
    impl_->breakpoints.clear();
    impl_->compiled.clear();
    impl_->rebuildMaps();
}

const std::vector<Breakpoint>& Debugger::breakpoints() const {
    return impl_->breakpoints;
}

void Debugger::setLogSink(LogSink sink) {
    impl_->logSink = std::move(sink);
}

std::string Debugger::checkCondition(std::string_view condition) {
    std::string error;
    Expression::parse(condition, Expression::Use::condition, error);
    return error;
}

bool Debugger::evaluate(std::string_view expression, std::int64_t& value,
                        std::string& error) const {
    const auto compiled = Expression::parse(expression, Expression::Use::value, error);
    if (!compiled) return false;
    value = compiled->evaluate(machine_.registers(), machine_);
    return true;
}

// --- Running forward ---

StopReason Debugger::stepInto() {
    return impl_->run(Impl::Goal::stepInto, 2);
}

StopReason Debugger::stepOver() {
    const Z80State registers = machine_.registers();
    const auto pc = static_cast<std::uint16_t>(registers.PC);
    std::uint8_t bytes[4];
    for (std::uint16_t i = 0; i < 4; ++i)
        bytes[i] = machine_.peek(static_cast<std::uint16_t>(pc + i));
    const InstructionKind kind = instructionKind(bytes);
    if (kind != InstructionKind::call && kind != InstructionKind::rst &&
        kind != InstructionKind::blockRepeat) {
        return stepInto();
    }
    std::array<char, kDisassemblyTextSize> text{};
    const int length = machine_.disassemble(pc, text);
    impl_->goalAddress = static_cast<std::uint16_t>(pc + length);
    impl_->goalSp = static_cast<std::uint16_t>(registers.SP);
    return impl_->run(Impl::Goal::stepOver, kStepFrameLimit);
}

StopReason Debugger::stepOut() {
    impl_->goalSp = static_cast<std::uint16_t>(machine_.registers().SP);
    return impl_->run(Impl::Goal::stepOut, kStepFrameLimit);
}

StopReason Debugger::runToAddress(std::uint16_t address) {
    impl_->goalAddress = address;
    return impl_->run(Impl::Goal::runTo, kStepFrameLimit);
}

StopReason Debugger::runFrame() {
    return impl_->run(Impl::Goal::frame, 1);
}

StopReason Debugger::resume(std::int64_t maxFrames) {
    return impl_->run(Impl::Goal::none, maxFrames);
}

void Debugger::pause() {
    impl_->watch->pause = true;
    impl_->refresh();
}

const StopReason& Debugger::lastStop() const {
    return impl_->last;
}

// --- Going back ---

StopReason Debugger::stepBack() {
    Impl& d = *impl_;
    const std::int64_t here = d.now();
    if (here <= 0 || !timeline_.started()) {
        return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
    }
    // Run up to here again to learn how long the last step was.
    if (!d.seekQuietly(here - 1) || !d.pass(here, nullptr, false)) {
        return d.finish(Impl::simple(StopKind::failed, "could not run to here again"));
    }
    return d.arrive(here - d.lastStep.tstates, StopKind::step, "step back");
}

StopReason Debugger::stepBackFrame() {
    Impl& d = *impl_;
    if (!timeline_.started()) return d.finish(Impl::simple(StopKind::historyStart, "no timeline"));
    std::int64_t frame = timeline_.position();
    if (!machine_.midFrame()) --frame;
    if (frame < 0)
        return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
    if (!timeline_.seek(machine_, frame))
        return d.finish(Impl::simple(StopKind::failed, "could not seek"));
    d.rewindRecords(d.now());
    return d.finish(Impl::simple(StopKind::frame, "frame back"));
}

StopReason Debugger::stepBackOver() {
    Impl& d = *impl_;
    const std::int64_t here = d.now();
    if (here <= 0 || !timeline_.started()) {
        return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
    }
    for (int round = 0;; ++round) {
        const std::int64_t from = d.windowStart(here, round);
        // Steps since `from`: the routines entered, the run of one repeating
        // block instruction, and the last step.
        ScannedCalls calls;
        std::int64_t firstStart = -1;
        std::int64_t blockRunStart = -1;
        std::uint16_t blockPc = 0;
        std::int64_t lastStart = -1;
        bool lastIsBlock = false;
        bool lastIsReturn = false;
        std::int64_t matchedCall = -1;
        const Impl::Observer look = [&](const Impl::ScanStep& s) {
            const std::int64_t start = s.step.endClock - s.step.tstates;
            if (firstStart < 0) firstStart = start;
            const InstructionKind kind = instructionKind(s.step.opcode);
            lastIsBlock = kind == InstructionKind::blockRepeat && !s.step.interrupted;
            if (lastIsBlock) {
                if (blockRunStart < 0 || blockPc != s.step.pc || lastStart < 0)
                    blockRunStart = start;
                blockPc = s.step.pc;
            } else {
                blockRunStart = -1;
            }
            lastIsReturn = calls.see(s.step, s.registers, start, kind, matchedCall);
            lastStart = start;
        };
        if (!d.scan(from, here, look) || d.now() != here) {
            return d.finish(Impl::simple(StopKind::failed, "could not run to here again"));
        }
        const bool atHistoryStart = from == 0;
        std::int64_t target = lastStart;
        if (lastIsBlock) {
            if (blockRunStart == firstStart && !atHistoryStart) continue;  // may start earlier
            target = blockRunStart;
        } else if (lastIsReturn) {
            if (matchedCall < 0 && !atHistoryStart) continue;
            if (matchedCall >= 0) target = matchedCall;
        }
        if (target < 0)
            return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
        return d.arrive(target, StopKind::step, "step back");
    }
}

StopReason Debugger::stepOutBack() {
    Impl& d = *impl_;
    const std::int64_t here = d.now();
    const auto spNow = static_cast<std::uint16_t>(machine_.registers().SP);
    if (here <= 0 || !timeline_.started()) {
        return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
    }
    for (int round = 0;; ++round) {
        const std::int64_t from = d.windowStart(here, round);
        ScannedCalls calls;
        std::int64_t unused = -1;
        const Impl::Observer look = [&](const Impl::ScanStep& s) {
            calls.see(s.step, s.registers, s.step.endClock - s.step.tstates,
                      instructionKind(s.step.opcode), unused);
        };
        if (!d.scan(from, here, look) || d.now() != here) {
            return d.finish(Impl::simple(StopKind::failed, "could not run to here again"));
        }
        calls.leaveBelow(spNow);
        if (!calls.stack.empty()) {
            return d.arrive(calls.stack.back().start, StopKind::step,
                            "out of the routine, backwards");
        }
        if (from == 0) {
            return d.finish(Impl::simple(StopKind::historyStart,
                                         "no call found before the start of the timeline"));
        }
    }
}

StopReason Debugger::reverseContinue() {
    Impl& d = *impl_;
    const std::int64_t here = d.now();
    if (here <= 0 || !timeline_.started()) {
        return d.finish(Impl::simple(StopKind::historyStart, "at the start of the timeline"));
    }
    std::int64_t end = here;
    while (end > 0) {
        // From the last keyframe before the window's end.
        std::size_t index = timeline_.keyframeCount();
        while (index > 0 && timeline_.keyframeTState(index - 1) >= end) --index;
        const std::int64_t from = index > 0 ? timeline_.keyframeTState(index - 1) : 0;
        std::optional<StopReason> found;
        const Impl::Observer look = [&](const Impl::ScanStep& s) {
            if (s.step.endClock >= here) return;
            auto hit = d.checkBreakpoints(s.step, s.registers, s.events, s.eventCount, false);
            if (hit) {
                hit->tstate = s.step.endClock;
                found = std::move(hit);
            }
        };
        const bool frameMarks =
            std::any_of(d.breakpoints.begin(), d.breakpoints.end(), [](const Breakpoint& point) {
                return point.settings.enabled && point.settings.kind == BreakKind::frameTState;
            });
        if (!d.seekQuietly(from) || !d.pass(end, look, frameMarks)) break;
        if (found) {
            StopReason reason = *found;
            d.rewindRecords(reason.tstate);
            if (!d.goTo(reason.tstate)) break;
            return d.finish(reason);
        }
        end = from;
    }
    return d.arrive(0, StopKind::historyStart, "no breakpoint hit before now");
}

StopReason Debugger::goToTState(std::int64_t tstate) {
    return impl_->arrive(tstate, StopKind::step, "moved");
}

WriteRecord Debugger::whoWrote(std::uint16_t address) {
    Impl& d = *impl_;
    const std::int64_t here = d.now();
    WriteRecord record;
    if (d.marks && d.recording.accessMarks) {
        const std::int64_t at = d.marks->write[address];
        if (at >= 0 && at < here) {
            record.found = true;
            record.pc = static_cast<std::uint16_t>(d.marks->writerPc[address]);
            record.tstate = at;
            record.value = machine_.peek(address);
            return record;
        }
    }
    if (!timeline_.started() || here <= 0) return record;
    const std::uint8_t bits = d.watch->memory[address];
    d.watch->memory[address] = static_cast<std::uint8_t>(bits | kWatchWrite);
    d.watch->updatePages();
    const StopReason kept = d.last;
    std::int64_t end = here;
    for (int round = 0; end > 0 && !record.found; ++round) {
        const std::int64_t from = d.windowStart(end, round);
        const Impl::Observer look = [&](const Impl::ScanStep& s) {
            for (std::size_t e = 0; e < s.eventCount; ++e) {
                if (s.events[e].kind != WatchEventKind::write || s.events[e].address != address)
                    continue;
                if (s.step.endClock > here) continue;
                record.found = true;
                record.pc = s.step.pc;
                record.tstate = s.step.endClock - s.step.tstates;
                record.value = s.events[e].value;
            }
        };
        if (!d.seekQuietly(from) || !d.pass(end, look, true)) break;
        end = from;
    }
    d.watch->memory[address] = bits;
    d.watch->updatePages();
    d.goTo(here);
    d.last = kept;
    return record;
}

std::int64_t Debugger::now() const {
    return impl_->now();
}

std::int64_t Debugger::frameTState() const {
    return machine_.tstatesIntoFrame();
}

// --- Data for the window ---

Z80State Debugger::registers() const {
    return machine_.registers();
}

// An edit makes a new future: what the timeline kept after now is dropped.
// One made inside a frame is kept with the frame's end, so that the frames
// after it replay from what ran.
namespace {
template <class Change>
void editMachine(Machine& machine, Timeline& timeline, Change change) {
    if (timeline.started() && timeline.position() < timeline.end()) timeline.dropFuture();
    change();
    if (machine.midFrame()) timeline.frameEditedInside();
}
}  // namespace

void Debugger::setRegisters(const Z80State& registers) {
    editMachine(machine_, timeline_, [&] { machine_.setRegisters(registers); });
}

std::uint8_t Debugger::peek(std::uint16_t address) const {
    return machine_.peek(address);
}

void Debugger::readMemory(std::uint16_t address, std::span<std::uint8_t> out) const {
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = machine_.peek(static_cast<std::uint16_t>(address + i));
    }
}

void Debugger::writeMemory(std::uint16_t address, std::span<const std::uint8_t> bytes) {
    editMachine(machine_, timeline_, [&] {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            machine_.writeMemory(static_cast<std::uint16_t>(address + i), bytes[i]);
        }
    });
}

std::vector<DisassemblyLine> Debugger::disassembly(std::uint16_t address, int before,
                                                   int after) const {
    const auto line = [this](std::uint16_t at) {
        DisassemblyLine out;
        std::array<char, kDisassemblyTextSize> text{};
        out.address = at;
        out.length = static_cast<std::uint8_t>(machine_.disassemble(at, text));
        out.text = text.data();
        for (int i = 0; i < out.length; ++i)
            out.bytes[i] = machine_.peek(static_cast<std::uint16_t>(at + i));
        out.breakpoint = impl_->watch->watched(at, kWatchExecute);
        out.pc = at == static_cast<std::uint16_t>(machine_.registers().PC);
        return out;
    };
    std::vector<DisassemblyLine> lines;
    // Lines before: decoding from the earliest start that lands on `address`.
    before = std::max(before, 0);
    for (int back = 4 * before; back > 0 && before > 0; --back) {
        std::vector<DisassemblyLine> run;
        auto at = static_cast<std::uint16_t>(address - back);
        int walked = 0;
        while (walked < back) {
            run.push_back(line(at));
            walked += run.back().length;
            at = static_cast<std::uint16_t>(at + run.back().length);
        }
        if (walked != back) continue;
        const auto keep = std::min<std::size_t>(run.size(), static_cast<std::size_t>(before));
        lines.assign(run.end() - static_cast<std::ptrdiff_t>(keep), run.end());
        break;
    }
    auto at = address;
    for (int i = 0; i < after; ++i) {
        lines.push_back(line(at));
        at = static_cast<std::uint16_t>(at + lines.back().length);
    }
    return lines;
}

void Debugger::setRecording(const DebugRecording& recording) {
    Impl& d = *impl_;
    d.recording = recording;
    if (recording.accessMarks && !d.marks) {
        d.marks = std::make_unique<AccessMarks>();
        d.marks->clear();
    }
    if (d.ring.size() != recording.traceLength) {
        d.ring.assign(recording.traceLength, TraceEntry{});
        d.ringNext = 0;
        d.ringCount = 0;
    }
    if (!recording.callStack) {
        d.calls.clear();
        d.popped.clear();
    }
    d.rebuildMaps();
}

const DebugRecording& Debugger::recording() const {
    return impl_->recording;
}

std::vector<CallFrame> Debugger::callStack() const {
    return impl_->calls;
}

std::vector<TraceEntry> Debugger::trace() const {
    const Impl& d = *impl_;
    std::vector<TraceEntry> out;
    out.reserve(d.ringCount);
    const std::size_t first =
        (d.ringNext + d.ring.size() - d.ringCount) % std::max<std::size_t>(d.ring.size(), 1);
    for (std::size_t i = 0; i < d.ringCount; ++i)
        out.push_back(d.ring[(first + i) % d.ring.size()]);
    return out;
}

bool Debugger::saveTrace(const std::filesystem::path& path, std::string& error) const {
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) {
        error = "cannot write " + path.string();
        return false;
    }
    for (const TraceEntry& entry : trace()) {
        char text[kDisassemblyTextSize];
        const InstructionByteReader reader = [](void* context, std::uint16_t at) -> std::uint8_t {
            const auto* e = static_cast<const TraceEntry*>(context);
            return e->bytes[static_cast<std::uint16_t>(at - e->registers.PC) & 3];
        };
        disassembleZ80(text, sizeof text, static_cast<std::uint16_t>(entry.registers.PC), reader,
                       const_cast<TraceEntry*>(&entry));
        writeTraceEntry(file, entry.registers, text, entry.stackTop, entry.stackNext);
    }
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

std::span<const std::uint64_t> Debugger::profile() const {
    return impl_->profileCounts;
}

std::vector<RoutineProfile> Debugger::profileRoutines(
    std::span<const RoutineRange> routines) const {
    std::vector<RoutineProfile> out;
    out.reserve(routines.size());
    for (const RoutineRange& routine : routines) {
        RoutineProfile entry{routine.name, 0};
        for (std::uint32_t a = routine.first; a <= std::max(routine.first, routine.last); ++a) {
            entry.tstates += impl_->profileCounts[a];
        }
        out.push_back(std::move(entry));
    }
    return out;
}

void Debugger::clearProfile() {
    std::fill(impl_->profileCounts.begin(), impl_->profileCounts.end(), 0);
}

AccessMark Debugger::accessMark(std::uint16_t address) const {
    const Impl& d = *impl_;
    if (!d.marks) return {};
    return {d.marks->read[address], d.marks->write[address], d.marks->execute[address],
            d.marks->writerPc[address]};
}

TapeView Debugger::tape() const {
    const TapeDeck& deck = machine_.tape();
    TapeView view;
    view.playing = deck.playing();
    view.recording = deck.recording();
    view.motorOn = deck.motorOn();
    view.control = deck.control();
    view.baud = deck.baud() == TapeBaud::baud1200 ? 1200 : 300;
    view.positionSeconds = deck.positionSeconds();
    view.lengthSeconds = deck.lengthSeconds();
    view.receiverFull = deck.receiver().dataReceived();
    view.overrun = deck.receiver().overrun();
    view.framingError = deck.receiver().framingError();
    view.transmitterBusy = deck.transmitter().busy();
    return view;
}

}  // namespace vantorel
