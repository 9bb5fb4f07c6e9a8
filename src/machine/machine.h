// One emulated Exidy Sorcerer.
//
// Owns the machine's state record and the inputs it names (machine_state.h,
// both held in its MachineBus) and the settings record of one machine;
// reaches the host only through the interfaces of host_interfaces.h.
// Nothing here is global: two Machines are two independent computers. A
// Machine may be copied; the copy shares the read-only inputs and the host
// objects, so give it host objects of its own (attachHost) before running
// both. It never reads the clock: runFrame emulates exactly one frame
// whenever it is called, and the program's frame scheduler
// (app/frame_scheduler.h) decides when that is. It takes files as bytes;
// reading them is the program's (app/).
//
// Start-up is app/boot.h's boot(), in order: settings (installing the ROM
// images), computeTiming, pacing, sound, initKeyLayout, hardReset, joysticks,
// seedRandom. Menu commands call hardReset, softReset and the operations of
// machine_files.h between frames. Between frames, capture() saves the whole
// machine and restore() puts it back exactly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "cassette/tape_deck.h"
#include "cassette/wav_reader.h"
#include "config/frame_timing.h"
#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"
#include "input/keys_joystick.h"
#include "input/quick_type.h"
#include "input/sensible_keys.h"
#include "machine/machine_bus.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/machine_state.h"
#include "sound/ay_chip.h"
#include "z80/z80.h"
#include "z80/z80_disassembler.h"
#include "z80/z80_state.h"

namespace vantorel {

// T-states the two processor slices of a frame executed (each may pass its
// budget by part of the last instruction).
struct FrameTStates {
    std::int32_t activeScan = 0;
    std::int32_t verticalBlank = 0;
    std::int64_t total() const { return std::int64_t{activeScan} + verticalBlank; }
};

// What one runFrame did.
struct FrameResult {
    bool ran = false;      // false only before the first reset: nothing runs then
    FrameTStates tstates;  // what the two slices executed
};

// Whether a frame writes its sound (the speaker sink's frame brackets).
// Frames run far faster than real time (the turbo key) make none.
enum class FrameSound { on, off };

class Machine {
  public:
    using Processor = Z80<MachineBus>;

    Machine();
    explicit Machine(const MachineHost& host);

    // The host objects the machine uses (none owned).
    void attachHost(const MachineHost& host);
    const MachineHost& host() const { return host_; }

    // The settings record. The hardware reads its own copies of the RAM
    // fitted (taken at every reset) and of the timing (computeTiming).
    MachineConfig& config() { return config_; }
    const MachineConfig& config() const { return config_; }
    // Copies the settings the hardware reads (the RAM fitted) into the
    // machine's state; every reset does this first.
    void applyHardwareSettings();

    // --- The state record and its inputs ---
    const MachineState& state() const { return bus_.state; }
    // The whole machine: the record and the inputs it names.
    MachineSnapshot capture() const;
    void capture(MachineSnapshot& snapshot) const;  // into one made before
    // Puts a captured machine back; the tape recording is cut back to what
    // it held then. Host objects, settings and preferences stay as they are.
    void restore(const MachineSnapshot& snapshot);

    // RAM, the memory flags and the filled slots' names (the display and
    // files use them).
    MachineMemory& memory() { return bus_.state.memory; }
    const MachineMemory& memory() const { return bus_.state.memory; }
    // The ROM images; a new image replaces a pointer (installBuiltinImages).
    MachineRoms& roms() { return bus_.inputs.roms; }
    const MachineRoms& roms() const { return bus_.inputs.roms; }
    // The game ROM slots: filling one names it in the record.
    const GameRomSlots& gameRoms() const { return bus_.inputs.gameRoms; }
    void fillSlot(std::shared_ptr<const SlotA000> rom);
    void fillSlot(std::shared_ptr<const SlotC000> rom);
    void fillSlot(std::shared_ptr<const SlotD000> rom);
    // Empties the D000, then the C000, then the A000 slot.
    void emptySlots();
    bool anySlotFilled() const { return memory().anySlotFilled(); }
    MachinePorts& ports() { return bus_.state.ports; }
    const MachinePorts& ports() const { return bus_.state.ports; }
    KeyboardMatrix& keyboard() { return bus_.state.keyboard; }
    const KeyboardMatrix& keyboard() const { return bus_.state.keyboard; }
    // The AY-3-8910's registers and counters; the sound output renders from
    // them once told (sound.ay().useChip(&machine.ayChip())).
    AyChip& ayChip() { return bus_.state.ay; }

    // --- Start-up ---
    // Derives the frame timing from the settings (at start-up and after the
    // System Timing dialog; the sound output is restarted after it).
    void computeTiming();
    const FrameTiming& timing() const { return bus_.state.timing; }
    // Resolves the keyboard layout's character keys through the host, and
    // learns the host's characters for sensible mode.
    void initKeyLayout();
    // Seeds the generator that fills RAM with noise on a hard reset.
    void seedRandom(std::uint32_t seed) { bus_.state.random.seed(seed); }

