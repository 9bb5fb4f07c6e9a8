// The host's sound output and joysticks, as the program drives them.
//
// Sound: the machine's SoundOutput on the audio device handed in. initSound
// at start-up connects it as the machine's speaker (rendering the AY from
// the machine's state) and makes the frame scheduler follow its pace; stopSound when a menu opens,
// a system command starts or the window is deactivated; restartSound after the Sound and System
// Timing dialogs; releaseSound at shutdown, which also writes the sound's counters to the debug
// output (VANTOREL_DEBUG). Without an audio device the machine runs silently at its own frame
// period. setMuted silences what reaches the audio device (the settings' muteflag, followed at
// every start) and nothing else. startSoundRecording records the sound into a WAV file
// (wav_recorder.h) in front of the sound output, heard as before and muted or not;
// stopSoundRecording writes the file whole, as releaseSound does for a recording still running.
// Printer: configurePrinter connects the printer output while a printer
// file is set; it is flushed on every reset and closed at shutdown.
// Joysticks: initJoysticks makes the source handed in the machine's joystick
// source and starts it, setJoysticksAcquired follows the window's
// activation, releaseJoysticks closes them and takes them from the machine
// again. Counts let tests see the calls.
//
// Standard C++: the desktop program makes the SDL objects (host/) and hands
// them in; boot() calls initSound and initJoysticks at their places in the
// start-up; the main window calls the rest.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/printer_output.h"
#include "app/wav_recorder.h"
#include "hostapi/host_interfaces.h"
#include "sound/audio_device.h"
#include "sound/sound_output.h"

namespace vantorel {

class Machine;
class FrameScheduler;

class HostDevices {
  public:
    // None owned; each may be null.
    HostDevices(Machine& machine, FrameScheduler* scheduler, AudioDevice* audio,
                JoystickSource* joysticks);
    ~HostDevices();
    HostDevices(const HostDevices&) = delete;
    HostDevices& operator=(const HostDevices&) = delete;

    // --- Sound ---
    bool initSound();
    bool restartSound();
    void stopSound();
    void releaseSound();
    const SoundOutput* sound() const { return sound_.get(); }
    // Keeps the choice in the settings record and silences the output.
    void setMuted(bool muted);
    // false: the file cannot be written (nothing changes).
    bool startSoundRecording(const std::filesystem::path& path);
    bool soundRecording() const { return recorder_ != nullptr; }
    // false when the file could not be written whole (none is left then).
    bool stopSoundRecording();
    const std::filesystem::path& soundRecordingPath() const { return recordingPath_; }
    // The line releaseSound writes: driver, counters, rate, hand-off, leads.
    std::string soundReport() const;

    // --- Printer (printer_output.h) ---
    // Connects the printer to the machine while the settings name a printer
    // file (a relative name under `lprintFolder`), and takes it away when
    // they name none; at start-up and after the Printer dialog's OK.
    void configurePrinter(const std::filesystem::path& lprintFolder);
    PrinterOutput& printer() { return printer_; }

    // --- Joysticks ---
    // Returns whether the host's joystick support started; the machine reads
    // the joysticks through port FF either way.
    bool initJoysticks();
    void setJoysticksAcquired(bool acquired);
    void releaseJoysticks();

    int stopSoundCalls() const { return stopSoundCalls_; }
    int restartSoundCalls() const { return restartSoundCalls_; }

  private:
    void attachSpeaker(SpeakerSink* speaker);
    void attachJoysticks(JoystickSource* source);
    void followSound();

    Machine& machine_;
    FrameScheduler* scheduler_;
    AudioDevice* audio_;
    JoystickSource* joysticks_;
    std::unique_ptr<SoundOutput> sound_;
    std::unique_ptr<WavRecorder> recorder_;  // while a sound recording runs
    std::filesystem::path recordingPath_;    // its file, or the last one's
    PrinterOutput printer_;
    int stopSoundCalls_ = 0;     // times the sound was stopped
    int restartSoundCalls_ = 0;  // times the sound was restarted
};

}  // namespace vantorel
