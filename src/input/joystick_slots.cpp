#include "input/joystick_slots.h"

namespace vantorel {

int JoystickSlots::place(std::int64_t deviceId, bool usable) {
    if (deviceId == kNoJoystickDevice || slotOf(deviceId) >= 0) return -1;
    for (int index = 0; index < kJoystickSlots; ++index) {
        JoystickSlot& slot = slots_[static_cast<std::size_t>(index)];
        if (slot.deviceId != kNoJoystickDevice) continue;
        slot = {deviceId, usable};
        return index;
    }
    return -1;
}

int JoystickSlots::remove(std::int64_t deviceId) {
    const int index = slotOf(deviceId);
    if (index >= 0) slots_[static_cast<std::size_t>(index)] = {};
    return index;
}

int JoystickSlots::slotOf(std::int64_t deviceId) const {
    if (deviceId == kNoJoystickDevice) return -1;
    for (int index = 0; index < kJoystickSlots; ++index) {
        if (slots_[static_cast<std::size_t>(index)].deviceId == deviceId) return index;
    }
    return -1;
}

bool JoystickSlots::full() const {
    for (const JoystickSlot& slot : slots_) {
        if (slot.deviceId == kNoJoystickDevice) return false;
    }
    return true;
}

}  // namespace vantorel
