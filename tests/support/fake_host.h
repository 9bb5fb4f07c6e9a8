// Host stand-ins for machine tests: a clock the test sets by hand, a
// keyboard whose keys the test presses, joysticks the test moves, and sinks
// that record what the machine sends them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hostapi/host_interfaces.h"
#include "input/us_layout.h"

namespace vantorel::testing {

// A clock that stands still until the test moves it.
class FakeClock : public HostClock {
  public:
    bool hasCounter = true;            // counterFrequency() answers
    std::int64_t frequency = 1000000;  // ticks per second
    std::int64_t ticks = 0;            // the counter's reading
    bool counterReadFails = false;
    std::uint32_t ms = 0;  // the millisecond time
    int counterReads = 0;

    std::optional<std::int64_t> counterFrequency() override {
        if (!hasCounter) return std::nullopt;
        return frequency;
    }
    std::optional<std::int64_t> readCounter() override {
        ++counterReads;
        if (counterReadFails) return std::nullopt;
        return ticks;
    }
    std::uint32_t milliseconds() override { return ms; }

    // Moves both clocks on by `microseconds`.
    void advanceMicroseconds(std::int64_t microseconds) {
        microsecondsTotal_ += microseconds;
        ticks = microsecondsTotal_ * frequency / 1000000;
        ms = static_cast<std::uint32_t>(microsecondsTotal_ / 1000);
    }

  private:
    std::int64_t microsecondsTotal_ = 0;
};

// A host keyboard on the US layout whose keys the test holds down.
class FakeKeys : public KeyStateSource {
  public:
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    int copies = 0;

    void press(std::uint8_t virtualKey) { states[virtualKey] |= kKeyDownBit; }
    void release(std::uint8_t virtualKey) { states[virtualKey] &= ~kKeyDownBit & 0xFF; }
    void toggle(std::uint8_t virtualKey) { states[virtualKey] ^= kKeyToggleBit; }

    void copyKeyStates(std::span<std::uint8_t, kVirtualKeyCount> destination) override {
        ++copies;
        std::copy(states.begin(), states.end(), destination.begin());
    }
    // Once a test types through typeHost, the keys say what they typed on
    // the host's layout; before, they leave that to the US layout.
    bool reportsTexts = false;
    std::array<char32_t, kVirtualKeyCount> texts{};
    void typeHost(std::uint8_t virtualKey, char32_t text) {
        reportsTexts = true;
        press(virtualKey);
        texts[virtualKey] = text;
    }
    void copyKeyTexts(std::span<char32_t, kVirtualKeyCount> destination) override {
        if (!reportsTexts) {
            KeyStateSource::copyKeyTexts(destination);
            return;
        }
        std::copy(texts.begin(), texts.end(), destination.begin());
    }
    std::int16_t keyForCharacter(char character) override {
        return usLayoutKeyForCharacter(character);
    }
};

struct SpeakerEdge {
    std::uint32_t tstates;
    std::uint8_t level;
    friend bool operator==(const SpeakerEdge&, const SpeakerEdge&) = default;
};

// Records every speaker edge and frame bracket.
class RecordingSpeaker : public SpeakerSink {
  public:
    std::vector<SpeakerEdge> edges;
    std::vector<std::uint32_t> frameStarts;  // TStateCounter at each beginFrameSound
    int framesEnded = 0;

    void beginFrameSound(std::uint32_t frameStartTStates) override {
        frameStarts.push_back(frameStartTStates);
    }
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override {
        edges.push_back({tstates, level});
    }
    void endFrameSound() override { ++framesEnded; }
};

// Two joysticks whose readings the test sets; a slot without a reading has
// no usable device. `onUpdate` (if set) runs at each update, after the count.
class FakeJoysticks : public JoystickSource {
  public:
    std::array<std::optional<JoystickReading>, kJoystickSlots> readings{};
    int updates = 0;
    std::vector<int> slotsRead;  // every slot asked for, in order
    std::function<void(FakeJoysticks&)> onUpdate;

    void updateJoysticks() override {
        ++updates;
        if (onUpdate) onUpdate(*this);
    }
    std::optional<JoystickReading> readJoystickDevice(int slot) override {
        slotsRead.push_back(slot);
        return readings[static_cast<std::size_t>(slot)];
    }
};

class RecordingDebugOutput : public DebugOutputSink {
  public:
    std::string text;
    void debugOutput(const char* message) override { text += message; }
};

}  // namespace vantorel::testing
