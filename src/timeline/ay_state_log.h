// What the sound output did to the AY-3-8910's record, frame by frame.
//
// The AY's registers and counters live in the machine's state record, but no
// emulated program touches them: the program's sound output runs the chip
// at the end of every frame it makes sound for, and whether it does depends
// on the host (an audio device open, frames run with sound or not). To run
// frames again exactly, the timeline logs the bytes of the AY record that
// changed during each frame (a few bytes of counters and outputs), and puts
// them back after each frame it runs again.
//
// Entries: the frame, the number of changed bytes, then (offset, value) pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sound/ay_chip.h"

namespace vantorel {

static_assert(sizeof(AyChip) <= 256, "offsets into the AY record fit a byte");

class AyStateLog {
  public:
    // Logs what differs between the record before and after `frame`.
    void note(std::int64_t frame, const AyChip& before, const AyChip& after);
    // Puts back what `frame` changed; `from` is where to start looking (a
    // cursor kept between calls; seek() gives the first for a frame).
    void apply(std::int64_t frame, AyChip& chip, std::size_t& from) const;
    // The cursor for the first entry of `frame` or later.
    std::size_t seek(std::int64_t frame) const;
    // Forgets the entries of `frame` and later.
    void dropFrom(std::int64_t frame);
    void clear();
    std::size_t memoryBytes() const;
    std::size_t entries() const { return frames_.size(); }

    // The log as bytes, and back (movies); false for bytes that are not one.
    std::vector<std::uint8_t> toBytes() const;
    bool fromBytes(std::span<const std::uint8_t> bytes);

  private:
    std::vector<std::int64_t> frames_;   // the frame of each entry, ascending
    std::vector<std::uint32_t> starts_;  // where each entry's pairs start in bytes_
    std::vector<std::uint8_t> bytes_;    // count, then (offset, value) pairs
};

}  // namespace vantorel
