// The Sorcerer's address space: RAM, ROMs, game ROM slots and their map.
//
// One 64K image holds all RAM, screen RAM (F000-F7FF) and the programmable
// characters (FC00-FFFF); the monitor ROM (E000-EFFF) and the character ROM
// (F800-FBFF) live in their own buffers; a plug-in game ROM sits in one of
// three slots (A000, C000 or D000). There is no bank switching: what an
// address reads depends on the address, the RAM fitted (`ramexpanders`), the
// filled slot, the snapshot RAM flag and, right after a reset, the boot read
// counter, which serves the processor's first three reads of 0000-0002 from
// the monitor ROM so that it starts there.
//
// Called by the processor through MachineBus for every access (read and
// write are inline range compares, no allocation), by the resets, the
// machine files, the display and installBuiltinImages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "machine/rom_images.h"

namespace vantorel {

inline constexpr std::size_t kMemoryBytes = 65536;
inline constexpr std::uint16_t kMonitorStart = 0xE000;
inline constexpr std::uint16_t kScreenRamStart = 0xF000;  // scratch F000-F07F, screen F080-F7FF
inline constexpr std::uint16_t kVisibleScreenStart = 0xF080;
inline constexpr std::uint16_t kCharacterRomStart = 0xF800;
inline constexpr std::uint16_t kProgrammableCharactersStart = 0xFC00;
inline constexpr std::uint16_t kSlotA000 = 0xA000;
inline constexpr std::uint16_t kSlotC000 = 0xC000;
inline constexpr std::uint16_t kSlotD000 = 0xD000;
inline constexpr std::uint8_t kBootReads = 3;  // reads of 0000-0002 served by the monitor

// A game ROM slot's contents: exactly the bytes its window covers
// (A000-DFFF 16K, C000-DFFF 8K, D000-DFFF 4K).
using SlotA000 = std::array<std::uint8_t, 0x4000>;
using SlotC000 = std::array<std::uint8_t, 0x2000>;
using SlotD000 = std::array<std::uint8_t, 0x1000>;

struct MachineMemory {
    std::array<std::uint8_t, kMemoryBytes> image{};               // all RAM, by Z80 address
    std::array<std::uint8_t, kMonitorRomBytes> monitorRom{};      // seen at E000-EFFF
    std::array<std::uint8_t, kCharacterRomBytes> characterRom{};  // seen at F800-FBFF
    std::unique_ptr<SlotA000> slotA000;                           // game ROM at A000-DFFF, or none
    std::unique_ptr<SlotC000> slotC000;                           // game ROM at C000-DFFF, or none
    std::unique_ptr<SlotD000> slotD000;                           // game ROM at D000-DFFF, or none
    bool snapshotRam = false;          // 2000-BBFF reads as RAM whatever is fitted
    std::uint8_t bootReadCounter = 0;  // reads of 0000-0002 served since reset, 0-3

    // What the processor reads at `address` with `ramexpanders` (0 = 8K,
    // 1 = 16K, 2 = 32K, 3 = almost 48K; any other value 8K) of RAM fitted.
    // Used for opcode fetches and data reads alike.
    std::uint8_t read(std::uint16_t address, std::int32_t ramexpanders) {
        if (address < kBootReads && bootReadCounter < kBootReads) {
            ++bootReadCounter;
            return monitorRom[address];
        }
        return peek(address, ramexpanders);
    }

    // What a read of `address` gives once the boot reads are over, without
    // counting as a read (the snapshot writer composes its image from it).
    std::uint8_t peek(std::uint16_t address, std::int32_t ramexpanders) const {
        if (address < 0x2000) return image[address];  // 8K of RAM is always fitted
        if (address >= kMonitorStart) {
            if (address < kScreenRamStart) return monitorRom[address - kMonitorStart];
            if (address >= kCharacterRomStart && address < kProgrammableCharactersStart) {
                return characterRom[address - kCharacterRomStart];
            }
            return image[address];  // screen RAM and programmable characters
        }
        if (address >= kSlotA000) {  // a game ROM takes precedence over RAM
            if (slotA000) return (*slotA000)[address - kSlotA000];
            if (address >= kSlotC000) {
                if (slotC000) return (*slotC000)[address - kSlotC000];
                if (slotD000 && address >= kSlotD000) return (*slotD000)[address - kSlotD000];
                return 0xFF;
            }
        }
        return address < ramEnd(ramexpanders) ? image[address] : 0xFF;
    }

    // Stores a byte unless `address` is ROM. Writes above the fitted RAM and
    // under a game ROM land in the image (and read back once mapped as RAM).
    void write(std::uint16_t address, std::uint8_t value) {
        if (address >= kMonitorStart && address < kScreenRamStart) return;
        if (address >= kCharacterRomStart && address < kProgrammableCharactersStart) return;
        image[address] = value;
    }

    // First address above the RAM that reads back in 2000-BFFF.
    std::uint32_t ramEnd(std::int32_t ramexpanders) const {
        if (snapshotRam || ramexpanders == 3) return 0xBC00;
        if (ramexpanders == 2) return 0x8000;
        if (ramexpanders == 1) return 0x4000;
        return 0x2000;
    }

    // Empties the D000, then the C000, then the A000 slot.
    void emptySlots();
    bool anySlotFilled() const { return slotA000 || slotC000 || slotD000; }
};

// Copies the monitor and character ROM images into the machine's ROM
// buffers. Called when the settings are loaded and when the Memory dialog is
// confirmed; a snapshot load is the only other thing that changes them.
void installBuiltinImages(MachineMemory& memory, const RomImages& images);

}  // namespace vantorel
