// How fast a 16K file loads from tape when frames run back to back, as they
// do with "Speed up when accessing files" while the tape moves: host time
// for a whole load against the emulated time it takes (16,384 bytes of 11
// bit cells at 300 baud: 600.8 s, plus a second of leader).
//
// A small Z80 loop in RAM switches the motor on, waits for each byte on
// port FD and stores it from 4000 on. The tape is either raw (the bytes
// themselves) or a 44100 Hz WAV made by the program's encoder, so the second
// figure includes the WAV decoder. The counters say how many emulated
// seconds one host second covers.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/tape_bench.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "cassette/tape_recording.h"
#include "cassette/wav_encoder.h"
#include "machine/machine.h"

namespace vantorel {
namespace {

constexpr std::size_t kFileBytes = 16384;
constexpr int kLeaderCells = 300;  // one second at 300 baud

constexpr std::uint8_t kLoader[] = {
    0x3E, 0x10,        // LD A,10      motor 1 on, 300 baud
    0xD3, 0xFE,        // OUT (FE),A
    0x21, 0x00, 0x40,  // LD HL,4000
    0xDB, 0xFD,        // wait: IN A,(FD)
    0xE6, 0x02,        //       AND 02
    0x28, 0xFA,        //       JR Z,wait
    0xDB, 0xFC,        //       IN A,(FC)
    0x77,              //       LD (HL),A
    0x23,              //       INC HL
    0x18, 0xF4,        //       JR wait
};

std::vector<std::uint8_t> fileBytes() {
    std::vector<std::uint8_t> bytes(kFileBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 7);
    return bytes;
}

std::vector<std::uint8_t> wavSamples(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> cells(kLeaderCells, recordedCell(kMark, TapeBaud::baud300));
    for (std::uint8_t byte : bytes) {
        for (int cell = 0; cell < kFrameCells; ++cell)
            cells.push_back(recordedCell(frameCellLevel(byte, cell), TapeBaud::baud300));
    }
    return encodeTapeSignal(cells, kRecordingSampleRate);
}

std::unique_ptr<Machine> bootedMachine() {
    auto machine = std::make_unique<Machine>();  // no clock: every frame is due at once
    machine->config().speedupfilesflag = true;
    machine->computeTiming();
    machine->hardReset();
    for (std::size_t i = 0; i < sizeof kLoader; ++i)
        machine->memory().image[0x1000 + i] = kLoader[i];
    Z80State registers = machine->registers();
    registers.PC = 0x1000;
    machine->setRegisters(registers);
    return machine;
}

void runLoad(benchmark::State& state, bool wav) {
    const std::vector<std::uint8_t> bytes = fileBytes();
    const std::vector<std::uint8_t> samples = wav ? wavSamples(bytes) : std::vector<std::uint8_t>{};
    double emulatedSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Machine> machine = bootedMachine();
        if (wav) {
            machine->playTapeWav(WavTape{kRecordingSampleRate, samples});
        } else {
            machine->playTapeBytes(bytes);
        }
        state.ResumeTiming();
        std::int64_t tstates = 0;
        while (machine->tapePlaying()) {
            machine->runFrame();
            tstates += machine->lastFrame().total();
        }
        emulatedSeconds = static_cast<double>(tstates) / kFullSpeedTStatesPerSecond;
        if (machine->memory().image[0x4000 + kFileBytes - 1] != bytes.back()) {
            state.SkipWithError("the file did not load");
        }
    }
    state.counters["emulated_s"] = emulatedSeconds;
    state.counters["emulated_s_per_host_s"] = benchmark::Counter(
        emulatedSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void rawTape(benchmark::State& state) {
    runLoad(state, false);
}
void wavTape(benchmark::State& state) {
    runLoad(state, true);
}

BENCHMARK(rawTape)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(wavTape)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vantorel
