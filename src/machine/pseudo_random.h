// The machine's pseudo-random generator.
//
// A hard reset fills screen RAM and the programmable characters with
// pseudo-random bytes, as the real machine's RAM powers up with noise. The
// generator follows the C library's rand/srand contract (seedable, the same
// sequence for the same seed, values 0 to 32767, seed 1 before any seeding)
// with the portable formula the C standard gives as its example, but it
// belongs to one Machine, so tests are deterministic and two machines never
// disturb each other. Its one word is part of the machine's state record, so
// a machine put back draws the same noise again. The shell seeds it from its
// millisecond clock after the first hard reset.
#pragma once

#include <cstdint>

namespace vantorel {

class PseudoRandom {
  public:
    static constexpr std::uint32_t kInitialSeed = 1;  // rand() before any srand()
    static constexpr int kMaximum = 32767;            // RAND_MAX of the formula

    void seed(std::uint32_t seedValue) { state_ = seedValue; }

    // The next value, 0 to 32767.
    int next() {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ / 65536u) % 32768u);
    }

  private:
    std::uint32_t state_ = kInitialSeed;
};

}  // namespace vantorel
