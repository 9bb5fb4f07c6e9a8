// When the next emulated frame, and the next screen update, are due.
//
// The frame scheduler (frame_scheduler.h) asks on every pass of the idle
// path; a frame is due once the host's high-resolution counter reaches the
// next-frame tick count, which then moves on by one frame period: frames
// are locked to the clock, so a host that wakes late loses no emulated
// time. The frames it owes then run at once, pass after pass, until the
// schedule is met again, as long as they are at most kCatchUpFrames late;
// after a longer stall (a suspended host, a debugger break, a blocked disk)
// the schedule starts again from the reading, without a burst. It also
// starts again when asked (restart(): after a menu, a dialog, Pause or
// deactivation, when no frames were meant to run). Hosts without a counter
// pace frames on the millisecond clock the same way. The screen follows the
// frames, or, with `usevideoupdatepsflag`, a schedule of its own at
// `videoupdatesps` per second. A machine without a clock is unpaced: every
// pass is due.
//
//   1. setUp(clock, framesPerSecond) at start-up (boot() through the scheduler).
//   2. useAudioFramePeriod(frameBytes, ratePpm) while the sound's pace follows the audio.
//   3. decide(...) on every pass of the idle path (the scheduler does this).
//   4. restart() when frames resume after a time they were not allowed to run.
#pragma once

#include <cstdint>

#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr std::int64_t kAudioBytesPerSecond = 44100;
// Frames owed after a late wake-up are run at once up to this lateness (in
// frame periods); beyond it the schedule starts again from now.
inline constexpr std::int64_t kCatchUpFrames = 4;

struct PacingDecision {
    bool frameDue = false;   // run a frame now
    bool screenDue = false;  // redraw the screen now
    // With a due frame on the counter: how late it is in ticks, and whether
    // the schedule started again with it (first frame, restart, stall).
    std::int64_t latenessTicks = 0;
    bool scheduleRestarted = false;
    std::int64_t dueTicks = 0;  // the reading at which it was due

    // The counter's reading for this pass, when there is a counter and it
    // could be read.
    bool ticksValid = false;
    std::int64_t ticks = 0;
};

class FramePacing {
  public:
    // Reads the counter's frequency; with a counter the frame period becomes
    // frequency / framesPerSecond ticks.
    void setUp(HostClock* clock, std::int32_t framesPerSecond);

    // While sound runs one frame is produced per frame of audio: the period
    // becomes frameBytes x frequency / 44100 ticks (only with a counter),
    // lengthened by `ratePpm` parts per million (-20000 to 20000) to keep the
    // emulation in step with the audio device's own clock.
    void useAudioFramePeriod(std::int32_t frameBytes, std::int32_t ratePpm = 0);

    // Decides for the pass at millisecond time `nowMs` (read by the caller)
    // and moves the schedules on.
    PacingDecision decide(HostClock* clock, std::uint32_t nowMs, const MachineConfig& config,
                          std::int32_t framesPerSecond);

    // The next frame is due at once and the schedule starts again from it.
    void restart();

    bool counterAvailable() const { return counterAvailable_; }
    std::int64_t counterFrequency() const { return counterFrequency_; }  // ticks per second
    std::int64_t framePeriodTicks() const { return framePeriodTicks_; }
    // Counter readings at which the next frame and the next screen update
    // are due: the desktop's idle loop sleeps until then instead of asking
    // on every pass.
    std::int64_t nextFrameTicks() const { return nextFrameTicks_; }
    std::int64_t nextScreenTicks() const { return nextScreenTicks_; }

  private:
    bool frameDueOnCounter(std::int64_t ticks, PacingDecision& decision);
    bool frameDueOnMilliseconds(std::uint32_t nowMs, std::int32_t framesPerSecond);
    bool screenDueOnCounter(std::int64_t ticks, std::int32_t updatesPerSecond);
    bool screenDueOnMilliseconds(std::uint32_t nowMs, std::int32_t updatesPerSecond);

    bool counterAvailable_ = false;
    std::int64_t counterFrequency_ = 0;  // ticks per second
    std::int64_t framePeriodTicks_ = 0;  // ticks
    std::int64_t nextFrameTicks_ = 0;    // counter reading at which the next frame is due
    std::int64_t nextScreenTicks_ = 0;   // counter reading at which the screen is due
    std::uint32_t nextFrameMs_ = 0;      // ms time at which the next frame is due
    std::uint32_t nextScreenMs_ = 0;     // ms time at which the screen is due
    bool frameMsScheduled_ = false;      // nextFrameMs_ holds a time (else due now)
    bool screenMsScheduled_ = false;     // nextScreenMs_ holds a time (else due now)
    std::int32_t frameMsRemainder_ = 0;  // fraction of a ms carried, in 1/fps ms
    bool frameScheduled_ = false;        // nextFrameTicks_ holds a time (else due now)
};

}  // namespace vantorel
