// The host's joysticks and game pads through SDL2, as the machine's joystick
// source.
//
// SDL runs without its video part (the Qt program owns the window) and
// without its event queue for joysticks: every updateJoysticks, called by
// the machine before each processor slice, updates the devices' states
// itself and looks for devices plugged in or pulled out. The first two
// devices SDL lists at start become joysticks 1 and 2 (JoystickSlots); one
// plugged in later takes the first free slot, and one pulled out reads as no
// joystick and frees its slot. A device that SDL knows as a game controller
// steers with its D-pad and its left stick, and its A, B, X, Y and shoulder
// buttons are the six fire buttons; any other device gives its axes 0 and 1
// and its buttons 0-5 (a device with fewer has the rest released). Axes are
// scaled from SDL's -32768..32767 to -720..720.
//
// Nothing here is reported to the user: without SDL's joystick support, or
// for a device that cannot be opened, the slot reads as no joystick and one
// line goes to the debug output.
//
// The program's HostDevices (app/host_devices.h) calls, in its life:
//   1. initJoysticks() at start-up;
//   2. setJoysticksAcquired(active) when it is activated or deactivated
//      (while not acquired both slots read as no joystick);
//   3. releaseJoysticks() when it is destroyed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "hostapi/host_interfaces.h"
#include "input/joystick_slots.h"

namespace vantorel {

class SdlJoysticks : public JoystickSource {
  public:
    explicit SdlJoysticks(DebugOutputSink* debug = nullptr) : debug_(debug) {}
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;
    ~SdlJoysticks() override { SdlJoysticks::releaseJoysticks(); }

    void setDebugOutput(DebugOutputSink* debug) { debug_ = debug; }

    // Starts SDL's joystick and game controller support and takes the first
    // two devices; false when SDL's support could not be started.
    bool initJoysticks() override;
    void setJoysticksAcquired(bool acquired) override { acquired_ = acquired; }
    // Closes every device and stops SDL's joystick support.
    void releaseJoysticks() override;

    void updateJoysticks() override;
    std::optional<JoystickReading> readJoystickDevice(int slot) override;

    bool started() const { return started_; }
    bool acquired() const { return acquired_; }
    const JoystickSlots& deviceSlots() const { return slots_; }
    // The slot's device was opened as a game controller.
    bool isGameController(int slot) const { return controller_[static_cast<std::size_t>(slot)]; }

  private:
    void findNewDevices();
    void openDevice(int deviceIndex);
    void dropRemovedDevices();
    bool deviceAttached(int slot) const;
    void closeSlot(int slot);
    void debugLine(const char* what, const char* detail) const;

    DebugOutputSink* debug_;
    JoystickSlots slots_;                               // SDL instance id per slot
    std::array<bool, kJoystickSlots> controller_ = {};  // opened as a game controller
    bool started_ = false;                              // SDL's joystick support is up
    bool acquired_ = false;                             // the window has the devices
};

// SDL's axis value (-32768..32767) on the scale -720..720.
std::int32_t scaleSdlAxis(std::int32_t value);

}  // namespace vantorel
