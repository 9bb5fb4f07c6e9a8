// SaveState: a state saved at any point of a long, busy run and loaded
// again runs on exactly as the machine did (state, screen, sound, tape);
// files of another version, for other ROMs, cut short or changed anywhere
// are refused with their message and leave the machine as it was; the
// slots keep eight states per program and Undo Load State puts back the
// machine from before a load.
#include "timeline/state_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/state_slots.h"
#include "support/busy_run.h"
#include "support/temp_folder.h"

#ifndef VANTOREL_SAVE_STATE_POINTS
#define VANTOREL_SAVE_STATE_POINTS 10000
#endif

namespace vantorel {
namespace {

using testing::BusyRun;
using testing::FrameOutput;

constexpr int kPoints = VANTOREL_SAVE_STATE_POINTS;
constexpr int kRunFrames = 2400;
constexpr std::string_view kVersion = "9.9";

std::vector<FrameOutput> runFrames(BusyRun& run, int from, int count) {
    std::vector<FrameOutput> frames(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) run.runFrame(from + i, &frames[static_cast<std::size_t>(i)]);
    return frames;
}

std::string difference(const std::vector<FrameOutput>& a, const std::vector<FrameOutput>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].edges != b[i].edges || a[i].frameStarts != b[i].frameStarts) return "speaker";
        if (a[i].ay != b[i].ay) return "AY samples";
        if (i > 0 && a[i].clicker != b[i].clicker) return "clicker samples";
        if (a[i].screen != b[i].screen) return "screen";
    }
    return "";
}

TEST(SaveState, EveryPointOfALongRunSavedLoadedAndRunOnEqualsTheStraightRun) {
    BusyRun run;
    Machine& machine = run.machine();
    std::mt19937 random(23);
    std::uniform_int_distribution<int> frameOf(0, kRunFrames - 1);
    std::uniform_int_distribution<int> framesAfter(1, 5);
    std::vector<int> points(kPoints);
    for (int& point : points) point = frameOf(random);
    std::sort(points.begin(), points.end());
    auto point = points.begin();
    int failures = 0;
    std::size_t largest = 0;
    auto straight = std::make_unique<MachineSnapshot>();
    for (int frame = 0; frame < kRunFrames; ++frame) {
        for (; point != points.end() && *point == frame; ++point) {
            const std::vector<std::uint8_t> bytes =
                writeStateBytes(machine, stateHeaderFor(machine, kVersion, frame, 0));
            largest = std::max(largest, bytes.size());
            machine.capture(*straight);
            const int n = framesAfter(random);
            const auto first = runFrames(run, frame, n);
            const MachineState after = machine.state();
            const TapeRecording recorded = machine.recordedTape();
            StateFileRead read = readStateBytes(bytes, machine, kVersion);
            ASSERT_TRUE(read.snapshot.has_value()) << read.problem;
            machine.restore(*read.snapshot);
            const auto second = runFrames(run, frame, n);
            std::string differs = difference(first, second);
            if (std::memcmp(&after, &machine.state(), sizeof after) != 0) differs = "state";
            if (recorded.bytes != machine.recordedTape().bytes) differs = "tape recording";
            if (!differs.empty() && ++failures <= 5) {
                ADD_FAILURE() << differs << " differs after a load at frame " << frame;
            }
            machine.restore(*straight);
        }
        run.runFrame(frame, nullptr);
    }
    EXPECT_EQ(failures, 0);
    EXPECT_LT(largest, 64u * 1024) << "a state file of the busy run, tape and text included";
    const auto files = testing::readMonitorTape(machine.recordedTape().bytes);
    ASSERT_EQ(files.size(), 1u) << "the run recorded its program";
}

struct Refusal {
    std::string problem;
    bool machineUntouched = false;
};

// Loads through a slot, as the window does, and says what happened.
Refusal loadThroughSlot(BusyRun& run, const std::vector<std::uint8_t>& bytes,
                        const std::filesystem::path& folder) {
    StateSlots slots{folder, std::string(kVersion)};
    Machine& machine = run.machine();
    const auto path = slots.pathOf(machine, 1);
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    const MachineState before = machine.state();
    const auto problem = slots.load(machine);
    Refusal refusal;
    refusal.problem = problem.value_or("");
    refusal.machineUntouched = std::memcmp(&before, &machine.state(), sizeof before) == 0;
    EXPECT_EQ(slots.canUndoLoad(), !problem.has_value());
    return refusal;
}

