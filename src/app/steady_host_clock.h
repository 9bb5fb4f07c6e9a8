// The host clock on a desktop: std::chrono::steady_clock, which never jumps
// and always has a high-resolution counter (nanoseconds).
//
// Handed to the Machine by the program that drives frames in real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "hostapi/host_interfaces.h"

namespace vantorel {

class SteadyHostClock : public HostClock {
  public:
    std::optional<std::int64_t> counterFrequency() override { return 1'000'000'000; }

    std::optional<std::int64_t> readCounter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch()).count();
    }

    std::uint32_t milliseconds() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch());
        return static_cast<std::uint32_t>(ms.count());
    }

  private:
    static std::chrono::steady_clock::duration sinceEpoch() {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

}  // namespace vantorel
