// One emulated Exidy Sorcerer.
//
// Owns the machine's state record and the inputs it names (machine_state.h,
// both held in its MachineBus), the settings record, and the frame scheduler
// of one machine; reaches the host only through the interfaces of
// host_interfaces.h. Nothing here is global: two Machines are two independent
// computers. A Machine may be copied; the copy shares the read-only inputs
// and the host objects, so give it host objects of its own (attachHost)
// before running both.
//
// Start-up, as the shell does it:
//   1. Machine machine{host};              // or attachHost(host) later
//   2. loadSettings(path, machine.config(), [&] {
//          installBuiltinImages(machine.roms(), builtinRomImages()); });
//   3. machine.computeTiming();
//   4. machine.setUpPacing();              // then useAudioFramePeriod if sound started
//   5. machine.initKeyLayout();
//   6. machine.hardReset();                // the machine is now running
//   7. machine.seedRandom(milliseconds);
// Then, on every idle pass: if (machine.runFrame()) repaint the screen.
// Menu commands call hardReset, softReset and the operations of
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
#include "machine/frame_pacing.h"
#include "machine/machine_bus.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/machine_state.h"
#include "machine/speed_meter.h"
#include "sound/sound_output.h"
#include "z80/z80.h"
#include "z80/z80_disassembler.h"
#include "z80/z80_state.h"

namespace vantorel {

// What Play Cassette File did with the chosen file.
struct TapePlayResult {
    bool opened = false;              // the file opened for reading (its folder counts)
    bool playing = false;             // the tape is in and playing
    WavError error = WavError::none;  // a WAV file's refusal, with its message
};

// T-states the two processor slices of a frame executed (each may pass its
// budget by part of the last instruction).
struct FrameTStates {
    std::int32_t activeScan = 0;
    std::int32_t verticalBlank = 0;
    std::int64_t total() const { return std::int64_t{activeScan} + verticalBlank; }
};

class Machine : public FramePeriodListener {
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
    // Asks the clock for its counter and sets the frame period (window creation).
    void setUpPacing();
    // With sound running, one frame per audio frame of `frameBytes` bytes,
    // lengthened by `ratePpm` parts per million to follow the audio clock.
    void useAudioFramePeriod(std::int32_t frameBytes, std::int32_t ratePpm = 0);
    // FramePeriodListener: the sound output's wishes.
    void followAudioFrames(std::int32_t frameBytes, std::int32_t ratePpm) override {
        useAudioFramePeriod(frameBytes, ratePpm);
    }
    void useOwnFramePeriod() override { setUpPacing(); }
    const FramePacing& pacing() const { return pacing_; }
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
    // Runs one frame if it is due (or files are being fed with
    // `speedupfilesflag` on); true when the screen should be redrawn now.
    // Does nothing before the first reset.
    bool runFrame();
    const FrameTStates& lastFrame() const { return lastFrame_; }
    std::int32_t speedPercent() const { return speedMeter_.speedPercent(); }
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
    // Play Cassette File once a file is chosen: opens it for reading (when
    // that fails nothing happens: `opened` false), stops the cassette, and
    // loads it as `format`, chosen by the caller (the file dialog's filter),
    // not by the file's extension. A raw tape is read whole (an empty or
    // short one leaves the machine idle, silently); a WAV file is checked
    // and a refused one gives its message. On success the tape plays while
    // a motor runs, until its end.
    TapePlayResult playCassetteFile(const std::filesystem::path& path, TapeFormat format);
    // Puts a raw tape in at its start, as playCassetteFile does for a file;
    // false (and idle) for an empty one.
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

    // --- Turbo (the window's held turbo key) ---
    // While on, every runFrame runs a frame, as in Fast mode, with the
    // frame's own T-states, and without frame sound (the window stops the
    // sound when turbo starts); the screen keeps the clock's schedule.
    bool turbo() const { return turbo_; }
    void setTurbo(bool on) { turbo_ = on; }

    // --- Quick type (input/quick_type.h) ---
    // Loads a text file, or takes a text, and types it over the next frames;
    // `quickTypeActive` stays set until it is all typed. A file that cannot
    // be opened writes "Could not open file\n" to the debug output.
    QuickTypeResult startQuickType(const std::filesystem::path& path);
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
    void beginFrameSound(std::uint32_t frameStartTStates);
    void pollJoysticks();
    void endFrameSound();
    void scanHostKeyboard();
    bool filesBeingFed() const;

    MachineBus bus_;  // the state record, its inputs, the recording and two sinks
    MachineConfig config_;
    MachineHost host_;
    FramePacing pacing_;
    SpeedMeter speedMeter_;
    FrameTStates lastFrame_;
    bool turbo_ = false;                   // frames run back to back, whatever the clock says
    std::filesystem::path recordingPath_;  // where the recording goes; empty: kept in memory
    KeysJoystick keysJoystick_;            // the cursor keys as joystick 1 (keysasjoystickflag)
    SensibleKeyboard sensibleKeys_;        // the host keyboard when `emulatedflag` is false
};

}  // namespace vantorel
