// Monitor and character ROM images for tests, built from a few bytes of
// Z80 code, so no test depends on the real built-in monitor.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "machine/rom_images.h"

namespace vantorel::testing {

struct TestRoms {
    std::array<std::uint8_t, kMonitorRomBytes> monitor{};
    std::array<std::uint8_t, kCharacterRomBytes> characters{};

    RomImages images() const { return {monitor, characters}; }

    // Places bytes in the monitor image at Z80 address `address` (E000-EFFF).
    void put(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        std::size_t offset = address - 0xE000u;
        for (std::uint8_t byte : bytes) monitor[offset++] = byte;
    }
};

// A monitor whose first instruction jumps to E010, where it spins on a
// JP-to-self: every processor slice then executes exactly its budget. The
// monitor's bytes 0-2 (C3 10 E0) and the character ROM's bytes (their index
// plus 1) are recognisable.
inline TestRoms idleTestRoms() {
    TestRoms roms;
    roms.put(0xE000, {0xC3, 0x10, 0xE0});  // JP E010
    roms.put(0xE010, {0xC3, 0x10, 0xE0});  // JP E010
    for (std::size_t i = 0; i < roms.characters.size(); ++i) {
        roms.characters[i] = static_cast<std::uint8_t>(i + 1);
    }
    return roms;
}

}  // namespace vantorel::testing
