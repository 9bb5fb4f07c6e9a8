// The machine's past: every frame since the start can be gone back to.
//
// While the program runs its frames through the timeline, it keeps
//   - a keyframe of the whole machine (the state record and the inputs it
//     names) at the start and every emulated second after, each packed as
//     its difference from the keyframe before (packed_state.h; every 32nd
//     is packed whole, so no chain of differences grows long);
//   - a keyframe wherever the machine was changed between frames (a reset,
//     a tape put in or taken out, text to type, a setting the hardware
//     reads, a file or a state loaded, memory edited): whatever a command
//     did is in the record, so it needs no log entry of its own;
//   - the input log (input_log.h): every joystick byte and host key state
//     that changed at a frame's reads, and what the sound output did to the
//     AY's record (ay_state_log.h);
//   - a store of up to two seconds of whole machines, one per frame, for
//     stepping back frame by frame.
// Any frame since the start (and so any T-state, to the frame it falls in:
// the machine is only taken and put back between frames) is reached by
// putting back the nearest keyframe before it and running the frames after
// it again, muted, with the logged input instead of the host's. Frames
// reached that way land in the per-frame store, so that stepping back
// frame by frame runs one replay every two seconds; the first step back
// replays at most three seconds, a few milliseconds.
//
// Recording costs little beside the frame itself: frames run forward are
// not copied into the store, and a change between frames is found by
// comparing the few kilobytes of the record around RAM and the machine's
// count of RAM edits (Machine::ramEdits) with the last frame's end.
//
// Memory: kept under a cap. Above it old keyframes are thinned, the older
// the sparser (a keyframe goes where its neighbours lie closest for its
// age: in a long run they end up 1, 2, 4, 8 ... seconds apart going back),
// never the first one nor those of commands, so the whole run stays
// reachable.
//
// A recording the tape deck writes to a file cannot be taken back: going
// back in time ends that file where it stood (it keeps what was recorded
// until then) and the deck records on into memory.
//
// Used by the program's frame loop (runFrame instead of Machine::runFrame),
// by rewind and by movies:
//   Timeline timeline{64 << 20};
//   timeline.runFrame(machine, FrameSound::on);  // the first call starts it
//   timeline.seek(machine, timeline.position() - 1);  // one frame back
//   timeline.runFrame(...);  // going on from there drops what came after
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/frame_input_tap.h"
#include "machine/machine.h"
#include "timeline/ay_state_log.h"
#include "timeline/input_log.h"
#include "timeline/packed_state.h"

namespace vantorel {

inline constexpr std::int64_t kDefaultTimelineBytes = std::int64_t{64} << 20;

// A whole run as a movie keeps it: the machine it started from, the
// machine after every change between frames, and the logs.
struct TimelineRun {
    struct Command {
        std::int64_t frame = 0;
        std::int64_t tstate = 0;
        MachineSnapshot snapshot;
    };
    MachineSnapshot start;
    std::vector<Command> commands;  // after the start, in order
    InputLog log;
    AyStateLog ay;
    std::int64_t frames = 0;
};

class Timeline final : private FrameInputTap {
  public:
    explicit Timeline(std::int64_t memoryCapBytes = kDefaultTimelineBytes);
    ~Timeline() override;
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Forgets everything and starts from the machine as it is now (frame 0).
    void start(const Machine& machine);
    bool started() const { return !keyframes_.empty(); }
    // Forgets everything; the next runFrame starts again.
    void clear();

    // Runs one frame of `machine` and keeps it. Starts the timeline first if
    // it has not started; drops what came after the position first if the
    // machine was taken back.
    //
    // A debugger can stop the machine inside a frame (FrameResult::complete
    // false): the position stays at the frame's start until a later call
    // finishes it. A frame the timeline already holds is finished from its
    // log (as replayFrame does); in the newest frame the inputs already read
    // live are given back from the log when the frame is run again from its
    // start.
    FrameResult runFrame(Machine& machine, FrameSound sound);
    // Runs the frame at the position again from the log, muted, from its
    // start or from where the machine stands inside it, keeping what comes
    // after; the position moves on when the frame completes. Only while
    // position() < end(); otherwise nothing runs.
    FrameResult replayFrame(Machine& machine);

    // The frame boundary the machine stands at (frames since the start),
    // and the last one kept.
    std::int64_t position() const { return position_; }
    std::int64_t end() const { return end_; }
    // T-states since the start at the position.
    std::int64_t positionTStates() const { return positionTStates_; }

