// Records the machine's sound into a WAV file, frame by frame.
//
// Stands between the machine and its sound output as the speaker sink:
// every frame goes on to the sound output as usual, and after each frame
// the device's mix of the four voices for one frame (what a sound card
// would be given, three frames later than the frame that made it) is
// appended to the file: PCM, 22050 Hz, mono, signed 16-bit. No real time
// is needed, so the headless runner can record as fast as it runs.
//
// The sound streams into a new file beside the target (replacement_file.h),
// which takes the target's name only when finish() has written all of it: a
// recording that fails or is never finished leaves no half file under the
// name, and an old file of that name as it was.
//
// When the machine already has a speaker (the window's sound output), the
// recorder stands in front of it and hands every call on, so the sound is
// heard as before; it then renders the AY from a copy of the machine's chip
// taken as each frame begins, so that the chip advances once a frame, by
// the sound output that was there first.
//
//   1. WavRecorder recorder{machine};  recorder.open(path)  (false: cannot write)
//   2. machine frames run (the recorder attached itself as the speaker)
//   3. recorder.finish() plays out the frames still in the rings, completes
//      the header, puts the file in place and gives the machine back the
//      speaker it had; false when writing failed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "files/replacement_file.h"
#include "hostapi/host_interfaces.h"
#include "sound/ring_audio_device.h"
#include "sound/sound_output.h"

namespace vantorel {

class Machine;

class WavRecorder : public SpeakerSink {
  public:
    explicit WavRecorder(Machine& machine);
    ~WavRecorder() override;

    // Creates the file, starts the sound output and attaches to the machine.
    bool open(const std::filesystem::path& path);
    bool finish();
    bool recording() const { return recording_; }
    // After a change of the frame rate or the sound settings: the frames
    // still in the rings are written, then the output starts again at the
    // timing of now, so every frame keeps its length in the file.
    void restart();

    void beginFrameSound(std::uint32_t frameStartTStates) override;
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override;
    void endFrameSound() override;

    const SoundOutput& sound() const { return sound_; }
    std::int64_t samplesWritten() const { return samplesWritten_; }

  private:
    void playOneFrame();
    void playOutRings();
    void startOutput();
    void detach();

    Machine& machine_;
    RingAudioDevice device_;
    SoundOutput sound_;
    ReplacementFile file_;
    std::vector<std::int16_t> frame_;
    std::vector<char> frameBytes_;  // frame_ as little-endian bytes, made once by open
    std::int64_t samplesWritten_ = 0;
    bool attached_ = false;
    SpeakerSink* passOn_ = nullptr;  // the speaker the machine had before, handed every call
    bool recording_ = false;         // from a successful open until finish
};

}  // namespace vantorel
