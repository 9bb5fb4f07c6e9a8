// Determinism: a machine captured at any frame boundary and put back runs
// the same frames again, to the byte.
//
// A long headless run of the built-in monitor: it loads a program from a
// playing tape, saves it again onto the recorder, dumps memory, rings its
// bell at keys pressed on the host keyboard, and all the while the sound
// output (clicker and AY-3-8910, the AY rendered from the machine's state)
// writes to a fake audio device. At 1,000 random frames the machine is
// captured, runs N frames, is restored and runs the same N frames again;
// both runs must leave the same record (memcmp) and give the same speaker
// edges, sound samples, screen and tape recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/boot.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "machine/video.h"
#include "sound/ring_audio_device.h"
#include "sound/sound_output.h"
#include "support/fake_host.h"
#include "support/monitor_tape.h"

// The sanitizer build checks fewer points (it runs ten times slower).
#ifndef VANTOREL_DETERMINISM_POINTS
#define VANTOREL_DETERMINISM_POINTS 1000
#endif

namespace vantorel {
namespace {

using testing::FakeKeys;
using testing::RecordingDebugOutput;

constexpr int kPoints = VANTOREL_DETERMINISM_POINTS;
constexpr int kFramesAfterPoint = 3;  // N: frames run from each point, twice
constexpr int kRunFrames = 2400;      // the long run, 40 s of emulated time
constexpr int kKeysFrom = 1500;       // from here the host keyboard rings the bell

// Everything a frame gives out, in the order it came.
struct FrameOutput {
    std::vector<std::uint32_t> frameStarts;  // beginFrameSound stamps
    std::vector<std::uint32_t> edges;        // speaker edges: T-state << 1 | level
    std::vector<std::int16_t> clicker;       // voice 0 as written to the device
    std::vector<std::int16_t> ay;            // voices 1-3 as written to the device
    std::string screen;

    friend bool operator==(const FrameOutput&, const FrameOutput&) = default;
};

// The audio device: rings played one frame per frame, every slot written kept.
class TappedDevice : public RingAudioDevice {
  public:
    FrameOutput* out = nullptr;
    bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) override {
        if (out != nullptr) {
            auto& to = voice == kClickerVoice ? out->clicker : out->ay;
            to.insert(to.end(), samples.begin(), samples.end());
        }
        return RingAudioDevice::writeSlot(voice, slot, samples);
    }
};

// Stands between the machine and its sound output, noting the edges.
class TappedSpeaker : public SpeakerSink {
  public:
    TappedSpeaker(SoundOutput& sound, TappedDevice& device) : sound_(sound), device_(device) {}
    FrameOutput* out = nullptr;

    void beginFrameSound(std::uint32_t start) override {
        if (out != nullptr) out->frameStarts.push_back(start);
        sound_.beginFrameSound(start);
    }
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override {
        if (out != nullptr) out->edges.push_back(tstates << 1 | (level & 1u));
        sound_.recordSpeakerEdge(tstates, level);
    }
    void endFrameSound() override {
        sound_.endFrameSound();
        std::vector<std::int16_t> played(static_cast<std::size_t>(sound_.frameSamples()));
        device_.pull(played);
    }

  private:
    SoundOutput& sound_;
    TappedDevice& device_;
};

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// The Sorcerer of the run and the host around it. What the host does is a
// function of the frame's number only, so both runs from a point see it.
class DeterminismRun {
  public:
    DeterminismRun() {
        machine_.attachHost(MachineHost{nullptr, &keys_, &speaker_, &debug_});
        boot({machine_}, SettingsFiles{});  // the built-in ROMs; frames run when called
        sound_.ay().useChip(&machine_.ayChip());
        EXPECT_TRUE(sound_.initSound());
        // A tone on AY channel A, so its counters show in the samples.
        sound_.ay().ayWriteRegister(0, 0, 0x80);
        sound_.ay().ayWriteRegister(0, 7, 0x3E);
        sound_.ay().ayWriteRegister(0, 8, 12);
        // A program on the tape for LO, and the recorder on for SA.
        std::vector<std::uint8_t> program(300);
        for (std::size_t i = 0; i < program.size(); ++i) {
            program[i] = static_cast<std::uint8_t>(i * 13 + 7);
        }
        EXPECT_TRUE(machine_.playTapeBytes(
            testing::monitorTapeFile({"PROG", 0x00, 0x2000, 0x2000}, program, 200)));
        machine_.recordTape(TapeFormat::raw);
    }

    Machine& machine() { return machine_; }

    // Runs frame `frame` of the script; collects what it gives into `out`.
    void runFrame(int frame, FrameOutput* out) {
        hostDoes(frame);
        speaker_.out = out;
        device_.out = out;
        machine_.runFrame();
        speaker_.out = nullptr;
        device_.out = nullptr;
        if (out != nullptr) out->screen = screenText(machine_.memory());
    }

  private:
    // The typing starts at set frames, each line when the monitor has long
    // finished the one before; late in the run the host keyboard types a
    // line the monitor refuses, again and again, and the bell rings.
    void hostDoes(int frame) {
        const char* text = nullptr;
        if (frame == 40) text = "SE T=0\nLO\n";
        if (frame == 500) text = "SA COPY 2000 212B\n";
        if (frame == 1200) text = "DU 2000 2040\n";
        if (text != nullptr) {
            EXPECT_EQ(machine_.startQuickTypeText(bytesOf(text)), QuickTypeResult::ok) << frame;
        }
        keys_.states.fill(0);
        if (frame < kKeysFrom) return;
        const int phase = frame % 45;
        if (phase < 3) keys_.press('X');
        if (phase >= 5 && phase < 8) keys_.press(0x0D);  // RETURN
    }

