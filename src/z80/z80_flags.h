// Flag tables of the Z80 core.
//
// signZeroFlags and signZeroParityFlags give S, Z (and P/V as even parity)
// for every byte value; neither ever sets bits 3 or 5. daaResults holds, for
// every A and the C, H and N flags before DAA, the new A (bits 8-15) and the
// new F (bits 0-7). All three are constant data computed at compile time.
// Read by the arithmetic helpers in z80_alu.h.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel {

inline constexpr std::uint32_t kFlagC = 0x01;   // carry
inline constexpr std::uint32_t kFlagN = 0x02;   // add/subtract
inline constexpr std::uint32_t kFlagPV = 0x04;  // parity / overflow
inline constexpr std::uint32_t kFlag3 = 0x08;   // undocumented bit 3
inline constexpr std::uint32_t kFlagH = 0x10;   // half carry
inline constexpr std::uint32_t kFlag5 = 0x20;   // undocumented bit 5
inline constexpr std::uint32_t kFlagZ = 0x40;   // zero
inline constexpr std::uint32_t kFlagS = 0x80;   // sign

extern const std::array<std::uint8_t, 256> signZeroFlags;        // S and Z of a byte
extern const std::array<std::uint8_t, 256> signZeroParityFlags;  // S, Z and even parity

// Index: A + 256*C + 512*H + 1024*N, the flags taken before DAA.
inline constexpr std::size_t kDaaTableSize = 2048;
extern const std::array<std::uint16_t, kDaaTableSize> daaResults;

inline std::size_t daaIndex(std::uint32_t a, std::uint32_t f) {
    return a | ((f & kFlagC) << 8) | ((f & kFlagH) << 5) | ((f & kFlagN) << 9);
}

}  // namespace vantorel
