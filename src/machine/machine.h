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
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "cassette/tape_deck.h"
#include "cassette/tape_recording_file.h"
#include "cassette/wav_reader.h"
#include "config/frame_timing.h"
#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"
#include "input/keyboard_matrix.h"
#include "input/keys_joystick.h"
#include "input/quick_type.h"
#include "input/sensible_keys.h"
#include "machine/frame_input_tap.h"
#include "machine/machine_bus.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/machine_state.h"
#include "machine/watch_set.h"
#include "machine/watching_bus.h"
#include "sound/ay_chip.h"
#include "z80/z80.h"
#include "z80/z80_disassembler.h"
#include "z80/z80_state.h"

namespace vantorel {

// How a recording that went to a file ended, for the window and the
// headless runner to tell the user.
struct RecordingEnd {
    std::filesystem::path path;   // the file it went to
    bool written = false;         // the file stands there; else the recording is kept unsaved
    bool stoppedAtLimit = false;  // a WAV recording filled the 4 GiB a WAV file can hold
};

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
    FrameTStates tstates;  // what the two slices executed (the whole frame's, once complete)
    // A debugger's watch set stopped the processor (watch_set.h); the frame
    // is then complete only when the stop fell on its last instruction.
    bool stopped = false;
    bool complete = true;  // false: the machine stands inside the frame
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
    // The read-only inputs the record names.
    const MachineInputs& inputs() const { return bus_.inputs; }
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
    // Does nothing before the first reset. A frame a debugger stopped inside
    // (framePlace) is finished from where it stands, with the sound it began
    // with.
    FrameResult runFrame(FrameSound sound = FrameSound::on);
    const FrameTStates& lastFrame() const { return lastFrame_; }
    // Sees (or, replaying, gives) the joystick and key reads of every frame
    // (frame_input_tap.h); null: the host alone.
    void setInputTap(FrameInputTap* tap) { inputTap_.tap = tap; }
    FrameInputTap* inputTap() const { return inputTap_.tap; }
    std::uint32_t tstateCounter() const { return bus_.state.tstateCounter.tstates; }

    // --- A debugger watching (watch_set.h) ---
    // While `watch` is set and active, frames run the watching processor and
    // stop where its listener says; a stopped frame goes on with the next
    // runFrame. Null: the plain processor, exactly as without a debugger.
    void setWatch(WatchSet* watch) { watch_.set = watch; }
    WatchSet* watch() const { return watch_.set; }
    // The watch set's clock is the machine's time since `frameStartTStates`,
    // the time at the start of the frame it stands in (the timeline's).
    void syncWatchClock(std::int64_t frameStartTStates);
    // Where in its frame the machine stands, and the T-states since the
    // frame's start.
    const FramePlace& framePlace() const { return bus_.state.frame; }
    bool midFrame() const { return bus_.state.frame.stage != FrameStage::between; }
    std::int64_t tstatesIntoFrame() const;

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
    // Records what the UART sends while a motor runs, until stopCassette.
    // Without a path the recording stays in memory, readable in
    // recordedTape(); with one it streams into a new file beside the path as
    // it is made (raw bytes or a 44100 Hz WAV file, tape_recording_file.h)
    // and takes the path's place when it ends. A recording in progress is
    // ended first. False, and nothing recorded, when the new file cannot be
    // made.
    bool recordTape(TapeFormat format, const std::filesystem::path& path = {},
                    TapeRecordingLimits limits = {});
    // Ends playback and recording; every reset does this first, and so does
    // the shell at exit. False when the recording's file could not be
    // written: the recording is then kept unsaved.
    bool stopCassette();
    const TapeDeck& tape() const { return bus_.state.tape; }
    // What the recorder took down (the last recording, finished or not); for
    // a recording with a file only what came since the last slice.
    const TapeRecording& recordedTape() const { return bus_.recording; }
    // Every way a recording with a file ends (Stop Cassette, a reset, a new
    // tape, exit, a WAV file full) leaves its end here, once, for the caller
    // to tell: the window after every command and frame, the runner at the end.
    std::optional<RecordingEnd> takeRecordingEnd() { return std::exchange(recordingEnd_, {}); }
    bool recordingEnded() const { return recordingEnd_.has_value(); }
    // The recording with a file now being made, or the last one made.
    const TapeRecordingFile* lastRecordingFile() const;
    // A recording whose file could not be written is kept until it is saved
    // under another name or dropped.
    // Ends the file of a recording in progress where it stands (told through
    // takeRecordingEnd, as Stop Cassette would) while the deck goes on
    // recording into memory: a file cannot be taken back, so the timeline
    // calls this before it puts the machine back in time. False when the
    // file could not be written (the recording is then kept unsaved).
    bool endRecordingFile();
    bool hasUnsavedRecording() const { return unsavedRecording_ != nullptr; }
    bool saveUnsavedRecording(const std::filesystem::path& path);
    void dropUnsavedRecording();

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
    std::uint8_t readMemory(std::uint16_t address) { return bus_.MachineBus::readMemory(address); }
    std::uint8_t fetchOpcode(std::uint16_t address) {
        return bus_.MachineBus::fetchOpcode(address);
    }
    void writeMemory(std::uint16_t address, std::uint8_t value) {
        bus_.MachineBus::writeMemory(address, value);
    }
    std::uint8_t readPort(std::uint16_t port) { return bus_.MachineBus::readPort(port); }
    void writePort(std::uint16_t port, std::uint8_t value) {
        bus_.MachineBus::writePort(port, value);
    }

