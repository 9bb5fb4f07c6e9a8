// One emulated Exidy Sorcerer.
//
// Owns the memory map, the two ports, the keyboard matrix, the settings
// record and the Z80 of one machine; reaches the host only through the
// interfaces of host_interfaces.h. Nothing here is global: two Machines are
// two independent computers. It never reads the clock: runFrame emulates
// exactly one frame whenever it is called, and the program's frame
// scheduler (app/frame_scheduler.h) decides when that is. It takes files as
// bytes; reading them is the program's (app/).
//
// Start-up is app/boot.h's boot(), in order: settings (installing the ROM
// images), computeTiming, pacing, sound, initKeyLayout, hardReset, joysticks,
// seedRandom. Menu commands call hardReset, softReset and the operations of
// machine_files.h between frames.
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
#include "machine/pseudo_random.h"
#include "z80/z80.h"
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
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // The host objects the machine uses (none owned).
    void attachHost(const MachineHost& host);
    const MachineHost& host() const { return host_; }

    // The settings record, read directly by every part of the machine.
    MachineConfig& config() { return bus_.config; }
    const MachineConfig& config() const { return bus_.config; }
    // RAM, ROM buffers and game ROM slots (the display and files use them).
    MachineMemory& memory() { return bus_.memory; }
    const MachineMemory& memory() const { return bus_.memory; }
    MachinePorts& ports() { return bus_.ports; }
    const MachinePorts& ports() const { return bus_.ports; }
    KeyboardMatrix& keyboard() { return bus_.keyboard; }
    const KeyboardMatrix& keyboard() const { return bus_.keyboard; }
    Processor& processor() { return cpu_; }

    // --- Start-up ---
    // Derives the frame timing from the settings (at start-up and after the
    // System Timing dialog; the sound output is restarted after it).
    void computeTiming();
    const FrameTiming& timing() const { return timing_; }
    // Resolves the keyboard layout's character keys through the host, and
    // learns the host's characters for sensible mode.
    void initKeyLayout();
    // Seeds the generator that fills RAM with noise on a hard reset.
    void seedRandom(std::uint32_t seed) { random_.seed(seed); }

    // --- Resets ---
    // Hard: clears RAM (screen RAM and programmable characters get noise) and
    // the snapshot RAM flag. Both: stop the tape, reset the processor, clear
    // TStateCounter and the boot read counter, and mark the machine running.
    // ROM buffers, game ROM slots and ports are kept.
    void hardReset();
    void softReset();
    bool running() const { return running_; }

    // --- Frames ---
    // Emulates exactly one frame: the sound's frame start (with `sound` on),
    // the joysticks, the active-scan slice, the joysticks again, the
    // vertical-blank slice, the sound's frame end, the host keyboard's scan.
    // Does nothing before the first reset.
    FrameResult runFrame(FrameSound sound = FrameSound::on);
    const FrameTStates& lastFrame() const { return lastFrame_; }
    std::uint32_t tstateCounter() const { return bus_.tstateCounter.tstates; }

    // --- File access states ---
    bool quickTypeActive() const { return bus_.quickTypeActive; }
    void setQuickTypeActive(bool active) { bus_.quickTypeActive = active; }
    bool tapePlaying() const { return tapePlaying_; }
    void setTapePlaying(bool playing) { tapePlaying_ = playing; }
    bool tapeRecording() const { return bus_.tape.recording(); }
    // A motor is on and a tape plays or records: files are being fed.
    bool tapeMoving() const {
        return (tapePlaying_ || bus_.tape.recording()) && bus_.tape.motorOn();
    }

    // --- Cassette (cassette/tape_deck.h) ---
    // Files are read by the program (app/tape_play.h); the machine takes
    // their contents.
    // Puts a raw tape in at its start; false (and idle) for an empty one.
    bool playTapeBytes(std::vector<std::uint8_t> bytes);
    // Puts a WAV tape's samples in at its start and sets `tapePlaying`.
    void playTapeWav(WavTape tape);
    // Records what the UART sends while a motor runs, until stopCassette;
    // with a path, stopCassette then writes the recording there (raw bytes
    // or a 44100 Hz WAV file). A recording in progress is ended first.
    bool recordTape(TapeFormat format, std::filesystem::path path = {});
    // Ends playback and recording and clears `tapePlaying`; every reset does
    // this first, and so does the shell at exit. The recording stays
    // readable in tape().recorded(). False when its file could not be written.
    bool stopCassette();
    const TapeDeck& tape() const { return bus_.tape; }

    // --- Quick type (input/quick_type.h) ---
    // Takes a text and types it over the next frames; `quickTypeActive`
    // stays set until it is all typed. Text files are read by the program
    // (app/quick_type_start.h).
    QuickTypeResult startQuickTypeText(std::span<const std::uint8_t> text) {
        return quickTypeStarted(quickType_.startText(text));
    }
    const QuickType& quickType() const { return quickType_; }

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

  private:
    void reset(bool hard);
    void clearMemoryWithNoise();
    void syncTape();
    bool finishRecording();
    void pollJoysticks();
    void scanHostKeyboard();
    QuickTypeResult quickTypeStarted(QuickTypeResult result) {
        bus_.quickTypeActive = quickType_.active();
        return result;
    }

    MachineBus bus_;
    Processor cpu_{bus_};
    MachineHost host_;
    FrameTiming timing_;
    PseudoRandom random_;
    FrameTStates lastFrame_;
    bool running_ = false;
    bool tapePlaying_ = false;             // a cassette is loaded and playing (until its end)
    std::filesystem::path recordingPath_;  // where the recording goes; empty: kept in memory
    QuickType quickType_;                  // types a text in place of the host keyboard
    KeysJoystick keysJoystick_;            // the cursor keys as joystick 1 (keysasjoystickflag)
    SensibleKeyboard sensibleKeys_;        // the host keyboard when `emulatedflag` is false
};

}  // namespace vantorel
