// Timeline: any frame or T-state of a long, busy run (typing, a tape
// playing and recording, joystick and keys, sound) reached again by seeking
// equals the straight run, with keyframes thinned and not; going on from
// it gives the same frames (state, screen, sound, tape) as the first time.
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/busy_run.h"
#include "support/temp_folder.h"

#ifndef VANTOREL_TIMELINE_POINTS
#define VANTOREL_TIMELINE_POINTS 120
#endif

namespace vantorel {
namespace {

using testing::BusyRun;
using testing::FrameOutput;

constexpr int kPoints = VANTOREL_TIMELINE_POINTS;
constexpr int kRunFrames = 2400;  // 40 s, every kind of input
constexpr int kFramesAfter = 3;   // run again from each point

std::uint64_t hashOf(const MachineState& state) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&state);
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < sizeof state; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// The straight run through the timeline: each frame boundary's state (after
// the host's commands there), its T-state, every frame's output and the
// tape recorded so far.
struct StraightRun {
    std::vector<std::uint64_t> stateHash;  // boundary f, before frame f runs
    std::vector<std::int64_t> tstate;
    std::vector<FrameOutput> output;  // frame f
    std::vector<std::size_t> recordedBytes;
};

StraightRun runStraight(BusyRun& run, Timeline& timeline, std::int64_t* mostMemory) {
    StraightRun straight;
    straight.output.resize(kRunFrames);
    for (int frame = 0; frame < kRunFrames; ++frame) {
        run.hostDoes(frame);
        straight.stateHash.push_back(hashOf(run.machine().state()));
        straight.tstate.push_back(timeline.positionTStates());
        straight.recordedBytes.push_back(run.machine().recordedTape().bytes.size());
        run.collect(&straight.output[frame]);
        timeline.runFrame(run.machine(), FrameSound::on);
        run.collected(&straight.output[frame]);
        *mostMemory = std::max(*mostMemory, timeline.memoryBytes());
    }
    return straight;
}

// The boundary hashes are taken after the host's commands there: where
// the busy run starts typing a line they differ from the frame's end.
bool typingStartsAt(int frame) {
    return frame == 40 || frame == 500 || frame == 1200;
}

std::vector<int> randomPoints(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> frame(1, kRunFrames - kFramesAfter - 1);
    std::set<int> points;
    while (static_cast<int>(points.size()) < kPoints) points.insert(frame(random));
    return {points.begin(), points.end()};
}

// Seeks every point from the last back (going on from a point drops what
// came after it, and the points before stay reachable), compares the state,
// then runs kFramesAfter frames with the same host and compares them.
void seekEveryPoint(BusyRun& run, Timeline& timeline, const StraightRun& straight) {
    const std::vector<int> points = randomPoints(19);
    int failures = 0;
    for (auto point = points.rbegin(); point != points.rend(); ++point) {
        const int frame = *point;
        ASSERT_TRUE(timeline.seek(run.machine(), frame));
        std::string differs;
        if (hashOf(run.machine().state()) != straight.stateHash[frame]) differs = "state";
        if (timeline.positionTStates() != straight.tstate[frame]) differs = "T-state";
        if (run.machine().recordedTape().bytes.size() != straight.recordedBytes[frame]) {
            differs = "tape recording";
        }
        for (int i = 0; i < kFramesAfter && differs.empty(); ++i) {
            // The host's commands at the point are in the state already.
            if (i > 0) run.hostCommands(frame + i);
            run.hostInputs(frame + i);
            FrameOutput output;
            run.collect(&output);
            timeline.runFrame(run.machine(), FrameSound::on);
            run.collected(&output);
            const FrameOutput& first = straight.output[frame + i];
            if (output.edges != first.edges || output.frameStarts != first.frameStarts) {
                differs = "speaker";
            } else if (output.ay != first.ay) {
                differs = "AY samples";
            } else if (i > 0 && output.clicker != first.clicker) {
                differs = "clicker samples";
            } else if (output.screen != first.screen) {
                differs = "screen";
            } else if (!typingStartsAt(frame + i + 1) &&
                       hashOf(run.machine().state()) != straight.stateHash[frame + i + 1]) {
                differs = "state after frame";
            }
        }
        if (!differs.empty() && ++failures <= 5) {
            ADD_FAILURE() << differs << " differs at frame " << frame;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(Timeline, EverySeekOfALongRunEqualsTheStraightRun) {
    BusyRun run;
    Timeline timeline;
    std::int64_t mostMemory = 0;
    const StraightRun straight = runStraight(run, timeline, &mostMemory);
    EXPECT_EQ(timeline.keyframeCount(), 40u + 2u)
        << "one a second, and one per typed line (one of them at a whole second)";
    EXPECT_GT(timeline.inputLog().size(), 100u) << "keys and joystick logged";
    seekEveryPoint(run, timeline, straight);
}

TEST(Timeline, ThinnedKeyframesStillReachEveryPointAndTheCapHolds) {
    // The cap leaves room for two thirds of the keyframes the run makes.
    std::int64_t cap = 0;
    {
        BusyRun unthinned;
        Timeline timeline;
        std::int64_t mostMemory = 0;
        runStraight(unthinned, timeline, &mostMemory);
        cap = mostMemory - timeline.keyframeBytes() / 3;
    }
    BusyRun run;
    Timeline timeline{cap};
    std::int64_t mostMemory = 0;
    const StraightRun straight = runStraight(run, timeline, &mostMemory);
    EXPECT_LE(mostMemory, cap);
    EXPECT_LT(timeline.keyframeCount(), 30u) << "thinned";
    EXPECT_EQ(timeline.keyframeFrame(0), 0) << "the first keyframe stays";
    // Older keyframes lie further apart than newer ones.
    const std::size_t n = timeline.keyframeCount();
    EXPECT_GT(timeline.keyframeFrame(2) - timeline.keyframeFrame(1),
              timeline.keyframeFrame(n - 1) - timeline.keyframeFrame(n - 2));
    seekEveryPoint(run, timeline, straight);
}

TEST(Timeline, AnyTStateSeeksToTheFrameItFallsIn) {
    BusyRun run;
    Timeline timeline;
    std::int64_t mostMemory = 0;
    const StraightRun straight = runStraight(run, timeline, &mostMemory);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int64_t> tstate(0, straight.tstate.back());
    for (int i = 0; i < kPoints / 4; ++i) {
        const std::int64_t at = tstate(random);
        ASSERT_TRUE(timeline.seekTState(run.machine(), at));
        const auto frame = static_cast<std::size_t>(timeline.position());
        EXPECT_LE(straight.tstate[frame], at);
        if (frame + 1 < straight.tstate.size()) {
            EXPECT_GT(straight.tstate[frame + 1], at);
        }
        EXPECT_EQ(hashOf(run.machine().state()), straight.stateHash[frame]) << frame;
    }
    EXPECT_FALSE(timeline.seek(run.machine(), timeline.end() + 1));
    EXPECT_FALSE(timeline.seek(run.machine(), -1));
}

// A command between frames is a keyframe; going back across it and on
// again finds the machine as the command left it, and going on from before
// it drops it.
TEST(Timeline, CommandsBetweenFramesAreKeptAndDroppedWithTheFuture) {
    BusyRun run;
    Timeline timeline;
    Machine& machine = run.machine();
    for (int frame = 0; frame < 30; ++frame) timeline.runFrame(machine, FrameSound::off);
    machine.writeMemory(0x0100, 0xA5);  // a debugger's edit
    const std::uint64_t edited = hashOf(machine.state());
    for (int frame = 0; frame < 30; ++frame) timeline.runFrame(machine, FrameSound::off);
    ASSERT_TRUE(timeline.seek(machine, 0));
    EXPECT_NE(machine.peek(0x0100), 0xA5);
    ASSERT_TRUE(timeline.seek(machine, 30));
    EXPECT_EQ(hashOf(machine.state()), edited);
    ASSERT_TRUE(timeline.seek(machine, 45));
    EXPECT_EQ(machine.peek(0x0100), 0xA5);
    ASSERT_TRUE(timeline.seek(machine, 20));
    timeline.runFrame(machine, FrameSound::off);
    EXPECT_EQ(timeline.end(), 21);
    for (int frame = 0; frame < 20; ++frame) timeline.runFrame(machine, FrameSound::off);
    EXPECT_NE(machine.peek(0x0100), 0xA5) << "the edit went with the future";
}

// Every kind of change between frames is seen, RAM's by the machine's
// count of edits and the rest by the record around RAM: going back before
// it and on past it finds the machine as the straight run had it.
TEST(Timeline, EveryKindOfChangeBetweenFramesIsKept) {
    struct Change {
        const char* what;
        std::function<void(Machine&, const MachineSnapshot& earlier)> make;
    };
    const std::vector<Change> changes = {
        {"a byte written", [](Machine& m, auto&) { m.writeMemory(0x3000, 0x5A); }},
        {"RAM changed in place (a file loaded)",
         [](Machine& m, auto&) { m.memory().image[0x3001] ^= 0xFF; }},
        {"a hard reset", [](Machine& m, auto&) { m.hardReset(); }},
        {"a soft reset", [](Machine& m, auto&) { m.softReset(); }},
        {"registers set",
         [](Machine& m, auto&) {
             Z80State registers = m.registers();
             registers.BC = static_cast<std::uint16_t>(registers.BC ^ 0x1234);
             m.setRegisters(registers);
         }},
        {"a tape put in",
         [](Machine& m, auto&) { m.playTapeBytes(std::vector<std::uint8_t>(500, 0x55)); }},
        {"text to type",
         [](Machine& m, auto&) { m.startQuickTypeText(testing::bytesOf("DU 0 10\n")); }},
        {"the AY's record (the sound restarted)",
         [](Machine& m, auto&) { m.ayChip().registers[1] ^= 0x0F; }},
        {"a state loaded", [](Machine& m, const MachineSnapshot& earlier) { m.restore(earlier); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        BusyRun run;
        Machine& machine = run.machine();
        Timeline timeline;
        std::vector<std::uint64_t> hashes;
        MachineSnapshot earlier;
        for (int frame = 0; frame < 90; ++frame) {
            if (frame == 10) earlier = machine.capture();
            if (frame == 30) change.make(machine, earlier);
            hashes.push_back(hashOf(machine.state()));
            timeline.runFrame(machine, FrameSound::off);
        }
        EXPECT_EQ(timeline.keyframeCount(), 3u) << "the start, the change, one second";
        for (int frame : {30, 45, 29, 89}) {
            ASSERT_TRUE(timeline.seek(machine, frame));
            EXPECT_EQ(hashOf(machine.state()), hashes[static_cast<std::size_t>(frame)]) << frame;
        }
    }
}

// Going back ends a recording's file where it stood; the deck records on
// into memory.
TEST(Timeline, GoingBackEndsARecordingFile) {
    testing::TempFolder folder;
    BusyRun run;
    Timeline timeline;
    Machine& machine = run.machine();
    const auto path = folder.path() / "copy.tap";
    ASSERT_TRUE(machine.recordTape(TapeFormat::raw, path));
    for (int frame = 0; frame < 20; ++frame) timeline.runFrame(machine, FrameSound::off);
    ASSERT_TRUE(timeline.seek(machine, 5));
    const auto end = machine.takeRecordingEnd();
    ASSERT_TRUE(end.has_value());
    EXPECT_TRUE(end->written);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(machine.tapeRecording());
    timeline.runFrame(machine, FrameSound::off);
    EXPECT_FALSE(machine.takeRecordingEnd().has_value());
}

}  // namespace
}  // namespace vantorel
