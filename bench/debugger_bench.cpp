// What the debugger costs and how fast it goes back.
//
//   framesPlain               whole Fast-mode frames, no debugger (as machine_bench)
//   framesDebuggerNothingSet  a debugger attached with nothing set: the plain processor
//   framesThousandBreakpoints 1,000 execute and 100 memory and port breakpoints, none hit:
//                             the watching processor
//   monitorFrames...          the same two over the built-in monitor at its prompt
//   stepBackLatency           one step back at random points of a 60 s run through the
//                             timeline: p50 and p99 in milliseconds
//   goToTStateLatency         a jump to a random T-state of the same run: p50 and p99
//   reverseContinueSixtySeconds  a reverse-continue that finds no hit in 60 s of history
//
// The program is machine_bench's instruction mix in RAM (bench_machine.h),
// which never idles, so every frame is full of instructions.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/debugger_bench.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "app/boot.h"
#include "bench_machine.h"
#include "config/frame_timing.h"
#include "debug/debugger.h"
#include "machine/machine.h"
#include "timeline/timeline.h"

namespace vantorel {
namespace {

using bench::benchMachine;

void countRate(benchmark::State& state, std::int64_t tstates) {
    state.counters["tstates_per_second"] =
        benchmark::Counter(static_cast<double>(tstates), benchmark::Counter::kIsRate);
}

void framesPlain(benchmark::State& state) {
    auto machine = benchMachine();
    std::int64_t tstates = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine->runFrame());
        tstates += machine->lastFrame().total();
    }
    countRate(state, tstates);
}
BENCHMARK(framesPlain)->Unit(benchmark::kMicrosecond);

void framesDebuggerNothingSet(benchmark::State& state) {
    auto machine = benchMachine();
    Timeline timeline;
    Debugger debugger{*machine, timeline};
    debugger.attach();
    std::int64_t tstates = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine->runFrame());
        tstates += machine->lastFrame().total();
    }
    if (machine->watch() == nullptr || machine->watch()->active) {
        state.SkipWithError("the watch set should be given but idle");
    }
    countRate(state, tstates);
}
BENCHMARK(framesDebuggerNothingSet)->Unit(benchmark::kMicrosecond);

void framesThousandBreakpoints(benchmark::State& state) {
    auto machine = benchMachine();
    Timeline timeline;
    Debugger debugger{*machine, timeline};
    for (std::uint32_t i = 0; i < 1000; ++i) {  // code nothing runs
        BreakpointSettings settings;
        settings.first = 0x8000 + 3 * i;
        debugger.addBreakpoint(settings);
    }
    for (std::uint32_t i = 0; i < 50; ++i) {  // data nothing touches
        BreakpointSettings settings;
        settings.kind = i % 2 == 0 ? BreakKind::read : BreakKind::write;
        settings.first = 0x7000 + 16 * i;
        settings.last = settings.first + 7;
        debugger.addBreakpoint(settings);
    }
    for (std::uint32_t i = 0; i < 50; ++i) {  // ports nothing uses
        BreakpointSettings settings;
        settings.kind = i % 2 == 0 ? BreakKind::portIn : BreakKind::portOut;
        settings.first = 0x10 + i;
        debugger.addBreakpoint(settings);
    }
    debugger.attach();
    std::int64_t tstates = 0;
    for (auto _ : state) {
        const FrameResult result = machine->runFrame();
        if (result.stopped) state.SkipWithError("a breakpoint was hit");
        tstates += machine->lastFrame().total();
    }
    if (machine->watch() == nullptr || !machine->watch()->active) {
        state.SkipWithError("the watching processor should run");
    }
    countRate(state, tstates);
}
BENCHMARK(framesThousandBreakpoints)->Unit(benchmark::kMicrosecond);

