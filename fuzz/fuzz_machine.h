// A whole machine for the fuzz targets, and the scratch file they feed it.
//
// Each target takes the fuzzer's bytes as the contents of a user's file,
// writes them to a scratch file and hands its path to the same operation the
// menus and the command line use, so every check on the way from a file to
// the machine's state runs. The machine is booted with the built-in monitor
// and character ROMs on fake host objects: a clock standing still (it seeds
// the reset noise), a keyboard with nothing pressed, a speaker and a debug output that only
// count what they are sent.
//
// Used by the targets in this folder (fuzz_targets.h); a failed check prints
// what was wrong and aborts, which both libFuzzer and the test suite report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "machine/machine.h"
#include "support/fake_host.h"

namespace vantorel::fuzz {

// Stops the run with `what` when `condition` is false.
void check(bool condition, const char* what);

// A file in this process's own scratch folder, rewritten for every input.
class ScratchFile {
  public:
    explicit ScratchFile(const char* name);
    // Replaces the file's contents with `bytes`; its path.
    const std::filesystem::path& write(std::span<const std::uint8_t> bytes);
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The folder every scratch file of this process lives in (made on first use).
const std::filesystem::path& scratchFolder();

class SilentSpeaker : public SpeakerSink {
  public:
    std::int64_t edges = 0;
    void recordSpeakerEdge(std::uint32_t, std::uint8_t) override { ++edges; }
};

class CountingDebugOutput : public DebugOutputSink {
  public:
    std::int64_t messages = 0;
    void debugOutput(const char*) override { ++messages; }
};

struct FuzzMachine {
    testing::FakeClock clock;
    testing::FakeKeys keys;
    SilentSpeaker speaker;
    CountingDebugOutput debug;
    Machine machine{MachineHost{&clock, &keys, &speaker, &debug}};

    // Booted through boot(): settings at their defaults, the built-in ROMs,
    // timing and key layout set up, and a hard reset done: the monitor is
    // starting.
    FuzzMachine();

    // Runs `frames` frames, one after the other (no pacing).
    void runFrames(int frames);
    // Points the processor at `address`.
    void jumpTo(std::uint16_t address);
    // Parks the processor in a HALT at 0100: frames then cost next to nothing.
    void halt();
    // Paints the screen as the display would (every cell through the
    // character ROM or the programmable characters).
    void paintScreen();
};

}  // namespace vantorel::fuzz
