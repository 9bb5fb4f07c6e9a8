// The machine's sound: the speaker clicker and the AY-3-8910 on the host's
// audio device.
//
// Every emulated frame the speaker's level changes (from port FF) become
// clicks in a staging area, placed by their T-state within the frame; the
// AY-3-8910 fills three more; at the end of the frame each is written into
// its voice's ring on the device, three slots ahead of the player (more,
// up to six, while the host starves the program: lead_control.h). A click
// that runs past the end of the frame is carried into the next one. While
// sound runs, the frames should come one per frame of audio (frameBytes /
// 44100 seconds), nudged by at most 2% so that the writer stays three
// slots ahead of the device's own clock (lead_control.h): the output says so
// as a value, framePace(), which whoever paces the frames reads after
// initSound and after every frame (app/frame_scheduler.h).
//
// The AY's registers and counters belong to the machine (its state record):
// the owner points the generator at them, sound.ay().useChip(&machine.ayChip()),
// and the sound output renders them; starting the sound resets the chip.
//
// Owned by the program's host devices (app/host_devices.h, the headless
// runner's --wav), which attach it to the machine as its speaker sink:
//   1. SoundOutput sound{config, timing, &device};  // device may be null: no sound device
//   2. sound.initSound();                     // start-up; restartSound after dialogs
//   3. the machine calls beginFrameSound / recordSpeakerEdge / endFrameSound
//   4. stopSound() when a menu opens or the window is deactivated;
//      setMuted(true) to silence it without stopping anything
//   5. releaseSound() at shutdown
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "config/frame_timing.h"
#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"
#include "sound/audio_device.h"
#include "sound/ay_chip.h"
#include "sound/click_tables.h"
#include "sound/lead_control.h"

namespace vantorel {

// The frame period the sound wants: while sound runs (`followsAudio`), one
// frame per frame of audio (`frameBytes` / 44100 seconds), lengthened by
// `ratePpm` parts per million to follow the device's clock; otherwise the
// frame rate's own period.
struct FramePace {
    std::int32_t frameBytes = 0;
    std::int32_t ratePpm = 0;
    bool followsAudio = false;
    friend bool operator==(const FramePace&, const FramePace&) = default;
};

inline constexpr int kClickerVoice = 0;             // voices 1-3: AY channels A, B, C
inline constexpr int kFirstWriteSlot = kLeadSlots;  // after a start and every stop

class SoundOutput : public SpeakerSink {
  public:
    // `config` and `timing` are read at every start and frame.
    SoundOutput(const MachineConfig& config, const FrameTiming& timing, AudioDevice* device);
    ~SoundOutput() override;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Opens the device and creates the voices `clickerflag` and `ayflag`
    // ask for; true when every one wanted was created (also when none was
    // wanted). Then the AY starts and framePace() follows the audio frames.
    // No device: false, and the machine runs silently at its own frame
    // period.
    bool initSound();
    // Stops and releases the voices and the device; frees the staging areas.
    void releaseSound();
    // releaseSound then initSound, with the settings and timing of now.
    bool restartSound();
    // Silences every voice at once and rewinds it; nothing is written until
    // the next frame begins, which restarts playback with writing at slot 3.
    void stopSound();
    // Muted, every voice is written silent while the frames, the AY and the
    // pacing go on as before; unmuted, the next frame is heard again.
    void setMuted(bool muted) { muted_ = muted; }
    bool muted() const { return muted_; }

    // SpeakerSink: one emulated frame.
    void beginFrameSound(std::uint32_t frameStartTStates) override;
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override;
    void endFrameSound() override;

    // --- State, for the program's report and for tests ---
    bool deviceOpen() const { return deviceOpen_; }
    bool voicePresent(int voice) const { return voices_[static_cast<std::size_t>(voice)]; }
    std::int32_t frameBytes() const { return frameBytes_; }
    std::int32_t frameSamples() const { return frameSamples_; }
    int writeSlot() const { return writeSlot_; }
    const ClickTables& clickTables() const { return clicks_; }
    std::span<const std::int16_t> clickerStaging() const { return clickerStaging_; }
    AyGenerator& ay() { return ay_; }
    const LeadControl& leadControl() const { return lead_; }
    std::int64_t framesWritten() const { return framesWritten_; }
    // The frame period wanted now; changes at initSound and at the end of a frame.
    const FramePace& framePace() const { return pace_; }

  private:
    bool createVoice(int voice, std::vector<std::int16_t>& staging);
    void startVoices();
    void restartPlayback();
    // Steers the lead; +1 when this frame is to be written twice, -1 when
    // it is to be left out, else 0.
    int keepLead();
    void writeVoice(int voice, const std::vector<std::int16_t>& staging);
    int referenceVoice() const;

    const MachineConfig& config_;
    const FrameTiming& timing_;
    AudioDevice* device_;
    bool deviceOpen_ = false;
    std::array<bool, kVoiceCount> voices_{};                     // voice present on the device
    std::int32_t frameBytes_ = 0;                                // bytes of audio per frame
    std::int32_t frameSamples_ = 0;                              // samples per frame
    std::vector<std::int16_t> clickerStaging_;                   // 2 x frameSamples; empty: none
    std::array<std::vector<std::int16_t>, 3> generatorStaging_;  // AY channels A, B, C
    int writeSlot_ = kFirstWriteSlot;                            // 0-11
    std::uint32_t frameStartTStates_ = 0;
    std::int64_t tstatesPerFrame_ = 0;
    bool carry_ = false;    // a click was written in this frame (it may run over)
    bool stopped_ = false;  // stopSound since the frame began
    bool generatorRunning_ = false;
    bool muted_ = false;
    std::vector<std::int16_t> silence_;  // one frame of silence, written while muted
    ClickTables clicks_;
    AyGenerator ay_;
    LeadControl lead_;
    std::int64_t framesWritten_ = 0;
    FramePace pace_;
};

}  // namespace vantorel
