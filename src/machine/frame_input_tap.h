// The machine's edge for what the host gives it during a frame.
//
// Twice a frame the machine reads both joysticks (before each processor
// slice), and at the end of the frame it copies the host's key states into
// the keyboard matrix (after quick type has moved on). Those are the only
// inputs that enter during a frame; everything else (typed text, tapes,
// resets, settings, files) happens between frames. A tap set with
// Machine::setInputTap sees every one of these reads: `before` is what the
// record held, `now` what the host gave. While it replays, the host is not
// asked at all and the tap alone says what `now` is, so a logged run comes
// out the same whatever the host's keys and joysticks do meanwhile.
//
// The timeline (timeline/timeline.h) is the tap: it logs while recording and
// gives the log back while it replays.
#pragma once

#include <array>
#include <cstdint>

#include "hostapi/host_interfaces.h"

namespace vantorel {

using JoystickBytes = std::array<std::uint8_t, 2>;
using HostKeyStates = std::array<std::uint8_t, kVirtualKeyCount>;

enum class JoystickPoll : std::uint8_t { beforeActiveScan = 0, beforeVerticalBlank = 1 };

class FrameInputTap {
  public:
    virtual ~FrameInputTap() = default;
    // True: the host is not read; the calls below set `now` from the log.
    virtual bool replaying() const = 0;
    // The joystick bytes of port FF at one of the frame's two polls.
    virtual void joysticksRead(JoystickPoll poll, const JoystickBytes& before,
                               JoystickBytes& now) = 0;
    // The key states the next frame's row reads see, at the frame's end.
    virtual void keysScanned(const HostKeyStates& before, HostKeyStates& now) = 0;
};

}  // namespace vantorel
