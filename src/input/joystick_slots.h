// Which host device is joystick 1 and which joystick 2.
//
// The host side (host/sdl_joysticks.h) places every device it finds, in the
// order the host reports them: the first two found take slots 0 and 1, any
// further device is left out while both are taken. A device whose set-up
// failed still takes its slot but is not usable (the slot reads as no
// joystick) for as long as it stays plugged in. A device pulled out frees its
// slot; the next device found takes the first free slot, so a pad plugged in
// while the program runs becomes joystick 1 if that slot is free.
#pragma once

#include <array>
#include <cstdint>

#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr std::int64_t kNoJoystickDevice = -1;

struct JoystickSlot {
    std::int64_t deviceId = kNoJoystickDevice;  // the host's id of the device, or none
    bool usable = false;                        // its set-up succeeded
};

class JoystickSlots {
  public:
    // Puts a newly found device in the first free slot; returns that slot, or
    // -1 when both are taken or the device already has one.
    int place(std::int64_t deviceId, bool usable);
    // The device is gone: its slot (returned, or -1 if it had none) is free.
    int remove(std::int64_t deviceId);
    // The slot holding `deviceId`, or -1.
    int slotOf(std::int64_t deviceId) const;
    bool full() const;
    void clear() { slots_ = {}; }

    // Slot 0 or 1.
    const JoystickSlot& slot(int index) const { return slots_[static_cast<std::size_t>(index)]; }

  private:
    std::array<JoystickSlot, kJoystickSlots> slots_{};
};

}  // namespace vantorel
