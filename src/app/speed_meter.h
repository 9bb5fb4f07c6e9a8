// The speed percentage shown with the screen.
//
// A ring of the last 16 frames' start times and executed T-states. Every
// 16th frame the percentage becomes the T-states of the 15 frames between
// the oldest time stamp and the newest, per second, against the 2,106,360
// T-states per second of a real machine. Updated by the frame scheduler
// after each frame it runs; read by the window's title.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

class SpeedMeter {
  public:
    static constexpr int kEntries = 16;

    // Records a frame that started at `startMs` and executed `tstates`.
    void update(std::uint32_t startMs, std::int64_t tstates);

    std::int32_t speedPercent() const { return speedPercent_; }

  private:
    struct Entry {
        std::uint32_t startMs = 0;  // ms time at the frame's start
        std::int64_t tstates = 0;   // T-states the frame executed
    };
    std::array<Entry, kEntries> ring_{};
    int index_ = 0;  // entry the next frame goes to, 0-15
    std::int32_t speedPercent_ = 100;
};

}  // namespace vantorel