TEST(SaveState, WrongVersionWrongRomCutShortOrChangedIsRefusedWithItsMessage) {
    testing::TempFolder folder;
    BusyRun run;
    for (int frame = 0; frame < 120; ++frame) run.runFrame(frame, nullptr);
    Machine& machine = run.machine();
    const std::vector<std::uint8_t> good =
        writeStateBytes(machine, stateHeaderFor(machine, kVersion, 120, 1765000000));
    for (int frame = 120; frame < 180; ++frame) run.runFrame(frame, nullptr);

    auto other = writeStateBytes(machine, stateHeaderFor(machine, "1.0", 0, 0));
    Refusal refused = loadThroughSlot(run, other, folder.path());
    EXPECT_NE(refused.problem.find("saved by Vantorel 1.0"), std::string::npos) << refused.problem;
    EXPECT_TRUE(refused.machineUntouched);

    StateFileHeader foreignRom = stateHeaderFor(machine, kVersion, 0, 0);
    foreignRom.roms.monitor ^= 1;
    refused = loadThroughSlot(run, writeStateBytes(machine, foreignRom), folder.path());
    EXPECT_NE(refused.problem.find("another monitor or character ROM"), std::string::npos);
    EXPECT_TRUE(refused.machineUntouched);

    std::mt19937 random(5);
    int cut = 0;
    for (std::size_t length = 0; length < good.size(); length += 1 + random() % 97, ++cut) {
        const std::vector<std::uint8_t> shortFile(
            good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        const StateFileRead read = readStateBytes(shortFile, machine, kVersion);
        ASSERT_FALSE(read.snapshot.has_value()) << length;
        EXPECT_FALSE(read.problem.empty());
    }
    EXPECT_GT(cut, 20);
    refused = loadThroughSlot(run, {good.begin(), good.end() - 1}, folder.path());
    EXPECT_NE(refused.problem.find("cut short"), std::string::npos) << refused.problem;
    EXPECT_TRUE(refused.machineUntouched);

    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> changed = good;
        changed[random() % changed.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
        const StateFileRead read = readStateBytes(changed, machine, kVersion);
        ASSERT_FALSE(read.snapshot.has_value()) << i;
        EXPECT_FALSE(read.problem.empty());
    }
    std::vector<std::uint8_t> changed = good;
    changed[good.size() / 2] ^= 0x10;
    refused = loadThroughSlot(run, changed, folder.path());
    EXPECT_NE(refused.problem.find("damaged"), std::string::npos) << refused.problem;
    EXPECT_TRUE(refused.machineUntouched);

    refused = loadThroughSlot(run, std::vector<std::uint8_t>(100, 'x'), folder.path());
    EXPECT_NE(refused.problem.find("not a Vantorel state file"), std::string::npos);

    refused = loadThroughSlot(run, good, folder.path());
    EXPECT_EQ(refused.problem, "");
    EXPECT_FALSE(refused.machineUntouched);
    const auto header = readStateHeader(good);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->emulatedFrames, 120);
    EXPECT_EQ(header->savedAtSeconds, 1765000000);
}

TEST(SaveState, SlotsAreKeptPerProgramAndUndoLoadPutsBackTheMachine) {
    testing::TempFolder folder;
    BusyRun run;
    Machine& machine = run.machine();
    StateSlots slots{folder.path(), std::string(kVersion)};
    for (int frame = 0; frame < 60; ++frame) run.runFrame(frame, nullptr);
    slots.choose(3);
    slots.choose(9);  // no such slot: 3 stays
    EXPECT_EQ(slots.current(), 3);
    ASSERT_FALSE(slots.save(machine, 60, 0).has_value());
    const MachineState saved = machine.state();
    EXPECT_TRUE(std::filesystem::exists(slots.pathOf(machine, 3)));
    for (int frame = 60; frame < 90; ++frame) run.runFrame(frame, nullptr);
    const MachineState later = machine.state();
    EXPECT_FALSE(slots.canUndoLoad());
    ASSERT_FALSE(slots.load(machine).has_value());
    EXPECT_EQ(std::memcmp(&saved, &machine.state(), sizeof saved), 0);
    ASSERT_TRUE(slots.undoLoad(machine));
    EXPECT_EQ(std::memcmp(&later, &machine.state(), sizeof later), 0);
    EXPECT_FALSE(slots.undoLoad(machine));

    slots.choose(4);
    const auto empty = slots.load(machine);
    ASSERT_TRUE(empty.has_value());
    EXPECT_NE(empty->find("slot 4 is empty"), std::string::npos);
    EXPECT_EQ(std::memcmp(&later, &machine.state(), sizeof later), 0);

    // Another program (a game ROM in a slot) has slots of its own.
    const auto before = slots.pathOf(machine, 3);
    machine.fillSlot(std::make_shared<const SlotD000>());
    EXPECT_NE(slots.pathOf(machine, 3).parent_path(), before.parent_path());
    EXPECT_EQ(slots.pathOf(machine, 3).filename(), before.filename());
}

}  // namespace
}  // namespace vantorel
