// One emulated Exidy Sorcerer.
//
// Owns the memory map, the two ports, the keyboard matrix, the settings
// record, the Z80 and the frame scheduler of one machine; reaches the host
// only through the interfaces of host_interfaces.h. Nothing here is global:
// two Machines are two independent computers.
//
// Start-up, as the shell does it:
//   1. Machine machine{host};              // or attachHost(host) later
//   2. loadSettings(path, machine.config(), [&] {
//          installBuiltinImages(machine.memory(), builtinRomImages()); });
//   3. machine.computeTiming();
//   4. machine.setUpPacing();              // then useAudioFramePeriod if sound started
//   5. machine.initKeyLayout();
//   6. machine.hardReset();                // the machine is now running
//   7. machine.seedRandom(milliseconds);
// Then, on every idle pass: if (machine.runFrame()) repaint the screen.
// Menu commands call hardReset, softReset and the operations of
// machine_files.h between frames.
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
#include "machine/frame_pacing.h"
#include "machine/machine_bus.h"
#include "machine/machine_memory.h"
#include "machine/machine_ports.h"
#include "machine/pseudo_random.h"
#include "machine/speed_meter.h"
#include "sound/sound_output.h"
#include "z80/z80.h"
#include "z80/z80_state.h"

namespace vantorel {

// What Play Cassette File did with the chosen file.
struct TapePlayResult {
    bool opened = false;              // the file opened for reading (its folder counts)
    bool playing = false;             // the tape is in and playing
    WavError error = WavError::none;  // a WAV file's refusal, with its message
};

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

class Machine : public FramePeriodListener {
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
    // Runs one frame if it is due (or files are being fed with
    // `speedupfilesflag` on); true when the screen should be redrawn now.
    // Does nothing before the first reset.
    bool runFrame();
    const FrameTStates& lastFrame() const { return lastFrame_; }
    std::int32_t speedPercent() const { return speedMeter_.speedPercent(); }
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
    // Play Cassette File once a file is chosen: opens it for reading (when
    // that fails nothing happens: `opened` false), stops the cassette, and
    // loads it as `format`, chosen by the caller (the file dialog's filter),
    // not by the file's extension. A raw tape is read whole (an empty or
    // short one leaves the machine idle, silently); a WAV file is checked
    // and a refused one gives its message. On success `tapePlaying` is set
    // and the tape plays while a motor runs, until its end.
    TapePlayResult playCassetteFile(const std::filesystem::path& path, TapeFormat format);
    // Puts a raw tape in at its start, as playCassetteFile does for a file;
    // false (and idle) for an empty one.
    bool playTapeBytes(std::vector<std::uint8_t> bytes);
    // Puts a WAV tape's samples in at its start and sets `tapePlaying`.
    void playTapeWav(WavTape tape);
    // Records what the UART sends while a motor runs, until stopCassette.
    // Without a path the recording stays in memory, readable in
    // tape().recorded(); with one it streams into a new file beside the path
    // as it is made (raw bytes or a 44100 Hz WAV file, tape_recording_file.h)
    // and takes the path's place when it ends. A recording in progress is
    // ended first. False, and nothing recorded, when the new file cannot be
    // made.
    bool recordTape(TapeFormat format, const std::filesystem::path& path = {},
                    TapeRecordingLimits limits = {});
    // Ends playback and recording and clears `tapePlaying`; every reset does
    // this first, and so does the shell at exit. False when the recording's
    // file could not be written: the recording is then kept unsaved.
    bool stopCassette();
    const TapeDeck& tape() const { return bus_.tape; }
    // Every way a recording with a file ends (Stop Cassette, a reset, a new
    // tape, exit, a WAV file full) leaves its end here, once, for the caller
    // to tell: the window after every command and frame, the runner at the end.
    std::optional<RecordingEnd> takeRecordingEnd() { return std::exchange(recordingEnd_, {}); }
    bool recordingEnded() const { return recordingEnd_.has_value(); }
    // The recording with a file now being made, or the last one made.
    const TapeRecordingFile* lastRecordingFile() const;
    // A recording whose file could not be written is kept until it is saved
    // under another name or dropped.
    bool hasUnsavedRecording() const { return unsavedRecording_ != nullptr; }
    bool saveUnsavedRecording(const std::filesystem::path& path);
    void dropUnsavedRecording();

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
    QuickTypeResult startQuickType(const std::filesystem::path& path) {
        return quickTypeStarted(quickType_.startFile(path, host_.debug));
    }
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
    void feedRecordingFile();
    bool finishRecording();
    void beginFrameSound(std::uint32_t frameStartTStates);
    void pollJoysticks();
    void endFrameSound();
    void scanHostKeyboard();
    bool filesBeingFed() const;
    QuickTypeResult quickTypeStarted(QuickTypeResult result) {
        bus_.quickTypeActive = quickType_.active();
        return result;
    }

    MachineBus bus_;
    Processor cpu_{bus_};
    MachineHost host_;
    FrameTiming timing_;
    FramePacing pacing_;
    SpeedMeter speedMeter_;
    PseudoRandom random_;
    FrameTStates lastFrame_;
    bool running_ = false;
    bool tapePlaying_ = false;  // a cassette is loaded and playing (until its end)
    bool turbo_ = false;        // frames run back to back, whatever the clock says
    std::unique_ptr<TapeRecordingFile> recordingFile_;     // null: the recording stays in memory
    std::unique_ptr<TapeRecordingFile> unsavedRecording_;  // its file could not be written
    std::optional<RecordingEnd> recordingEnd_;             // not yet told
    QuickType quickType_;            // types a text in place of the host keyboard
    KeysJoystick keysJoystick_;      // the cursor keys as joystick 1 (keysasjoystickflag)
    SensibleKeyboard sensibleKeys_;  // the host keyboard when `emulatedflag` is false
};

}  // namespace vantorel
