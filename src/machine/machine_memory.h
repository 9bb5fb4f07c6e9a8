// The Sorcerer's address space: RAM, ROMs, game ROM slots and their map.
//
// One 64K image holds all RAM, screen RAM (F000-F7FF) and the programmable
// characters (FC00-FFFF); the monitor ROM (E000-EFFF) and the character ROM
// (F800-FBFF) have images of their own; a plug-in game ROM sits in one of
// three slots (A000, C000 or D000). There is no bank switching: what an
// address reads depends on the address, the RAM fitted (`ramexpanders`), the
// filled slot, the snapshot RAM flag and, right after a reset, the boot read
// counter, which serves the processor's first three reads of 0000-0002 from
// the monitor ROM so that it starts there.
//
// MachineMemory is the part of the machine's state record: the RAM image,
// which slots are filled, the snapshot RAM flag and the boot read counter.
// What the ROMs and slots hold never changes while they are in: the images
// are shared, read-only, beside the record (MachineRoms, GameRomSlots), and
// a new image replaces the pointer. MachineBus puts the three together for
// the processor's accesses (inline range compares, no allocation).
//
// Called by the processor through MachineBus for every access, by the
// resets, the machine files, the display and installBuiltinImages.
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

using MonitorRom = std::array<std::uint8_t, kMonitorRomBytes>;      // seen at E000-EFFF
using CharacterRom = std::array<std::uint8_t, kCharacterRomBytes>;  // seen at F800-FBFF

// A game ROM slot's contents: exactly the bytes its window covers
// (A000-DFFF 16K, C000-DFFF 8K, D000-DFFF 4K).
using SlotA000 = std::array<std::uint8_t, 0x4000>;
using SlotC000 = std::array<std::uint8_t, 0x2000>;
using SlotD000 = std::array<std::uint8_t, 0x1000>;

// Bits of MachineMemory::filledSlots.
inline constexpr std::uint8_t kSlotA000Filled = 0x01;
inline constexpr std::uint8_t kSlotC000Filled = 0x02;
inline constexpr std::uint8_t kSlotD000Filled = 0x04;

// The memory's part of the machine's state record.
struct MachineMemory {
    std::array<std::uint8_t, kMemoryBytes> image{};  // all RAM, by Z80 address
    std::uint8_t filledSlots = 0;      // kSlot...Filled bits: which game ROM slots are in
    bool snapshotRam = false;          // 2000-BBFF reads as RAM whatever is fitted
    std::uint8_t bootReadCounter = 0;  // reads of 0000-0002 served since reset, 0-3

    // Stores a byte unless `address` is ROM. Writes above the fitted RAM and
    // under a game ROM land in the image (and read back once mapped as RAM).
    void write(std::uint16_t address, std::uint8_t value) {
        if (isRom(address)) return;
        image[address] = value;
    }
    // The monitor ROM and the character ROM: writes there are dropped.
    static bool isRom(std::uint32_t address) {
        return (address >= kMonitorStart && address < kScreenRamStart) ||
               (address >= kCharacterRomStart && address < kProgrammableCharactersStart);
    }

    // First address above the RAM that reads back in 2000-BFFF, with
    // `ramexpanders` (0 = 8K, 1 = 16K, 2 = 32K, 3 = almost 48K; any other
    // value 8K) of RAM fitted.
    std::uint32_t ramEnd(std::int32_t ramexpanders) const {
        static constexpr std::array<std::uint32_t, 4> kEnds = {0x2000, 0x4000, 0x8000, 0xBC00};
        if (snapshotRam) return 0xBC00;
        const auto fitted = static_cast<std::uint32_t>(ramexpanders);
        return fitted < kEnds.size() ? kEnds[fitted] : 0x2000;
    }

    bool anySlotFilled() const { return filledSlots != 0; }
};

// The two ROM images, shared and read-only; never null.
struct MachineRoms {
    std::shared_ptr<const MonitorRom> monitor = std::make_shared<const MonitorRom>();
    std::shared_ptr<const CharacterRom> characters = std::make_shared<const CharacterRom>();
};

// The game ROMs in the slots, shared and read-only; a slot's pointer is set
// exactly when MachineMemory::filledSlots names the slot.
struct GameRomSlots {
    std::shared_ptr<const SlotA000> a000;  // game ROM at A000-DFFF
    std::shared_ptr<const SlotC000> c000;  // game ROM at C000-DFFF
    std::shared_ptr<const SlotD000> d000;  // game ROM at D000-DFFF
};

// Puts copies of the monitor and character ROM images in. Called when the
// settings are loaded and when the Memory dialog is confirmed; a snapshot
// load is the only other thing that changes them.
void installBuiltinImages(MachineRoms& roms, const RomImages& images);

}  // namespace vantorel
