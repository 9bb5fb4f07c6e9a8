// The host's sound output and joysticks, as the main window drives them.
//
// Sound: the machine's SoundOutput on the SDL2 audio device. initSound at
// window creation connects it as the machine's speaker, rendering the AY
// from the machine's state; stopSound when a
// menu opens, a system command starts or the window is deactivated;
// restartSound after the Sound and System Timing dialogs; releaseSound at
// shutdown, which also writes the sound's counters to the debug output
// (VANTOREL_DEBUG). Without an audio device the machine runs silently.
// Joysticks: SDL's (host/sdl_joysticks.h): initJoysticks finds them and makes
// them the machine's joystick source, setJoysticksAcquired follows the
// window's activation, releaseJoysticks closes them and takes them from the
// machine again. Counts let tests see the calls.
#pragma once

#include <cstdio>
#include <memory>

#include "host/sdl_audio_device.h"
#include "host/sdl_joysticks.h"
#include "machine/machine.h"
#include "sound/sound_output.h"

namespace vantorel {

class HostDevices {
  public:
    explicit HostDevices(Machine& machine) : machine_(machine) {}
    ~HostDevices() { releaseSound(); }
    HostDevices(const HostDevices&) = delete;
    HostDevices& operator=(const HostDevices&) = delete;

    // --- Sound ---
    bool initSound() {
        if (!sound_) {
            audioDevice_ = std::make_unique<SdlAudioDevice>(machine_.host().debug);
            sound_ = std::make_unique<SoundOutput>(machine_.config(), machine_.timing(),
                                                   audioDevice_.get(), &machine_);
            sound_->ay().useChip(&machine_.ayChip());  // the AY's state is the machine's
        }
        MachineHost host = machine_.host();
        host.speaker = sound_.get();
        machine_.attachHost(host);
        return sound_->initSound();
    }
    bool restartSound() {
        ++restartSoundCalls_;
        return sound_ ? sound_->restartSound() : initSound();
    }
    void stopSound() {
        ++stopSoundCalls_;
        if (sound_) sound_->stopSound();
    }
    void releaseSound() {
        if (!sound_) return;
        reportSound();
        sound_->releaseSound();
        MachineHost host = machine_.host();
        if (host.speaker == sound_.get()) host.speaker = nullptr;
        machine_.attachHost(host);
        sound_.reset();
        audioDevice_.reset();
    }
    const SoundOutput* sound() const { return sound_.get(); }
    SdlAudioDevice* audioDevice() const { return audioDevice_.get(); }

    // --- Joysticks ---
    // Returns whether SDL's joystick support started; the machine reads the
    // joysticks through port FF either way.
    bool initJoysticks() {
        joysticks_.setDebugOutput(machine_.host().debug);
        attachJoysticks(&joysticks_);
        return joysticks_.initJoysticks();
    }
    void setJoysticksAcquired(bool acquired) { joysticks_.setJoysticksAcquired(acquired); }
    void releaseJoysticks() {
        joysticks_.releaseJoysticks();
        attachJoysticks(nullptr);
    }

    int stopSoundCalls() const { return stopSoundCalls_; }
    int restartSoundCalls() const { return restartSoundCalls_; }
    const SdlJoysticks& joysticks() const { return joysticks_; }

  private:
    void reportSound() {
        DebugOutputSink* debug = machine_.host().debug;
        if (debug == nullptr || !sound_->deviceOpen()) return;
        const AudioCounters counters = audioDevice_->counters();
        const HandOffDelay delay = audioDevice_->handOffDelay();
        const auto& leads = sound_->leadControl().leadHistogram();
        char text[512];
        int length = std::snprintf(
            text, sizeof text,
            "Sound: %s, buffer %d samples, %lld frames; underruns %lld, overwrites %lld, "
            "restarts %lld; rate %+d ppm; slot written to callback %lld-%lld us (mean %lld); "
            "lead:",
            audioDevice_->driverName().c_str(), audioDevice_->bufferSamples(),
            static_cast<long long>(sound_->framesWritten()),
            static_cast<long long>(counters.underruns), static_cast<long long>(counters.overwrites),
            static_cast<long long>(sound_->leadControl().resyncs()),
            sound_->leadControl().ratePpm(), static_cast<long long>(delay.minimumUs),
            static_cast<long long>(delay.maximumUs), static_cast<long long>(delay.meanUs));
        for (std::size_t lead = 0; lead < leads.size() && length > 0; ++lead) {
            if (leads[lead] == 0 || length >= static_cast<int>(sizeof text)) continue;
            length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                                    " %zu:%lld", lead, static_cast<long long>(leads[lead]));
        }
        debug->debugOutput(text);
        debug->debugOutput("\n");
    }

    Machine& machine_;
    std::unique_ptr<SdlAudioDevice> audioDevice_;
    std::unique_ptr<SoundOutput> sound_;

    void attachJoysticks(JoystickSource* source) {
        MachineHost host = machine_.host();
        host.joysticks = source;
        machine_.attachHost(host);
    }

    int stopSoundCalls_ = 0;     // times the sound was stopped
    int restartSoundCalls_ = 0;  // times the sound was restarted
    SdlJoysticks joysticks_;
};

}  // namespace vantorel
