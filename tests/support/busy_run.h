// A long, busy run of the built-in monitor for tests that compare runs:
// it loads a program from a playing tape, saves it again onto the recorder,
// dumps memory, rings its bell at keys pressed on the host keyboard, moves
// joystick 1, and all the while the sound output (clicker and AY-3-8910,
// the AY rendered from the machine's state) writes to a fake audio device.
// What the host does is a function of the frame's number only, so every
// run from a point sees the same.
//
//   BusyRun run;
//   for (int frame = 0; ...; ++frame) run.runFrame(frame, &output);
// or, with a frame runner of one's own (the timeline):
//   run.hostDoes(frame); run.tapOutput(&output); timeline.runFrame(...);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/boot.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "sound/ring_audio_device.h"
#include "sound/sound_output.h"
#include "support/fake_host.h"
#include "support/monitor_tape.h"

namespace vantorel::testing {

inline constexpr int kBusyKeysFrom = 1500;  // from here the host keyboard rings the bell

// Everything a frame gives out, in the order it came.
struct FrameOutput {
    std::vector<std::uint32_t> frameStarts;  // beginFrameSound stamps
    std::vector<std::uint32_t> edges;        // speaker edges: T-state << 1 | level
    std::vector<std::int16_t> clicker;       // voice 0 as written to the device
    std::vector<std::int16_t> ay;            // voices 1-3 as written to the device
    std::string screen;

    friend bool operator==(const FrameOutput&, const FrameOutput&) = default;
};

// The audio device: rings played one frame per frame, every slot written kept.
class TappedDevice : public RingAudioDevice {
  public:
    FrameOutput* out = nullptr;
    bool writeSlot(int voice, int slot, std::span<const std::int16_t> samples) override {
        if (out != nullptr) {
            auto& to = voice == kClickerVoice ? out->clicker : out->ay;
            to.insert(to.end(), samples.begin(), samples.end());
        }
        return RingAudioDevice::writeSlot(voice, slot, samples);
    }
};

// Stands between the machine and its sound output, noting the edges.
class TappedSpeaker : public SpeakerSink {
  public:
    TappedSpeaker(SoundOutput& sound, TappedDevice& device) : sound_(sound), device_(device) {}
    FrameOutput* out = nullptr;

    void beginFrameSound(std::uint32_t start) override {
        if (out != nullptr) out->frameStarts.push_back(start);
        sound_.beginFrameSound(start);
    }
    void recordSpeakerEdge(std::uint32_t tstates, std::uint8_t level) override {
        if (out != nullptr) out->edges.push_back(tstates << 1 | (level & 1u));
        sound_.recordSpeakerEdge(tstates, level);
    }
    void endFrameSound() override {
        sound_.endFrameSound();
        std::vector<std::int16_t> played(static_cast<std::size_t>(sound_.frameSamples()));
        device_.pull(played);
    }

  private:
    SoundOutput& sound_;
    TappedDevice& device_;
};

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// The Sorcerer of the run and the host around it. What the host does is a
// function of the frame's number only, so both runs from a point see it.
class BusyRun {
  public:
    BusyRun() {
        machine_.attachHost(MachineHost{nullptr, &keys_, &speaker_, &debug_, &joysticks_});
        boot({machine_}, SettingsFiles{});  // the built-in ROMs; frames run when called
        sound_.ay().useChip(&machine_.ayChip());
        EXPECT_TRUE(sound_.initSound());
        // A tone on AY channel A, so its counters show in the samples.
        sound_.ay().ayWriteRegister(0, 0, 0x80);
        sound_.ay().ayWriteRegister(0, 7, 0x3E);
        sound_.ay().ayWriteRegister(0, 8, 12);
        // A program on the tape for LO, and the recorder on for SA.
        std::vector<std::uint8_t> program(300);
        for (std::size_t i = 0; i < program.size(); ++i) {
            program[i] = static_cast<std::uint8_t>(i * 13 + 7);
        }
        EXPECT_TRUE(machine_.playTapeBytes(
            testing::monitorTapeFile({"PROG", 0x00, 0x2000, 0x2000}, program, 200)));
        machine_.recordTape(TapeFormat::raw);
    }

    Machine& machine() { return machine_; }

    // Runs frame `frame` of the script; collects what it gives into `out`.
    void runFrame(int frame, FrameOutput* out) {
        hostDoes(frame);
        collect(out);
        machine_.runFrame();
        collected(out);
    }

    // What runFrame does around the machine's frame, for a caller that runs
    // the frame itself: collect(out) before it, collected(out) after.
    void collect(FrameOutput* out) {
        speaker_.out = out;
        device_.out = out;
    }
    void collected(FrameOutput* out) {
        speaker_.out = nullptr;
        device_.out = nullptr;
        if (out != nullptr) out->screen = screenText(std::as_const(machine_).memory());
    }

    // The typing starts at set frames, each line when the monitor has long
    // finished the one before; late in the run the host keyboard types a
    // line the monitor refuses, again and again, and the bell rings.
    // Joystick 1 is pushed right now and then.
    void hostDoes(int frame) {
        hostCommands(frame);
        hostInputs(frame);
    }
    void hostCommands(int frame) {
        const char* text = nullptr;
        if (frame == 40) text = "SE T=0\nLO\n";
        if (frame == 500) text = "SA COPY 2000 212B\n";
        if (frame == 1200) text = "DU 2000 2040\n";
        if (text != nullptr) {
            EXPECT_EQ(machine_.startQuickTypeText(bytesOf(text)), QuickTypeResult::ok) << frame;
        }
    }
    // The host's keys and joysticks at a frame.
    void hostInputs(int frame) {
        joysticks_.readings[0] =
            JoystickReading{frame % 90 < 20 ? kJoystickAxisLimit : 0, 0, frame % 70 < 5 ? 1u : 0u};
        keys_.states.fill(0);
        if (frame < kBusyKeysFrom) return;
        const int phase = frame % 45;
        if (phase < 3) keys_.press('X');
        if (phase >= 5 && phase < 8) keys_.press(0x0D);  // RETURN
    }

    FakeKeys keys_;
    FakeJoysticks joysticks_;
    RecordingDebugOutput debug_;
    Machine machine_;
    TappedDevice device_;
    SoundOutput sound_{machine_.config(), machine_.timing(), &device_};
    TappedSpeaker speaker_{sound_, device_};
};

// The same input, or two copies of it (a text typed in both runs is made twice).
template <class Input>
bool sameInput(const std::shared_ptr<const Input>& a, const std::shared_ptr<const Input>& b) {
    return a == b || (a && b && *a == *b);
}

inline bool sameInputs(const MachineInputs& a, const MachineInputs& b) {
    return a.roms.monitor == b.roms.monitor && a.roms.characters == b.roms.characters &&
           a.gameRoms.a000 == b.gameRoms.a000 && a.gameRoms.c000 == b.gameRoms.c000 &&
           a.gameRoms.d000 == b.gameRoms.d000 && sameInput(a.tape, b.tape) &&
           sameInput(a.text, b.text);
}

}  // namespace vantorel::testing
