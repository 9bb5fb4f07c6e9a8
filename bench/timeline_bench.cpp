// The timeline's costs: memory per emulated minute (at the monitor prompt,
// with a program animating the screen, and with a program rewriting 32K of
// RAM with noise as fast as the processor can), the host time recording
// adds to an emulated second (the goal: at most 2%), a frame with and
// without the timeline, how long the first rewound frame takes after a run
// recorded forward and each further frame back, and Save State and Load
// State of a slot.
//
// Build with -DVANTOREL_BENCHMARKS=ON (Release) and run
// bench/timeline_bench. Counters: MiB_per_minute (the timeline's memory
// after an emulated minute less what it held at the start: the keyframes
// and logs; the per-frame store of the last two seconds is a fixed
// store_MiB), keyframes; extra_percent (recording's cost).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/boot.h"
#include "app/state_slots.h"
#include "machine/machine.h"
#include "timeline/timeline.h"

namespace vantorel {
namespace {

enum class Load { monitorPrompt, screenAnimation, ramNoise };

// INC every byte of the screen, over and over.
constexpr std::initializer_list<std::uint8_t> kScreenAnimation = {
    0x21, 0x80, 0xF0,  // LD HL,F080
    0x34,              // INC (HL)
    0x23,              // INC HL
    0x7C,              // LD A,H
    0xFE, 0xF8,        // CP F8
    0x20, 0xF9,        // JR NZ,0103
    0x18, 0xF4,        // JR 0100
};
// Noise from a 16-bit shift register over 0200-7FFF, over and over: no
// byte repeats the pass before, and nothing compresses.
constexpr std::initializer_list<std::uint8_t> kRamNoise = {
    0x21, 0x00, 0x02,  // 0100 LD HL,0200
    0x11, 0xE1, 0xAC,  // 0103 LD DE,ACE1
    0xCB, 0x3A,        // 0106 SRL D
    0xCB, 0x1B,        // 0108 RR E
    0x30, 0x04,        // 010A JR NC,0110
    0x7A,              // 010C LD A,D
    0xEE, 0xB4,        // 010D XOR B4
    0x57,              // 010F LD D,A
    0x7B,              // 0110 LD A,E
    0x77,              // 0111 LD (HL),A
    0x23,              // 0112 INC HL
    0x7C,              // 0113 LD A,H
    0xFE, 0x80,        // 0114 CP 80
    0x20, 0xEE,        // 0116 JR NZ,0106
    0x21, 0x00, 0x02,  // 0118 LD HL,0200
    0x18, 0xE9,        // 011B JR 0106
};

std::unique_ptr<Machine> machineWith(Load load) {
    auto machine = std::make_unique<Machine>();
    boot({*machine}, SettingsFiles{});  // the built-in ROMs; frames run when called
    for (int frame = 0; frame < 60; ++frame) machine->runFrame();
    if (load == Load::monitorPrompt) return machine;
    std::uint16_t at = 0x0100;
    for (std::uint8_t byte : load == Load::screenAnimation ? kScreenAnimation : kRamNoise) {
        machine->writeMemory(at++, byte);
    }
    Z80State registers = machine->registers();
    registers.PC = 0x0100;
    machine->setRegisters(registers);
    return machine;
}

constexpr double kMiB = 1024.0 * 1024.0;

void memoryPerMinute(benchmark::State& state) {
    const auto load = static_cast<Load>(state.range(0));
    double perMinute = 0;
    double storeBytes = 0;
    std::size_t keyframes = 0;
    for (auto _ : state) {
        const auto machine = machineWith(load);
        Timeline timeline;
        timeline.start(*machine);
        const std::int64_t atStart = timeline.memoryBytes();
        const int frames = 60 * machine->timing().framesPerSecond;
        for (int frame = 0; frame < frames; ++frame) timeline.runFrame(*machine, FrameSound::off);
        perMinute = static_cast<double>(timeline.memoryBytes() - atStart) / kMiB;
        storeBytes = static_cast<double>(atStart) / kMiB;
        keyframes = timeline.keyframeCount();
    }
    state.counters["MiB_per_minute"] = perMinute;
    state.counters["store_MiB"] = storeBytes;
    state.counters["keyframes"] = static_cast<double>(keyframes);
}
BENCHMARK(memoryPerMinute)
    ->Arg(static_cast<int>(Load::monitorPrompt))
    ->Arg(static_cast<int>(Load::screenAnimation))
    ->Arg(static_cast<int>(Load::ramNoise))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The cap holds: ten emulated minutes of RAM rewritten with noise under a
// 12 MiB cap (the per-frame store takes 8 of them), the most the timeline
// held at any frame's end against the cap, and the keyframes left.
void memoryUnderCap(benchmark::State& state) {
    constexpr std::int64_t kCap = std::int64_t{12} << 20;
    double most = 0;
    std::size_t keyframes = 0;
    for (auto _ : state) {
        const auto machine = machineWith(Load::ramNoise);
        Timeline timeline{kCap};
        std::int64_t mostBytes = 0;
        const int frames = 600 * machine->timing().framesPerSecond;
        for (int frame = 0; frame < frames; ++frame) {
            timeline.runFrame(*machine, FrameSound::off);
            mostBytes = std::max(mostBytes, timeline.memoryBytes());
        }
        most = static_cast<double>(mostBytes) / kMiB;
        keyframes = timeline.keyframeCount();
    }
    state.counters["most_MiB"] = most;
    state.counters["cap_MiB"] = static_cast<double>(kCap) / kMiB;
    state.counters["keyframes"] = static_cast<double>(keyframes);
}
BENCHMARK(memoryUnderCap)->Unit(benchmark::kMillisecond)->Iterations(1);

// One frame of the animating program, without and with the timeline.
void frameWithoutTimeline(benchmark::State& state) {
    const auto machine = machineWith(static_cast<Load>(state.range(0)));
    for (auto _ : state) machine->runFrame(FrameSound::off);
}
BENCHMARK(frameWithoutTimeline)
    ->Arg(static_cast<int>(Load::monitorPrompt))
    ->Arg(static_cast<int>(Load::screenAnimation))
    ->Arg(static_cast<int>(Load::ramNoise))
    ->Unit(benchmark::kMicrosecond);

void frameWithTimeline(benchmark::State& state) {
    const auto machine = machineWith(static_cast<Load>(state.range(0)));
    Timeline timeline;
    for (auto _ : state) timeline.runFrame(*machine, FrameSound::off);
}
BENCHMARK(frameWithTimeline)
    ->Arg(static_cast<int>(Load::monitorPrompt))
    ->Arg(static_cast<int>(Load::screenAnimation))
    ->Arg(static_cast<int>(Load::ramNoise))
    ->Unit(benchmark::kMicrosecond);

// The host time recording adds to an emulated second, in percent: blocks
// of a second's frames run in turn without and with the timeline, on two
// machines started alike; the fastest block of each (the one least
// disturbed by other work on the host) and the median blocks are compared.
// Each block with the timeline makes its second's keyframe.
template <class Frames>
double secondsFor(Frames frames) {
    const auto start = std::chrono::steady_clock::now();
    frames();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// With a cap (second argument, MiB), the timeline is first filled to it,
// so that every second's keyframe thins an old one.
void recordingCost(benchmark::State& state) {
    const auto load = static_cast<Load>(state.range(0));
    const auto plain = machineWith(load);
    const auto recorded = machineWith(load);
    const int frames = plain->timing().framesPerSecond;
    const std::int64_t cap = state.range(1) > 0 ? state.range(1) << 20 : kDefaultTimelineBytes;
    Timeline timeline{cap};
    if (state.range(1) > 0) {
        while (timeline.memoryBytes() < cap - (std::int64_t{1} << 20)) {
            timeline.runFrame(*recorded, FrameSound::off);
        }
    }
    std::vector<double> plainSeconds;
    std::vector<double> recordedSeconds;
    for (auto _ : state) {
        plainSeconds.push_back(secondsFor([&] {
            for (int frame = 0; frame < frames; ++frame) plain->runFrame(FrameSound::off);
        }));
        recordedSeconds.push_back(secondsFor([&] {
            for (int frame = 0; frame < frames; ++frame) {
                timeline.runFrame(*recorded, FrameSound::off);
            }
        }));
    }
    const double fastestPlain = *std::min_element(plainSeconds.begin(), plainSeconds.end());
    const double fastestRecorded =
        *std::min_element(recordedSeconds.begin(), recordedSeconds.end());
    state.counters["extra_percent"] = 100.0 * (fastestRecorded / fastestPlain - 1.0);
    state.counters["extra_percent_median"] =
        100.0 * (median(recordedSeconds) / median(plainSeconds) - 1.0);
    state.counters["us_per_frame"] = 1e6 * fastestPlain / frames;
}
BENCHMARK(recordingCost)
    ->Args({static_cast<int>(Load::monitorPrompt), 0})
    ->Args({static_cast<int>(Load::screenAnimation), 0})
    ->Args({static_cast<int>(Load::ramNoise), 0})
    ->Args({static_cast<int>(Load::ramNoise), 12})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300);

// The first frame back after a run recorded forward (frames run forward
// are not stored, so a replay from the keyframe before fills the store:
// at most three seconds of frames), with the program animating the
// screen; and a frame five seconds back. The goal: within one frame
// (16.7 ms at 60 frames a second).
void rewindFirstFrame(benchmark::State& state) {
    const auto machine = machineWith(Load::screenAnimation);
    Timeline timeline;
    for (int frame = 0; frame < 600; ++frame) timeline.runFrame(*machine, FrameSound::off);
    const std::int64_t back = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        for (int frame = 0; frame < 180; ++frame) timeline.runFrame(*machine, FrameSound::off);
        state.ResumeTiming();
        timeline.seek(*machine, timeline.end() - back);
    }
}
BENCHMARK(rewindFirstFrame)->Arg(1)->Arg(300)->Unit(benchmark::kMicrosecond);

// Each further frame back while rewinding: from the per-frame store, with
// a replay every two seconds.
void rewindNextFrame(benchmark::State& state) {
    const auto machine = machineWith(Load::screenAnimation);
    Timeline timeline;
    for (int frame = 0; frame < 6000; ++frame) timeline.runFrame(*machine, FrameSound::off);
    std::int64_t frame = timeline.end();
    for (auto _ : state) {
        if (frame == 0) frame = timeline.end();
        timeline.seek(*machine, --frame);
    }
}
BENCHMARK(rewindNextFrame)->Unit(benchmark::kMicrosecond);

// Save State and Load State of a slot, file and all, on the animating
// program (its screen and RAM in use) in a folder under the system's
// temporary folder.
std::filesystem::path slotFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "vantorel-slot-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

void saveSlot(benchmark::State& state) {
    const auto machine = machineWith(Load::ramNoise);
    for (int frame = 0; frame < 60; ++frame) machine->runFrame(FrameSound::off);
    StateSlots slots{slotFolder(), "bench"};
    for (auto _ : state) benchmark::DoNotOptimize(slots.save(*machine, 60, 0));
    state.counters["file_bytes"] =
        static_cast<double>(std::filesystem::file_size(slots.pathOf(*machine, slots.current())));
}
BENCHMARK(saveSlot)->Unit(benchmark::kMillisecond);

void loadSlot(benchmark::State& state) {
    const auto machine = machineWith(Load::ramNoise);
    for (int frame = 0; frame < 60; ++frame) machine->runFrame(FrameSound::off);
    StateSlots slots{slotFolder(), "bench"};
    slots.save(*machine, 60, 0);
    for (auto _ : state) benchmark::DoNotOptimize(slots.load(*machine));
}
BENCHMARK(loadSlot)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantorel
