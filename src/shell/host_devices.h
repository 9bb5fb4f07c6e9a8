// The host's sound output and joysticks, as the main window drives them.
//
// Sound is not built yet: its operations do nothing (initSound reports that
// nothing was started). The joysticks are SDL's (host/sdl_joysticks.h):
// initJoysticks finds them and makes them the machine's joystick source,
// setJoysticksAcquired follows the window's activation, releaseJoysticks
// closes them and takes them from the machine again. The main window calls
// each at its place in start-up, pauses and shutdown. Counts let tests see
// the calls.
#pragma once

#include "host/sdl_joysticks.h"
#include "machine/machine.h"

namespace vantorel {

class HostDevices {
  public:
    bool initSound() { return false; }
    void stopSound() { ++stopSoundCalls_; }
    void releaseSound() {}

    // Returns whether SDL's joystick support started; the machine reads the
    // joysticks through port FF either way.
    bool initJoysticks(Machine& machine) {
        joystickMachine_ = &machine;
        joysticks_.setDebugOutput(machine.host().debug);
        attachJoysticks(&joysticks_);
        return joysticks_.initJoysticks();
    }
    void setJoysticksAcquired(bool acquired) { joysticks_.setJoysticksAcquired(acquired); }
    void releaseJoysticks() {
        joysticks_.releaseJoysticks();
        attachJoysticks(nullptr);
        joystickMachine_ = nullptr;
    }

    int stopSoundCalls() const { return stopSoundCalls_; }
    const SdlJoysticks& joysticks() const { return joysticks_; }

  private:
    void attachJoysticks(JoystickSource* source) {
        if (joystickMachine_ == nullptr) return;
        MachineHost host = joystickMachine_->host();
        host.joysticks = source;
        joystickMachine_->attachHost(host);
    }

    int stopSoundCalls_ = 0;  // times the sound was stopped
    SdlJoysticks joysticks_;
    Machine* joystickMachine_ = nullptr;  // the machine reading joysticks_
};

}  // namespace vantorel
