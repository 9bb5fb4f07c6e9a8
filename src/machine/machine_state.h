// The whole state of one emulated Sorcerer, as one plain record, and the
// read-only inputs that the record names.
//
// MachineState holds everything that makes the machine's future, and
// nothing else: the processor's registers and run fields, the RAM and the
// memory flags, the ports and latches, the keyboard matrix, the joystick
// bytes, the tape deck's position and UART, TStateCounter, quick type's
// progress, the AY-3-8910's registers and counters, the generator of the
// reset noise, whether the machine runs, and the two settings its hardware
// reads: the RAM fitted (copied from the settings on every reset) and the
// frame's slices (copied when the timing is computed, at start-up and by the
// System Timing dialog). It is trivially copyable: one memcpy saves it, one
// puts it back, two compare with memcmp. Frames are whole: the record is
// taken and put back between frames, or, when a debugger stopped the
// processor, in the middle of one (frame_place.h).
//
// Immutable inputs are kept apart in MachineInputs, shared by pointer to
// const, so that a captured state costs no copy of them: the ROM images, the
// game ROMs in the slots, the tape in the deck and the text being typed. The
// record names them by value only (which slots are filled, the tape's kind
// and length, the text's length). Preferences (colours, printer, key tables,
// recent files, sound volume) never enter either: they stay in the settings
// record. What the machine hands out (speaker edges, the tape recording,
// the picture) is output and not state; the recording is cut back on a
// restore to the length the record names.
//
// Owned by Machine (inside its MachineBus); Machine::capture gives a
// MachineSnapshot, Machine::restore puts one back.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "cassette/tape_deck.h"
#include "cassette/tape_media.h"
#include "config/frame_timing.h"
#include "input/keyboard_matrix.h"
#include "input/quick_type.h"
#include "machine/frame_place.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/pseudo_random.h"
#include "machine/t_state_counter.h"
#include "sound/ay_chip.h"
#include "z80/z80_state.h"

namespace vantorel {

struct MachineState {
    Z80RunState cpu;                // registers, pending requests, cyclesLeft, lastOpcodeAddress
    TStateCounter tstateCounter;    // T-states since the last reset
    std::int32_t ramexpanders = 2;  // the RAM fitted (settings' `ramexpanders`, at reset)
    FrameTiming timing;             // the frame's two slices and frames per second
    PseudoRandom random;            // fills screen and character RAM with noise on a hard reset
    std::uint32_t running = 0;      // 1 from the first reset on: frames run
    FramePlace frame;               // where in its frame the machine stands (a debugger's stop)
    MachinePorts ports;             // keyboard latch, speaker, parallel port, joystick bytes
    KeyboardMatrix keyboard;        // the key states the row reads see, and the layout
    QuickType quickType;            // how far the text being typed has got
    TapeDeck tape;                  // tape position, motors, UART, what was recorded
    AyChip ay;                      // the AY-3-8910's registers and counters
    MachineMemory memory;           // RAM, filled slots, snapshot RAM flag, boot reads
};

static_assert(std::is_trivially_copyable_v<MachineState>,
              "the machine's state is one plain record: memcpy saves and restores it");

// The text quick type types; never changed while it is typed.
using QuickTypeText = std::vector<std::uint8_t>;

// What the record names, shared and read-only.
struct MachineInputs {
    MachineRoms roms;                           // monitor and character ROM images
    GameRomSlots gameRoms;                      // the game ROMs in the filled slots
    std::shared_ptr<const TapeMedia> tape;      // the tape the deck plays, or none
    std::shared_ptr<const QuickTypeText> text;  // the text being typed, or none
};

// A machine captured whole: the record and the inputs it names.
struct MachineSnapshot {
    MachineState state;
    MachineInputs inputs;
};

}  // namespace vantorel