    // Takes `machine` to frame boundary `frame` (0 to end()); what came after
    // is kept until a frame runs from there. False, machine untouched, when
    // the frame lies outside.
    bool seek(Machine& machine, std::int64_t frame);
    // Takes it to the start of the frame that T-state `tstate` falls in.
    bool seekTState(Machine& machine, std::int64_t tstate);
    // Drops what came after the position.
    void dropFuture();
    // The machine was changed inside the frame in progress (a debugger's
    // edit while stopped there): when the frame completes, its end is kept
    // as a command's keyframe, so that the frames after it replay from what
    // really ran. A seek forgets it.
    void frameEditedInside() { editedInside_ = true; }

    // The run from its start to the end (movies). Thinning never drops a
    // command's keyframe, so every one is there.
    TimelineRun exportRun() const;
    // Starts again from a run: the machine is not touched until a seek
    // (seek(0) puts it at the run's start).
    void importRun(const TimelineRun& run);

    // Bytes the timeline holds (keyframes, the log, the per-frame store).
    std::int64_t memoryBytes() const;
    // Of those, the packed keyframes'.
    std::int64_t keyframeBytes() const;
    std::int64_t memoryCap() const { return cap_; }
    void setMemoryCap(std::int64_t bytes);
    std::size_t keyframeCount() const { return keyframes_.size(); }
    std::int64_t keyframeFrame(std::size_t index) const { return keyframes_[index].frame; }
    std::int64_t keyframeTState(std::size_t index) const { return keyframes_[index].tstate; }
    const InputLog& inputLog() const { return log_; }
    // Frames from the position back that the per-frame store holds.
    std::int64_t framesStoredBack() const;

  private:
    struct Keyframe {
        std::int64_t frame = 0;
        std::int64_t tstate = 0;
        bool command = false;  // made by a change between frames: never thinned
        bool whole = false;    // packed without a base
        PackedState packed;
        MachineInputs inputs;
    };
    struct StoredFrame {
        std::int64_t frame = -1;
        std::int64_t tstate = 0;
        MachineSnapshot snapshot;
    };

    // FrameInputTap
    bool replaying() const override;
    void joysticksRead(JoystickPoll poll, const JoystickBytes& before, JoystickBytes& now) override;
    void keysScanned(const HostKeyStates& before, HostKeyStates& now) override;

    // The machine as the last frame left it, enough to see a change since:
    // the record around RAM, the inputs it names and the count of RAM edits.
    struct FrameEnd {
        bool known = false;
        std::uint64_t ramEdits = 0;
        std::array<const void*, 7> inputs{};
        std::vector<std::uint8_t> aroundRam;
    };

    void noteFrameEnd(const Machine& machine);
    bool changedSinceFrameEnd(const Machine& machine) const;
    void noteChangesBetweenFrames(const Machine& machine);
    void addKeyframe(const MachineState& state, const MachineInputs& inputs, bool command);
    void unpackKeyframe(std::size_t index, MachineState& out) const;
    std::size_t keyframeAtOrBefore(std::int64_t frame) const;
    void thinToCap();
    bool thinOnce();

    StoredFrame* stored(std::int64_t frame);
    const StoredFrame* stored(std::int64_t frame) const;
    void store(std::int64_t frame, std::int64_t tstate, const Machine& machine);
    void forgetStoredAfter(std::int64_t frame);

    void putBack(Machine& machine, const Keyframe& keyframe);
    template <class Stop>
    void replayFrames(Machine& machine, Stop stop);
    FrameResult runLoggedFrame(Machine& machine, FrameSound sound);
    void landReplayedFrame(Machine& machine, const FrameResult& result);
    void applyLogged(InputPoint point, std::uint8_t* values, std::size_t count);

    std::int64_t cap_;
    std::vector<Keyframe> keyframes_;
    std::size_t packedBytes_ = 0;                   // the keyframes' packed bytes
    std::unique_ptr<MachineState> newestKeyState_;  // unpacked newest keyframe, the next one's base
    std::unique_ptr<MachineState> scratch_;
    InputLog log_;
    AyStateLog ayLog_;
    std::size_t ayCursor_ = 0;
    std::vector<std::unique_ptr<StoredFrame>> store_;  // ring: frame f in slot f % size
    std::int64_t storedFirst_ = 0;  // the store holds [storedFirst_, storedLast_]
    std::int64_t storedLast_ = -1;
    std::int64_t position_ = 0;
    std::int64_t end_ = 0;
    std::int64_t positionTStates_ = 0;
    FrameEnd frameEnd_;
    // The frame being run.
    bool replaying_ = false;
    const Machine* running_ = nullptr;
    std::size_t replayCursor_ = 0;
    // Input points (InputPoint order) of the frame at the end already read
    // live by a run a debugger stopped inside it.
    int partialPoints_ = 0;
    bool editedInside_ = false;  // frameEditedInside since the frame began
    InputPoint pointNow() const;
    void advancePosition(Machine& machine, const FrameResult& result);
    const StoredFrame* storedAtTState(std::int64_t tstate) const;
};

}  // namespace vantorel
