// The cost of saving and putting back the whole machine: one capture and
// one restore of the state record (and of the pointers to the inputs it
// names), on a machine that is typing, playing a tape and recording. The
// record's size is shown as the counter record_bytes.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run
// bench/machine_state_bench.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "app/boot.h"
#include "machine/machine.h"

namespace vantorel {
namespace {

// The built-in monitor after a second of frames, typing a line, a tape in
// the deck and the recorder on: every input the record can name is in.
std::unique_ptr<Machine> busyMachine() {
    auto machine = std::make_unique<Machine>();
    boot({*machine}, SettingsFiles{});  // the built-in ROMs; frames run when called
    machine->fillSlot(std::make_shared<const SlotD000>());
    machine->playTapeBytes(std::vector<std::uint8_t>(4000, 0x55));
    machine->recordTape(TapeFormat::raw);
    const std::string_view line = "DU 0 100\r";
    machine->startQuickTypeText({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
    for (int frame = 0; frame < 60; ++frame) machine->runFrame();
    return machine;
}

void recordSize(benchmark::State& state) {
    state.counters["record_bytes"] = static_cast<double>(sizeof(MachineState));
    state.counters["snapshot_bytes"] = static_cast<double>(sizeof(MachineSnapshot));
}

void captureWholeMachine(benchmark::State& state) {
    const auto machine = busyMachine();
    auto snapshot = std::make_unique<MachineSnapshot>();
    for (auto _ : state) {
        machine->capture(*snapshot);
        benchmark::DoNotOptimize(snapshot.get());
        benchmark::ClobberMemory();
    }
    recordSize(state);
}
BENCHMARK(captureWholeMachine)->Unit(benchmark::kMicrosecond);

void restoreWholeMachine(benchmark::State& state) {
    const auto machine = busyMachine();
    const MachineSnapshot snapshot = machine->capture();
    for (auto _ : state) {
        machine->restore(snapshot);
        benchmark::DoNotOptimize(machine.get());
        benchmark::ClobberMemory();
    }
    recordSize(state);
}
BENCHMARK(restoreWholeMachine)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantorel
