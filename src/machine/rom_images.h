// The two ROM images a Sorcerer needs to boot.
//
// A 4K monitor ROM (seen at E000-EFFF) and a 1K character generator ROM
// (seen at F800-FBFF) handed around as read-only byte ranges. The build's own
// images come from builtin_images.h; tests pass images of their own. Used by
// installBuiltinImages (machine_memory.h) and the settings loader.
#pragma once

#include <cstdint>
#include <span>

namespace vantorel {

inline constexpr std::size_t kMonitorRomBytes = 4096;    // E000-EFFF
inline constexpr std::size_t kCharacterRomBytes = 1024;  // F800-FBFF

struct RomImages {
    std::span<const std::uint8_t, kMonitorRomBytes> monitor;       // monitor ROM, E000-EFFF
    std::span<const std::uint8_t, kCharacterRomBytes> characters;  // character ROM, F800-FBFF
};

}  // namespace vantorel