    FakeKeys keys_;
    RecordingDebugOutput debug_;
    Machine machine_;
    TappedDevice device_;
    SoundOutput sound_{machine_.config(), machine_.timing(), &device_};
    TappedSpeaker speaker_{sound_, device_};
};

// 1,000 distinct frames of the run, in order.
std::vector<int> randomPoints() {
    std::mt19937 random(18);
    std::uniform_int_distribution<int> frame(1, kRunFrames - 1);
    std::set<int> points;
    while (static_cast<int>(points.size()) < kPoints) points.insert(frame(random));
    return {points.begin(), points.end()};
}

struct RunFromPoint {
    MachineSnapshot after;
    std::vector<FrameOutput> frames;
    TapeRecording recorded;
};

RunFromPoint runFromPoint(DeterminismRun& run, int point) {
    RunFromPoint result;
    result.frames.resize(kFramesAfterPoint);
    for (int i = 0; i < kFramesAfterPoint; ++i) run.runFrame(point + i, &result.frames[i]);
    run.machine().capture(result.after);
    result.recorded = run.machine().recordedTape();
    return result;
}

// The same input, or two copies of it (a text typed in both runs is made twice).
template <class Input>
bool sameInput(const std::shared_ptr<const Input>& a, const std::shared_ptr<const Input>& b) {
    return a == b || (a && b && *a == *b);
}

bool sameInputs(const MachineInputs& a, const MachineInputs& b) {
    return a.roms.monitor == b.roms.monitor && a.roms.characters == b.roms.characters &&
           a.gameRoms.a000 == b.gameRoms.a000 && a.gameRoms.c000 == b.gameRoms.c000 &&
           a.gameRoms.d000 == b.gameRoms.d000 && sameInput(a.tape, b.tape) &&
           sameInput(a.text, b.text);
}

// What differs between two runs from one point, or "" when nothing does.
std::string difference(const RunFromPoint& first, const RunFromPoint& second) {
    if (std::memcmp(&first.after.state, &second.after.state, sizeof(MachineState)) != 0) {
        return "the state record";
    }
    if (!sameInputs(first.after.inputs, second.after.inputs)) return "the inputs";
    for (int i = 0; i < kFramesAfterPoint; ++i) {
        const FrameOutput& a = first.frames[i];
        const FrameOutput& b = second.frames[i];
        const std::string frame = " of frame " + std::to_string(i + 1);
        if (a.frameStarts != b.frameStarts || a.edges != b.edges) return "the speaker" + frame;
        if (a.ay != b.ay) return "the AY's samples" + frame;
        // The first frame's clicker may still sound a click from the frame
        // before the point, which differs between the runs; its edges are
        // compared above.
        if (i > 0 && a.clicker != b.clicker) return "the clicker's samples" + frame;
        if (a.screen != b.screen) return "the screen" + frame;
    }
    if (first.recorded.bytes != second.recorded.bytes ||
        first.recorded.cells != second.recorded.cells ||
        first.recorded.tstates != second.recorded.tstates) {
        return "the tape recording";
    }
    return "";
}

TEST(Determinism, EveryPointOfALongRunRunsTheSameFramesAfterARestore) {
    DeterminismRun run;
    const std::vector<int> points = randomPoints();
    auto point = points.begin();
    MachineSnapshot snapshot;
    std::size_t edges = 0;
    std::size_t aySamplesHeard = 0;
    std::size_t tapeChecks = 0;
    int failures = 0;
    for (int frame = 0; frame < kRunFrames; ++frame) {
        if (point != points.end() && *point == frame) {
            ++point;
            run.machine().capture(snapshot);
            const RunFromPoint first = runFromPoint(run, frame);
            run.machine().restore(snapshot);
            ASSERT_EQ(std::memcmp(&run.machine().state(), &snapshot.state, sizeof(MachineState)),
                      0);
            const RunFromPoint second = runFromPoint(run, frame);
            const std::string differs = difference(first, second);
            if (!differs.empty() && ++failures <= 5) {
                ADD_FAILURE() << differs << " differs after a restore at frame " << frame;
            }
            for (const FrameOutput& output : first.frames) {
                edges += output.edges.size();
                aySamplesHeard += static_cast<std::size_t>(std::count_if(
                    output.ay.begin(), output.ay.end(), [](auto s) { return s != 0; }));
            }
            if (run.machine().tapeMoving()) ++tapeChecks;
            run.machine().restore(snapshot);  // the long run goes on from the point
        }
        run.runFrame(frame, nullptr);
    }
    EXPECT_EQ(failures, 0);

    // The run did what it was meant to: the program came off the tape, SA
    // recorded it, the bell rang while points were checked, the AY sounded.
    Machine& machine = run.machine();
    EXPECT_EQ(machine.peek(0x2000), 7);
    EXPECT_EQ(machine.peek(0x212B), static_cast<std::uint8_t>(299 * 13 + 7));
    const auto files = testing::readMonitorTape(machine.recordedTape().bytes);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].header.name, "COPY ");
    EXPECT_TRUE(files[0].checksGood);
    EXPECT_GT(edges, 0u);
    EXPECT_GT(aySamplesHeard, 0u);
    EXPECT_GT(tapeChecks, static_cast<std::size_t>(kPoints / 20)) << "points with the tape moving";
    EXPECT_NE(screenText(machine.memory()).find("2000"), std::string::npos);
}

}  // namespace
}  // namespace vantorel
