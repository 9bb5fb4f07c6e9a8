// The inputs that entered a machine during its frames, in order: each a
// joystick byte or a host key state that changed at one of the frame's three
// reads (frame_input_tap.h), stamped with the frame and the T-state, counted
// from the timeline's start, at which the machine read it.
//
// Written by the timeline while it records, read back while it replays, and
// saved in movies.
#pragma once

#include <cstdint>
#include <vector>

namespace vantorel {

// Where in a frame an input entered, in the order the frame reads them.
enum class InputPoint : std::uint8_t {
    joystickBeforeActiveScan = 0,  // index: joystick slot 0-1
    joystickBeforeVerticalBlank = 1,
    keyScan = 2,  // index: virtual-key code 0-255
};

struct InputEvent {
    std::int64_t frame = 0;   // frames since the timeline's start
    std::int64_t tstate = 0;  // T-states since the timeline's start
    InputPoint point = InputPoint::keyScan;
    std::uint8_t index = 0;  // joystick slot or virtual-key code
    std::uint8_t value = 0;  // the joystick byte or the key state

    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

using InputLog = std::vector<InputEvent>;  // ordered by frame, then point

}  // namespace vantorel
