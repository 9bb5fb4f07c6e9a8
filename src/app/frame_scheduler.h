// When the machine's frames run: the one owner of host time.
//
// The machine emulates a frame whenever it is asked (Machine::runFrame);
// this scheduler decides, on every pass of the program's idle path, whether
// one is due, from the host clock (frame_pacing.h): the frame period of the
// frame rate, or, while sound plays, the sound output's pace (one frame per
// frame of audio, nudged to follow the device's clock), read after the sound
// starts and after every frame. Frames keep to the clock's schedule: a late
// host catches up on a few frames at once, and the schedule starts again
// after a stall or when the program resumes frames (restartSchedule). It
// also decides whether the screen is due
// (`usevideoupdatepsflag` gives it a schedule of its own), keeps the speed
// meter, and runs frames back to back, whatever the clock says, in Fast mode,
// while the turbo key is held (those frames make no sound) and, with
// `speedupfilesflag`, while quick type types or a tape moves.
//
// Every frame runs through the machine's timeline (timeline/timeline.h),
// kept under the settings' rewind memory. While the rewind key is held the
// due passes step the machine back through it instead, two frames a pass
// (twice real speed), without sound; let go, frames go on from there and
// the timeline drops what came after.
//
// A program without a clock (the headless runner) needs no scheduler: it
// calls runFrame itself. A program in real time:
//   1. FrameScheduler scheduler{machine, &clock};
//   2. boot() sets up the pacing; the host devices make it follow the sound;
//   3. every idle pass: FramePass pass = scheduler.runPass(); paint when
//      pass.screenDue;
//   4. between passes wait nanosecondsUntilDue(), unless runsBackToBack();
//   5. restartSchedule() when frames run again after a menu, a dialog,
//      Pause or deactivation.
#pragma once

#include <cstdint>

#include "app/frame_pacing.h"
#include "app/frame_timing_stats.h"
#include "app/speed_meter.h"
#include "machine/machine.h"
#include "sound/sound_output.h"
#include "timeline/timeline.h"

namespace vantorel {

// What one pass of the idle path did.
struct FramePass {
    bool frameRan = false;   // a frame was emulated
    bool screenDue = false;  // redraw the screen now
    FrameResult frame;       // the frame's T-states, when one ran
};

class FrameScheduler {
  public:
    // `clock` may be null: every pass is then due (no pacing).
    FrameScheduler(Machine& machine, HostClock* clock);
    FrameScheduler(const FrameScheduler&) = delete;
    FrameScheduler& operator=(const FrameScheduler&) = delete;

    // Pacing set-up: asks the clock for its counter and sets the frame
    // period from the machine's frame rate (start-up).
    void setUpPacing();
    // From now on the frame period follows `sound`'s pace (read at once and
    // after every frame); null: it stays as it is. The host devices call it
    // whenever the sound starts, restarts or goes.
    void followSound(const SoundOutput* sound);
    // Sets the frame period as `pace` asks.
    void usePace(const FramePace& pace);

    // One pass of the idle path: runs a frame when one is due (or frames
    // run back to back) and says whether the screen is due. Nothing runs
    // before the machine's first reset.
    FramePass runPass();
    // The next pass runs a frame and the schedule starts again from it: the
    // time frames were not allowed to run is not caught up.
    void restartSchedule();

    // Frames run on every pass: Fast mode, the turbo key, or files fed with
    // "speed up" on.
    bool runsBackToBack() const;
    // Nanoseconds until the next frame, or the next screen update on a
    // schedule of its own, is due; 0 when due now or there is no counter.
    std::int64_t nanosecondsUntilDue() const;

    // The turbo key: held, frames run back to back without frame sound; the
    // screen keeps the clock's schedule.
    bool turbo() const { return turbo_; }
    void setTurbo(bool held) { turbo_ = held; }

    // The rewind key: held, the machine steps back (the first step at
    // once); let go, frames go on from where it got to. False when there is
    // nothing to go back to.
    bool rewinding() const { return rewinding_; }
    bool setRewinding(bool held);
    // Takes the machine `seconds` of emulated time back (to the start at
    // most); false when there is nothing to go back to.
    bool rewindSeconds(int seconds);
    Timeline& timeline() { return timeline_; }
    const Timeline& timeline() const { return timeline_; }

    Machine& machine() const { return machine_; }
    std::int32_t speedPercent() const { return speedMeter_.speedPercent(); }
    const FramePacing& pacing() const { return pacing_; }
    std::int64_t framesRun() const { return framesRun_; }
    // How well the paced frames kept to the clock (the debug report at exit).
    const FrameTimingStats& timingStats() const { return timingStats_; }

  private:
    bool filesBeingFed() const;
    bool stepBack(std::int64_t frames);
    void measure(const PacingDecision& decision, std::uint32_t startMs, std::int64_t tstates);

    Machine& machine_;
    HostClock* clock_;
    FramePacing pacing_;
    SpeedMeter speedMeter_;
    FrameTimingStats timingStats_;
    bool restartAsked_ = false;           // the next schedule restart was asked for, not a stall
    bool haveMs_ = false;                 // lastMs_ holds a reading
    std::uint32_t lastMs_ = 0;            // the millisecond clock's last reading
    std::int64_t unwrappedMs_ = 0;        // milliseconds counted across its wraps
    const SoundOutput* sound_ = nullptr;  // whose pace the frames follow; null: own period
    FramePace pace_;                      // the pace last taken from it
    bool turbo_ = false;
    bool rewinding_ = false;
    Timeline timeline_;
    std::int64_t framesRun_ = 0;
};

}  // namespace vantorel