    // --- Resets ---
    // Hard: clears RAM (screen RAM and programmable characters get noise) and
    // the snapshot RAM flag. Both: take the RAM fitted from the settings,
    // stop the tape, reset the processor, clear TStateCounter and the boot
    // read counter, and mark the machine running. ROM images, game ROM slots
    // and ports are kept.
    void hardReset();
    void softReset();
    bool running() const { return bus_.state.running != 0; }

    // --- Frames ---
    // Emulates exactly one frame: the sound's frame start (with `sound` on),
    // the joysticks, the active-scan slice, the joysticks again, the
    // vertical-blank slice, the sound's frame end, the host keyboard's scan.
    // Does nothing before the first reset.
    FrameResult runFrame(FrameSound sound = FrameSound::on);
    const FrameTStates& lastFrame() const { return lastFrame_; }
    std::uint32_t tstateCounter() const { return bus_.state.tstateCounter.tstates; }

    // --- File access states, as the deck and quick type have them ---
    bool quickTypeActive() const { return bus_.state.quickType.active(); }
    bool tapePlaying() const { return bus_.state.tape.playing(); }
    bool tapeRecording() const { return bus_.state.tape.recording(); }
    // A motor is on and a tape plays or records: files are being fed.
    bool tapeMoving() const {
        const TapeDeck& deck = bus_.state.tape;
        return (deck.playing() || deck.recording()) && deck.motorOn();
    }

    // --- Cassette (cassette/tape_deck.h) ---
    // Files are read by the program (app/fed_files.h); the machine takes
    // their contents.
    // Puts a raw tape in at its start; false (and idle) for an empty one.
    bool playTapeBytes(std::vector<std::uint8_t> bytes);
    // Puts a WAV tape's samples in at its start.
    void playTapeWav(WavTape tape);
    // Records what the UART sends while a motor runs, until stopCassette;
    // with a path, stopCassette then writes the recording there (raw bytes
    // or a 44100 Hz WAV file). A recording in progress is ended first.
    bool recordTape(TapeFormat format, std::filesystem::path path = {});
    // Ends playback and recording; every reset does this first, and so does
    // the shell at exit. The recording stays readable in recordedTape().
    // False when its file could not be written.
    bool stopCassette();
    const TapeDeck& tape() const { return bus_.state.tape; }
    // What the recorder took down (the last recording, finished or not).
    const TapeRecording& recordedTape() const { return bus_.recording; }

    // --- Quick type (input/quick_type.h) ---
    // Takes a text and types it over the next frames; `quickTypeActive`
    // stays set until it is all typed. Text files are read by the program
    // (app/fed_files.h).
    QuickTypeResult startQuickTypeText(std::span<const std::uint8_t> text);
    // How far the typing has got, and the text being typed (empty when none).
    const QuickType& quickType() const { return bus_.state.quickType; }
    std::span<const std::uint8_t> quickTypeText() const;

    // --- Processor ---
    Z80State registers() const;
    void setRegisters(const Z80State& registers);
    // Where the processor's most recent instruction started (-1 after an
    // interrupt was accepted).
    std::int32_t lastOpcodeAddress() const;

    // --- The processor's view, for tools and tests ---
    std::uint8_t readMemory(std::uint16_t address) { return bus_.readMemory(address); }
    std::uint8_t fetchOpcode(std::uint16_t address) { return bus_.fetchOpcode(address); }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        bus_.writeMemory(address, value);
    }
    std::uint8_t readPort(std::uint16_t port) { return bus_.readPort(port); }
    void writePort(std::uint16_t port, std::uint8_t value) { bus_.writePort(port, value); }

    // --- Looking without touching (disassembly, memory views) ---
    // What a read of `address` gives, without counting a boot read.
    std::uint8_t peek(std::uint16_t address) const { return bus_.peek(address); }
    // The instruction at `address` as text, read through peek; returns its
    // length in bytes (1-4).
    int disassemble(std::uint16_t address, std::span<char, kDisassemblyTextSize> text) const;

  private:
    void reset(bool hard);
    void clearMemoryWithNoise();
    std::int32_t runSlice(std::int32_t budget);
    void syncTape();
    bool finishRecording();
    void cutRecordingBack();
    void putTapeIn(std::shared_ptr<const TapeMedia> media);
    void pollJoysticks();
    void scanHostKeyboard();

    MachineBus bus_;  // the state record, its inputs, the recording and two sinks
    MachineConfig config_;
    MachineHost host_;
    FrameTStates lastFrame_;
    std::filesystem::path recordingPath_;  // where the recording goes; empty: kept in memory
    KeysJoystick keysJoystick_;            // the cursor keys as joystick 1 (keysasjoystickflag)
    SensibleKeyboard sensibleKeys_;        // the host keyboard when `emulatedflag` is false
};

}  // namespace vantorel
