// Start-up through boot(): the steps in their order, the settings read and
// their ROM problems returned, the reset noise seeded from the clock, and a
// machine without a clock left unpaced with its first seed.
#include "app/boot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "machine/machine.h"
#include "support/fake_audio_device.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"
#include "support/test_roms.h"

namespace vantorel {
namespace {

using testing::FakeAudioDevice;
using testing::FakeClock;
using testing::FakeKeys;
using testing::TempFolder;

// What each step saw of the others, in the order the steps came.
struct StepLog {
    std::vector<std::string> steps;
    Machine* machine = nullptr;
    FrameScheduler* scheduler = nullptr;

    void note(const std::string& step) {
        steps.push_back(step + (scheduler->pacing().counterAvailable() ? " paced" : " unpaced") +
                        (machine->running() ? " running" : " stopped"));
    }
};

class LoggedKeys : public FakeKeys {
  public:
    explicit LoggedKeys(StepLog& log) : log_(log) {}
    std::int16_t keyForCharacter(char character) override {
        if (!asked_) log_.note("keys");
        asked_ = true;
        return FakeKeys::keyForCharacter(character);
    }

  private:
    StepLog& log_;
    bool asked_ = false;
};

class LoggedAudio : public FakeAudioDevice {
  public:
    explicit LoggedAudio(StepLog& log) : log_(log) {}
    bool open() override {
        log_.note("sound");
        return FakeAudioDevice::open();
    }

  private:
    StepLog& log_;
};

class LoggedJoysticks : public JoystickSource {
  public:
    explicit LoggedJoysticks(StepLog& log) : log_(log) {}
    bool initJoysticks() override {
        log_.note("joysticks");
        return true;
    }
    std::optional<JoystickReading> readJoystickDevice(int) override { return std::nullopt; }

  private:
    StepLog& log_;
};

std::vector<std::uint8_t> screenNoise(const Machine& machine) {
    const auto& image = machine.memory().image;
    return {image.begin() + 0xF080, image.begin() + 0xF800};
}

TEST(Boot, RunsTheStartUpInOrderAndReportsTheRomFilesNotTaken) {
    TempFolder folder;
    std::ofstream(folder / "default.ini") << "[MEMORY]\nusebuiltinromflag=0\n"
                                             "ROMfilename=missing.rom\n[SPEED]\ncpuspeedopt=1\n";
    StepLog log;
    FakeClock clock;
    clock.ms = 4321;
    LoggedKeys keys{log};
    LoggedAudio audio{log};
    LoggedJoysticks joysticks{log};
    const testing::TestRoms roms = testing::idleTestRoms();
    Machine machine{MachineHost{&clock, &keys, nullptr, nullptr}};
    FrameScheduler scheduler{machine, &clock};
    HostDevices devices{machine, &scheduler, &audio, &joysticks};
    log.machine = &machine;
    log.scheduler = &scheduler;

    const BootReport report =
        boot({machine, &scheduler, &devices},
             SettingsFiles{folder / "default.ini", folder.path(), roms.images()}, [&] {
                 log.note("window at " + std::to_string(machine.timing().framesPerSecond) + " fps");
             });

    EXPECT_EQ(log.steps,
              (std::vector<std::string>{"window at 50 fps unpaced stopped", "sound paced stopped",
                                        "keys paced stopped", "joysticks paced running"}));
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("missing.rom"), std::string::npos) << report.problems[0];
    EXPECT_EQ(machine.readMemory(0xE000), 0xC3) << "the built-in image went in instead";
    EXPECT_EQ(machine.host().speaker, devices.sound());
    EXPECT_EQ(machine.host().joysticks, &joysticks);
    EXPECT_EQ(scheduler.pacing().framePeriodTicks(), 882 * 1000000 / 44100)
        << "the sound's PAL audio frame sets the period";

    // Seeded after the reset with the clock's millisecond time: the next
    // hard reset draws the noise a machine seeded so draws.
    machine.hardReset();
    Machine seeded;
    seeded.seedRandom(4321);
    seeded.hardReset();
    EXPECT_EQ(screenNoise(machine), screenNoise(seeded));
}

TEST(Boot, WithoutAClockTheMachineRunsUnpacedAndKeepsItsFirstSeed) {
    Machine machine;
    const testing::TestRoms roms = testing::idleTestRoms();
    EXPECT_TRUE(boot({machine}, SettingsFiles{{}, {}, roms.images()}).problems.empty());
    EXPECT_TRUE(machine.running());
    EXPECT_EQ(machine.timing().framesPerSecond, 60);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(machine.runFrame().tstates.total(), 35106);

    Machine fresh;
    fresh.hardReset();
    EXPECT_EQ(screenNoise(machine).size(), screenNoise(fresh).size());
    EXPECT_EQ(screenNoise(machine), screenNoise(fresh)) << "both drew from seed 1";
}

}  // namespace
}  // namespace vantorel
