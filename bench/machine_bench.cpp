// Speed of the whole machine: emulated T-states per host second when frames
// run back to back (Fast mode, no clock) through the Sorcerer's memory map,
// ports and frame scheduler. Compare with z80_bench, the same core on a flat
// 64K bus: the difference is the cost of the memory map and the frame work.
//
// flatBusSameProgram runs the same program on the core with a flat bus, in
// slices of a frame's length, so the two figures differ only by the machine.
//
// The program is bench_machine.h's instruction mix in RAM.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/machine_bench.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "bench_machine.h"
#include "config/frame_timing.h"
#include "machine/machine.h"
#include "z80/flat_bus.h"
#include "z80/z80.h"

namespace vantorel {
namespace {

using bench::benchMachine;
using bench::kProgram;
using bench::kProgramAddress;
using bench::kProgramEnd;

void machineFastFrames(benchmark::State& state) {
    auto machine = benchMachine();
    std::int64_t tstates = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine->runFrame());
        tstates += machine->lastFrame().total();
    }
    const std::int32_t last = machine->lastOpcodeAddress();
    if (last < kProgramAddress || last >= kProgramEnd) {
        state.SkipWithError("the program left its loop");
    }
    state.counters["tstates_per_second"] =
        benchmark::Counter(static_cast<double>(tstates), benchmark::Counter::kIsRate);
    state.counters["times_real_speed"] = benchmark::Counter(
        static_cast<double>(tstates) / static_cast<double>(kFullSpeedTStatesPerSecond),
        benchmark::Counter::kIsRate);
}
BENCHMARK(machineFastFrames)->Unit(benchmark::kMicrosecond);

void flatBusSameProgram(benchmark::State& state) {
    auto bus = std::make_unique<FlatBus>();
    for (std::size_t i = 0; i < sizeof(kProgram); ++i) {
        bus->memory[kProgramAddress + i] = kProgram[i];
    }
    auto cpu = std::make_unique<Z80<FlatBus>>(*bus);
    cpu->resetZ80();
    cpu->state().PC = kProgramAddress;
    const FrameTiming timing;  // 32097 + 3009, as a Fast-mode frame
    std::int64_t tstates = 0;
    for (auto _ : state) {
        tstates += cpu->runZ80(timing.activeScanTStates);
        tstates += cpu->runZ80(timing.verticalBlankTStates);
    }
    state.counters["tstates_per_second"] =
        benchmark::Counter(static_cast<double>(tstates), benchmark::Counter::kIsRate);
}
BENCHMARK(flatBusSameProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantorel
