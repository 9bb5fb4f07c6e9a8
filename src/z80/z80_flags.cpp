// Flag tables of the Z80 core (see z80_flags.h), generated at compile time.
#include "z80/z80_flags.h"

namespace vantorel {
namespace {

constexpr bool hasEvenParity(unsigned value) {
    unsigned ones = 0;
    for (unsigned bit = 0; bit < 8; ++bit) ones += (value >> bit) & 1u;
    return (ones & 1u) == 0;
}

constexpr std::uint8_t signZero(unsigned value) {
    return static_cast<std::uint8_t>((value & kFlagS) | (value == 0 ? kFlagZ : 0));
}

constexpr std::array<std::uint8_t, 256> buildSignZeroFlags() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) table[v] = signZero(v);
    return table;
}

constexpr std::array<std::uint8_t, 256> buildSignZeroParityFlags() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v) {
        table[v] = static_cast<std::uint8_t>(signZero(v) | (hasEvenParity(v) ? kFlagPV : 0));
    }
    return table;
}

// Decimal adjust of A after an addition (N = 0) or a subtraction (N = 1).
constexpr std::uint16_t daaEntry(unsigned index) {
    const unsigned a = index & 0xFF;
    const bool carry = (index & 0x100) != 0;
    const bool halfCarry = (index & 0x200) != 0;
    const bool subtract = (index & 0x400) != 0;
    const unsigned lowNibble = a & 0x0F;

    unsigned correction = 0;
    bool newCarry = carry;
    if (carry || a > 0x99) {
        correction += 0x60;
        newCarry = true;
    }
    if (halfCarry || lowNibble > 9) correction += 0x06;

    unsigned result = 0;
    bool newHalfCarry = false;
    if (!subtract) {
        result = (a + correction) & 0xFF;
        newHalfCarry = lowNibble > 9;
    } else {
        result = (a - correction) & 0xFF;
        newHalfCarry = halfCarry && lowNibble < 6;
    }
    const unsigned f = (result & (kFlagS | kFlag5 | kFlag3)) | (result == 0 ? kFlagZ : 0) |
                       (newHalfCarry ? kFlagH : 0) | (hasEvenParity(result) ? kFlagPV : 0) |
                       (subtract ? kFlagN : 0) | (newCarry ? kFlagC : 0);
    return static_cast<std::uint16_t>((result << 8) | f);
}

constexpr std::array<std::uint16_t, kDaaTableSize> buildDaaResults() {
    std::array<std::uint16_t, kDaaTableSize> table{};
    for (unsigned i = 0; i < kDaaTableSize; ++i) table[i] = daaEntry(i);
    return table;
}

}  // namespace

// constinit: the tables are filled by the compiler, never at run time.
constinit const std::array<std::uint8_t, 256> signZeroFlags = buildSignZeroFlags();
constinit const std::array<std::uint8_t, 256> signZeroParityFlags = buildSignZeroParityFlags();
constinit const std::array<std::uint16_t, kDaaTableSize> daaResults = buildDaaResults();

}  // namespace vantorel
