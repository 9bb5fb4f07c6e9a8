// How fast the monitor loads a 16K file from tape with "Speed up when
// accessing files" on: host seconds against the emulated time of the tape.
//
// Set-up (not timed): the built-in monitor saves 2000-5FFF with SA at 300
// baud onto a raw tape, typed in through quick type. Timed: a hard reset,
// the tape played from its start and LO typed, until the monitor stops the
// motor. While a tape moves with the speed-up on, frames run back to back,
// whatever the clock says; this machine has no clock, so every frame is due,
// which is the same thing (the window's painting of 1 frame in 16 is not
// counted).
//
// Counters: emulated_seconds (the motor-on time of the load) and
// times_real_speed (emulated seconds per host second).
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/tape_load_bench.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "config/frame_timing.h"
#include "input/us_layout.h"
#include "machine/builtin_images.h"
#include "machine/machine.h"

namespace vantorel {
namespace {

class NoKeysDown : public KeyStateSource {
  public:
    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override {
        std::fill(destination.begin(), destination.end(), std::uint8_t{0});
    }
    std::int16_t keyForCharacter(char character) override {
        return usLayoutKeyForCharacter(character);
    }
};

struct MonitorRig {
    NoKeysDown keys;
    Machine machine{MachineHost{nullptr, &keys, nullptr, nullptr}};

    MonitorRig() {
        installBuiltinImages(machine.roms(), builtinRomImages());
        machine.config().ramexpanders = 2;  // 32K
        machine.config().speedupfilesflag = true;
        machine.computeTiming();
        machine.initKeyLayout();
        boot();
    }

    void boot() {
        machine.hardReset();
        for (int frame = 0; frame < 60; ++frame) machine.runFrame();
    }

    // Types `line` and runs until the tape motor has run and stopped again.
    // Out: the T-states the motor ran.
    std::int64_t runTapeCommand(std::string_view line) {
        const auto* text = reinterpret_cast<const std::uint8_t*>(line.data());
        machine.startQuickTypeText({text, line.size()});
        for (int frame = 0; machine.quickTypeActive() || !machine.tape().motorOn(); ++frame) {
            if (frame == 600) return 0;  // the command never started the motor
            machine.runFrame();
        }
        std::int64_t tstates = 0;
        for (int frame = 0; machine.tape().motorOn(); ++frame) {
            if (frame == 60 * 60 * 20) return 0;  // 20 emulated minutes: something is wrong
            machine.runFrame();
            tstates += machine.lastFrame().total();
        }
        return tstates;
    }
};

std::vector<std::uint8_t> savedSixteenK(MonitorRig& rig) {
    for (std::uint32_t address = 0x2000; address < 0x6000; ++address) {
        rig.machine.writeMemory(static_cast<std::uint16_t>(address),
                                static_cast<std::uint8_t>(address * 13 + (address >> 8)));
    }
    rig.machine.recordTape(TapeFormat::raw);
    rig.runTapeCommand("SA BIG 2000 5FFF\r");
    rig.machine.stopCassette();
    return rig.machine.recordedTape().bytes;
}

void monitorLoads16KAt300Baud(benchmark::State& state) {
    auto rig = std::make_unique<MonitorRig>();
    const std::vector<std::uint8_t> tape = savedSixteenK(*rig);
    std::int64_t tstates = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rig->boot();
        rig->machine.playTapeBytes(tape);
        state.ResumeTiming();
        tstates += rig->runTapeCommand("LO\r");
    }
    if (rig->machine.readMemory(0x5678) != static_cast<std::uint8_t>(0x5678 * 13 + 0x56)) {
        state.SkipWithError("the file did not load");
    }
    const double seconds =
        static_cast<double>(tstates) / static_cast<double>(kFullSpeedTStatesPerSecond);
    state.counters["emulated_seconds"] =
        benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
    state.counters["times_real_speed"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(monitorLoads16KAt300Baud)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace
}  // namespace vantorel
