// The host's sound output and joysticks, as the main window drives them.
//
// Not built yet: every operation does nothing (initSound and initJoysticks
// report that nothing was started). The main window already calls each at
// its place in start-up, pauses and shutdown, so the sound and joystick
// work only fills these in. Counts let tests see the calls.
#pragma once

namespace vantorel {

class HostDevices {
  public:
    bool initSound() { return false; }
    void stopSound() { ++stopSoundCalls_; }
    void releaseSound() {}
    bool initJoysticks() { return false; }
    void setJoysticksAcquired(bool) {}
    void releaseJoysticks() {}

    int stopSoundCalls() const { return stopSoundCalls_; }

  private:
    int stopSoundCalls_ = 0;  // times the sound was stopped
};

}  // namespace vantorel
