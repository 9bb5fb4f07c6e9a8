// Memory of a long tape recording: a program sends bytes without a pause at
// 1200 baud with the motor on, recorded as WAV for the given emulated
// minutes. "streamed" is the recording into a file (written as it is made);
// "in_memory" keeps the same recording in memory until its end, as a
// recording without a file does, for comparison.
//
// Counters: rss_growth_mb (resident memory after the recording, less before
// it, from /proc/self/status), file_mb (the WAV file written) and
// emulated_minutes. A streamed recording's growth stays near 0 however long
// it runs; the in-memory one grows with its length.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run bench/recording_memory_bench.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "cassette/wav_encoder.h"
#include "machine/builtin_images.h"
#include "machine/machine.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Motor 1 on at 1200 baud; sends 55 whenever the transmitter is free.
void startSender(Machine& machine) {
    const std::uint8_t program[] = {0x3E, 0x50, 0xD3, 0xFE, 0xDB, 0xFD, 0xE6, 0x01,
                                    0x28, 0xFA, 0x3E, 0x55, 0xD3, 0xFC, 0x18, 0xF4};
    std::uint16_t at = 0x1000;
    for (const std::uint8_t byte : program) machine.memory().image[at++] = byte;
    Z80State registers = machine.registers();
    registers.PC = 0x1000;
    machine.setRegisters(registers);
}

void recordFor(benchmark::State& state, bool streamed) {
    const auto minutes = state.range(0);
    const fs::path path = fs::temp_directory_path() / "vantorel-recording-bench.wav";
    double growth = 0;
    double fileMegabytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Machine machine;  // every runFrame runs a frame
        installBuiltinImages(machine.roms(), builtinRomImages());
        machine.computeTiming();
        machine.hardReset();
        startSender(machine);
        const double before = residentMegabytes();
        state.ResumeTiming();
        machine.recordTape(TapeFormat::wav, streamed ? path : fs::path());
        for (std::int64_t frame = 0; frame < minutes * 60 * 60; ++frame) machine.runFrame();
        machine.stopCassette();
        if (!streamed) {
            const auto& cells = machine.recordedTape().cells;
            const auto file = wavFileBytes(encodeTapeSignal(cells), kRecordingSampleRate);
            growth = residentMegabytes() - before;
            fileMegabytes = static_cast<double>(file.size()) / (1024.0 * 1024.0);
        } else {
            growth = residentMegabytes() - before;
            fileMegabytes = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
        }
        benchmark::DoNotOptimize(growth);
    }
    std::error_code error;
    fs::remove(path, error);
    state.counters["emulated_minutes"] = static_cast<double>(minutes);
    state.counters["rss_growth_mb"] = growth;
    state.counters["file_mb"] = fileMegabytes;
}

void BM_LongRecording_streamed(benchmark::State& state) {
    recordFor(state, true);
}
void BM_LongRecording_in_memory(benchmark::State& state) {
    recordFor(state, false);
}

BENCHMARK(BM_LongRecording_streamed)->Arg(5)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LongRecording_in_memory)->Arg(5)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vantorel