    // --- Looking without touching (disassembly, memory views) ---
    // What a read of `address` gives, without counting a boot read.
    std::uint8_t peek(std::uint16_t address) const { return bus_.peek(address); }
    // The instruction at `address` as text, read through peek; returns its
    // length in bytes (1-4).
    int disassemble(std::uint16_t address, std::span<char, kDisassemblyTextSize> text) const;

  private:
    void reset(bool hard);
    void clearMemoryWithNoise();
    void beginFrame(FrameSound sound);
    void enterSlice(FrameStage stage, std::int32_t budget);
    bool runSlice();
    bool runWatchedSlice();
    bool watchStopped() const { return watch_.set != nullptr && watch_.set->stopped; }
    FrameResult stoppedInFrame() const;
    void closeFrameSound();
    void syncTape();
    void feedRecordingFile();
    bool finishRecording();
    bool closeRecordingFile();
    void cutRecordingBack();
    void putTapeIn(std::shared_ptr<const TapeMedia> media);
    void pollJoysticks(JoystickPoll poll);
    void scanHostKeyboard();

    // The state record, its inputs, the recording and the sinks: the plain
    // processor sees a MachineBus, the watching one the same object as a
    // WatchingBus.
    WatchingBus bus_;
    MachineConfig config_;
    MachineHost host_;
    FrameTStates lastFrame_;
    // A recording's file belongs to one machine: a copy of the machine
    // records in memory, and copying a machine over this one keeps this
    // one's file.
    template <class T>
    struct OwnOnly : T {
        OwnOnly() = default;
        OwnOnly(const OwnOnly&) : T() {}
        OwnOnly(OwnOnly&&) = default;
        OwnOnly& operator=(const OwnOnly&) { return *this; }
        OwnOnly& operator=(OwnOnly&&) = default;
        using T::operator=;
    };
    OwnOnly<std::unique_ptr<TapeRecordingFile>> recordingFile_;     // null: kept in memory
    OwnOnly<std::unique_ptr<TapeRecordingFile>> unsavedRecording_;  // its file could not be written
    OwnOnly<std::optional<RecordingEnd>> recordingEnd_;             // not yet told
    // The tap belongs to one machine too: a copy runs on the host alone.
    struct TapSlot {
        FrameInputTap* tap = nullptr;
    };
    OwnOnly<TapSlot> inputTap_;
    // So do the debugger's watch set and the speaker of the frame in progress.
    struct WatchSlot {
        WatchSet* set = nullptr;
    };
    OwnOnly<WatchSlot> watch_;
    struct FrameSpeaker {
        SpeakerSink* speaker = nullptr;  // began this frame's sound; ends it
    };
    OwnOnly<FrameSpeaker> frameSpeaker_;
    KeysJoystick keysJoystick_;      // the cursor keys as joystick 1 (keysasjoystickflag)
    SensibleKeyboard sensibleKeys_;  // the host keyboard when `emulatedflag` is false
};

}  // namespace vantorel
