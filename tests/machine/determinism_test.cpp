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
#include "support/busy_run.h"
#include "support/monitor_tape.h"

// The sanitizer build checks fewer points (it runs ten times slower).
#ifndef VANTOREL_DETERMINISM_POINTS
#define VANTOREL_DETERMINISM_POINTS 1000
#endif

namespace vantorel {
namespace {

using testing::FrameOutput;
using testing::sameInputs;
using DeterminismRun = testing::BusyRun;

constexpr int kPoints = VANTOREL_DETERMINISM_POINTS;
constexpr int kFramesAfterPoint = 3;  // N: frames run from each point, twice
constexpr int kRunFrames = 2400;      // the long run, 40 s of emulated time

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