// The built-in monitor at its prompt (polling the keyboard), plain and
// with the same 1,100 breakpoints: a machine as a user mostly has it.
void monitorFrames(benchmark::State& state, bool watched) {
    Machine machine;
    boot({machine}, SettingsFiles{});
    Timeline timeline;
    Debugger debugger{machine, timeline};
    if (watched) {
        for (std::uint32_t i = 0; i < 1000; ++i) {
            BreakpointSettings settings;
            settings.first = 0x8000 + 3 * i;
            debugger.addBreakpoint(settings);
        }
        for (std::uint32_t i = 0; i < 100; ++i) {
            BreakpointSettings settings;
            settings.kind = i % 2 == 0 ? BreakKind::write : BreakKind::portIn;
            settings.first = i % 2 == 0 ? 0x7000 + 16 * i : 0x10 + i / 2;
            debugger.addBreakpoint(settings);
        }
        debugger.attach();
    }
    for (int frame = 0; frame < 120; ++frame) machine.runFrame();  // to the prompt
    std::int64_t tstates = 0;
    for (auto _ : state) {
        const FrameResult result = machine.runFrame();
        if (result.stopped) state.SkipWithError("a breakpoint was hit");
        tstates += machine.lastFrame().total();
    }
    countRate(state, tstates);
}
void monitorFramesPlain(benchmark::State& state) {
    monitorFrames(state, false);
}
void monitorFramesThousandBreakpoints(benchmark::State& state) {
    monitorFrames(state, true);
}
BENCHMARK(monitorFramesPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(monitorFramesThousandBreakpoints)->Unit(benchmark::kMicrosecond);

// A machine with a minute of history in its timeline.
struct History {
    std::unique_ptr<Machine> machine = benchMachine();
    Timeline timeline;
    Debugger debugger{*machine, timeline};

    explicit History(int seconds) {
        const int frames = seconds * machine->timing().framesPerSecond;
        for (int frame = 0; frame < frames; ++frame) timeline.runFrame(*machine, FrameSound::off);
    }
};

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

// The 50th and 99th percentile and the largest of `millis`, as counters.
void countLatencies(benchmark::State& state, const std::vector<double>& millis) {
    state.counters["p50_ms"] = percentile(millis, 0.50);
    state.counters["p99_ms"] = percentile(millis, 0.99);
    state.counters["max_ms"] = percentile(millis, 1.0);
}

// Host milliseconds that `run` takes.
template <class Run>
double millisOf(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto took = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::milli>(took).count();
}

void stepBackLatency(benchmark::State& state) {
    History history{60};
    std::mt19937_64 random{7};
    const std::int64_t end = history.debugger.now();
    std::vector<double> millis;
    for (auto _ : state) {
        state.PauseTiming();
        const auto target = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(end));
        history.debugger.goToTState(target);
        state.ResumeTiming();
        StopReason stop;
        millis.push_back(millisOf([&] { stop = history.debugger.stepBack(); }));
        if (stop.kind != StopKind::step) state.SkipWithError("a step back failed");
    }
    countLatencies(state, millis);
}
BENCHMARK(stepBackLatency)->Unit(benchmark::kMillisecond)->Iterations(300);

// Going to a random T-state of the minute from a random other one: the
// frame is mostly not in the per-frame store, so a keyframe is unpacked and
// up to a few seconds of frames run again (a step back from a point reached
// any other way costs at most this).
void goToTStateLatency(benchmark::State& state) {
    History history{60};
    std::mt19937_64 random{11};
    const std::int64_t end = history.debugger.now();
    std::vector<double> millis;
    for (auto _ : state) {
        const auto target = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(end));
        millis.push_back(millisOf([&] { history.debugger.goToTState(target); }));
    }
    countLatencies(state, millis);
}
BENCHMARK(goToTStateLatency)->Unit(benchmark::kMillisecond)->Iterations(300);

void reverseContinueSixtySeconds(benchmark::State& state) {
    History history{60};
    BreakpointSettings never;
    never.first = 0x010B;  // the loop's first instruction, with a condition that never holds
    never.condition = "A==0x100";
    history.debugger.addBreakpoint(never);
    const std::int64_t end = history.debugger.now();
    for (auto _ : state) {
        state.PauseTiming();
        history.debugger.goToTState(end);
        state.ResumeTiming();
        const StopReason stop = history.debugger.reverseContinue();
        if (stop.kind != StopKind::historyStart) state.SkipWithError("found a hit");
    }
}
BENCHMARK(reverseContinueSixtySeconds)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vantorel
