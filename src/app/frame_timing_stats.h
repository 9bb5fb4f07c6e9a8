// How well the frames kept to the host's clock, for the debug report at exit.
//
// The frame scheduler hands over every frame the clock made due (not those
// run back to back): the counter reading at its start, how late that was
// against the schedule, whether the schedule started again with it, and the
// T-states it executed. From these come the mean frame period, the
// lateness's percentiles (a histogram of 0.1 ms steps, so nothing is
// allocated while frames run), the speed as emulated over host time, and how
// often the schedule started again after a stall. Time between a frame and
// one that started the schedule again (after a menu, Pause, a stall) is left
// out of the period and the speed: it was not meant to be emulated.
//
// Owned by the frame scheduler; the desktop program prints report() on the
// debug output (VANTOREL_DEBUG) at exit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantorel {

class FrameTimingStats {
  public:
    static constexpr std::int64_t kStepMicroseconds = 100;  // histogram step
    static constexpr int kSteps = 1000;                     // 0-100 ms; later in the last step

    // A frame the clock made due, at counter reading `ticks` (`frequency`
    // ticks per second). `stall`: the schedule started again because the
    // frame was too late to catch up, rather than because it was asked to.
    void frameRan(std::int64_t ticks, std::int64_t frequency, std::int64_t latenessTicks,
                  bool scheduleRestarted, bool stall, std::int64_t tstates);

    // Frames ran that the clock did not make due (back to back): the time
    // up to the next due frame is not a frame period.
    void interrupt() { havePrevious_ = false; }

    std::int64_t frames() const { return frames_; }
    std::int64_t stalls() const { return stalls_; }
    // Mean time from one frame to the next, in microseconds (0: none yet).
    double meanPeriodMicroseconds() const;
    // Lateness that `percent` of the frames kept within, in microseconds.
    std::int64_t latenessPercentileMicroseconds(double percent) const;
    // Emulated T-states per host second against a real machine's, in percent.
    double speedPercent() const;

    // "Frames: ... paced, mean period ... us, lateness p50 ... p99 ... max
    // ... us, speed ...%, stalls ..."
    std::string report() const;

  private:
    std::array<std::int64_t, kSteps> lateness_{};
    std::int64_t frames_ = 0;
    std::int64_t stalls_ = 0;
    std::int64_t maxLatenessUs_ = 0;
    bool havePrevious_ = false;
    std::int64_t previousTicks_ = 0;
    std::int64_t previousTStates_ = 0;
    std::int64_t frequency_ = 0;
    std::int64_t intervals_ = 0;
    std::int64_t intervalTicks_ = 0;
    std::int64_t intervalTStates_ = 0;
};

}  // namespace vantorel
