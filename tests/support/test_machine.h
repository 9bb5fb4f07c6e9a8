// A machine wired to fake host objects, booted through boot() with the idle
// test ROMs: settings at their defaults, timing computed, pacing set up on
// the fake clock, key layout resolved on the US layout, a hard reset done.
// Tests run frames with machine.runFrame() (always one frame) or, to see
// the pacing, with scheduler.runPass().
#pragma once

#include <cstdint>
#include <initializer_list>

#include "app/boot.h"
#include "app/frame_scheduler.h"
#include "machine/machine.h"
#include "support/fake_host.h"
#include "support/test_roms.h"

namespace vantorel::testing {

struct TestMachine {
    FakeClock clock;
    FakeKeys keys;
    RecordingSpeaker speaker;
    RecordingDebugOutput debug;
    TestRoms roms = idleTestRoms();
    Machine machine{MachineHost{&clock, &keys, &speaker, &debug}};
    FrameScheduler scheduler{machine, &clock};

    TestMachine() { boot({machine, &scheduler}, SettingsFiles{{}, {}, roms.images()}); }

    // Puts `bytes` into RAM at `address` and points the processor there.
    void runFrom(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
        std::uint16_t at = address;
        for (std::uint8_t byte : bytes) machine.memory().image[at++] = byte;
        Z80State registers = machine.registers();
        registers.PC = address;
        machine.setRegisters(registers);
    }

    // Moves the clock by one 60 Hz frame period, so the next frame is due.
    void nextFrameTime() { clock.advanceMicroseconds(16667); }
};

}  // namespace vantorel::testing
