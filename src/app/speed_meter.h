// The speed percentage shown with the screen: the true ratio of emulated to
// host time.
//
// A ring of the last 16 frames' start times and executed T-states. Every
// 16th frame the percentage becomes the T-states of the 15 frames between
// the oldest time stamp and the newest, per second, against the 2,106,360
// T-states per second of a real machine, rounded to the nearest whole
// percent. The times come from the host's high-resolution counter when it
// has one (the millisecond clock alone would make the figure jump by half a
// percent). Updated by the frame scheduler after each frame it runs; read by
// the window's title.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

class SpeedMeter {
  public:
    static constexpr int kEntries = 16;

    // Records a frame that started at `startTime`, in units of which
    // `unitsPerSecond` make a second, and executed `tstates`.
    void update(std::int64_t startTime, std::int64_t unitsPerSecond, std::int64_t tstates);

    std::int32_t speedPercent() const { return speedPercent_; }

  private:
    struct Entry {
        std::int64_t startTime = 0;  // the frame's start
        std::int64_t tstates = 0;    // T-states the frame executed
    };
    std::array<Entry, kEntries> ring_{};
    int index_ = 0;  // entry the next frame goes to, 0-15
    std::int32_t speedPercent_ = 100;
};

}  // namespace vantorel
