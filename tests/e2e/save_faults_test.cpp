// Every file the program saves, with the save made to fail at each of its
// steps in turn (create the new file, write it, flush and close it, rename
// it over the old one). Whatever fails: the save says so, the old file is
// byte for byte as it was (or, on a first save, no file appears), no
// temporary file stays behind, and the next save succeeds and loads back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/fed_files.h"
#include "app/headless_runner.h"
#include "cassette/wav_reader.h"
#include "config/settings_file.h"
#include "files/write_faults.h"
#include "machine/machine_files.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::TestMachine;
using Bytes = std::vector<std::uint8_t>;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Motor on at 1200 baud; sends B bytes from 3000, waits for the last to
// leave, spins.
void runSender(TestMachine& test, std::uint8_t count) {
    test.runFrom(0x1000, {0x3E, 0x50, 0xD3, 0xFE, 0x21, 0x00, 0x30, 0x06, count, 0xDB,
                          0xFD, 0xE6, 0x01, 0x28, 0xFA, 0x7E, 0xD3, 0xFC, 0x23,  0x10,
                          0xF4, 0xDB, 0xFD, 0xE6, 0x01, 0x28, 0xFA, 0x18, 0xFE});
}

// Motor on at 1200 baud; stores every byte received from 2000 on.
void runReceiver(TestMachine& test) {
    test.runFrom(0x1000, {0x3E, 0x50, 0xD3, 0xFE, 0x21, 0x00, 0x20, 0xDB, 0xFD, 0xE6, 0x02, 0x28,
                          0xFA, 0xDB, 0xFC, 0x77, 0x23, 0x18, 0xF4});
}

void runFrames(TestMachine& test, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        test.nextFrameTime();
        test.machine.runFrame();
    }
}

// What each save writes depends on its generation (1, then 2), so that the
// old file and the new one differ.
Bytes tapeBytes(int generation) {
    Bytes bytes;
    for (int i = 0; i < 2 + generation; ++i)
        bytes.push_back(static_cast<std::uint8_t>(generation * 41 + i));
    return bytes;
}

struct SaveBench {
    TempFolder folder;
    fs::path out = folder / "out";  // the saved file's folder, nothing else in it
    std::unique_ptr<TestMachine> test = std::make_unique<TestMachine>();

    SaveBench() { fs::create_directory(out); }
};

struct SavedKind {
    std::string name;
    std::string fileName;
    // Saves this generation's contents; true when the save reported success.
    std::function<bool(SaveBench&, const fs::path&, int generation)> save;
    // Loads the file back and checks that it holds this generation.
    std::function<void(SaveBench&, const fs::path&, int generation)> expectLoadsBack;
};

using SettingsSave = bool (*)(const fs::path&, const MachineConfig&);
using SettingsChange = void (*)(MachineConfig&, int generation);

// One settings dialog's save: only its own sections change, so the whole
// record loads back equal to what was saved.
SavedKind settingsKind(std::string name, SettingsSave save, SettingsChange change) {
    auto configFor = [change](int generation) {
        MachineConfig config;
        change(config, generation);
        return config;
    };
    return {name, "settings.ini",
            [save, configFor](SaveBench&, const fs::path& path, int generation) {
                return save(path, configFor(generation));
            },
            [configFor](SaveBench&, const fs::path& path, int generation) {
                MachineConfig loaded;
                loadSettings(path, loaded, nullptr);
                EXPECT_TRUE(loaded == configFor(generation));
            }};
}

SavedKind snapshotKind() {
    return {"snapshot", "state.snp",
            [](SaveBench& bench, const fs::path& path, int generation) {
                Machine& machine = bench.test->machine;
                machine.writeMemory(0x4000, static_cast<std::uint8_t>(0x70 + generation));
                Z80State registers = machine.registers();
                registers.PC = 0x1200 + static_cast<std::uint32_t>(generation);
                registers.HL = 0xBEEF;
                machine.setRegisters(registers);
                return saveSnapshot(machine, path).ok();
            },
            [](SaveBench&, const fs::path& path, int generation) {
                TestMachine fresh;
                ASSERT_TRUE(loadSnapshot(fresh.machine, path).ok());
                EXPECT_EQ(fresh.machine.readMemory(0x4000), 0x70 + generation);
                EXPECT_EQ(fresh.machine.registers().PC,
                          0x1200u + static_cast<unsigned>(generation));
                EXPECT_EQ(fresh.machine.registers().HL, 0xBEEFu);
            }};
}

SavedKind ramKind() {
    return {"ram", "ram.bin",
            [](SaveBench& bench, const fs::path& path, int generation) {
                Machine& machine = bench.test->machine;
                machine.memory().image[0x2345] = static_cast<std::uint8_t>(0x40 + generation);
                return saveRam(machine, path).ok();
            },
            [](SaveBench& bench, const fs::path& path, int generation) {
                const auto& image = bench.test->machine.memory().image;
                const std::string file = readBytes(path);
                const Bytes bytes(file.begin(), file.end());
                ASSERT_EQ(bytes.size(), kRamImageBytes);
                EXPECT_TRUE(bytes == Bytes(image.begin(), image.end()));
                EXPECT_EQ(bytes[0x2345], 0x40 + generation);
            }};
}

// A WAV recording of bytes a Z80 program sends, which another program then
// receives from the saved file.
SavedKind tapeKind() {
    return {"tape", "tape.wav",
            [](SaveBench& bench, const fs::path& path, int generation) {
                TestMachine& test = *bench.test;
                const Bytes sent = tapeBytes(generation);
                std::copy(sent.begin(), sent.end(), test.machine.memory().image.begin() + 0x3000);
                if (!test.machine.recordTape(TapeFormat::wav, path)) return false;
                runSender(test, static_cast<std::uint8_t>(sent.size()));
                runFrames(test, 8);
                return test.machine.stopCassette();
            },
            [](SaveBench&, const fs::path& path, int generation) {
                const std::string file = readBytes(path);
                EXPECT_EQ(parseWav(Bytes(file.begin(), file.end())).error, WavError::none);
                TestMachine player;
                ASSERT_TRUE(playCassetteFile(player.machine, path, TapeFormat::wav).playing);
                runReceiver(player);
                runFrames(player, 12);
                const Bytes sent = tapeBytes(generation);
                const auto& image = player.machine.memory().image;
                EXPECT_TRUE(std::equal(sent.begin(), sent.end(), image.begin() + 0x2000));
            }};
}

// The headless runner's --wav, with `frames` frames of silence.
int runHeadlessWav(SaveBench& bench, const fs::path& path, std::int64_t frames,
                   const std::string& romPath = {}) {
    const fs::path settings = bench.folder / "settings.ini";
    if (!fs::exists(settings)) std::ofstream{settings};
    CommandLine options;
    options.headless = true;
    options.frames = frames;
    options.settingsPath = settings.string();
    options.wavPath = path.string();
    options.romPath = romPath;
    std::ostringstream out;
    std::ostringstream err;
    return runHeadless(options, out, err);
}

std::int64_t wavFramesFor(int generation) {
    return 4 * generation;
}

SavedKind soundRecordingKind() {
    return {"sound", "sound.wav",
            [](SaveBench& bench, const fs::path& path, int generation) {
                return runHeadlessWav(bench, path, wavFramesFor(generation)) == 0;
            },
            [](SaveBench&, const fs::path& path, int generation) {
                const std::string bytes = readBytes(path);
                ASSERT_GE(bytes.size(), 44u);
                EXPECT_EQ(bytes.substr(0, 4), "RIFF");
                EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
                EXPECT_EQ(bytes.substr(36, 4), "data");
                std::uint32_t dataBytes = 0;
                for (int i = 3; i >= 0; --i) {
                    dataBytes = dataBytes << 8 | static_cast<std::uint8_t>(bytes[40 + i]);
                }
                EXPECT_EQ(dataBytes, bytes.size() - 44);
                // The frames run and the three still in the rings, 368 samples each.
                EXPECT_EQ(dataBytes, (wavFramesFor(generation) + 3) * 368 * 2);
            }};
}

std::vector<SavedKind> savedKinds() {
    return {
        settingsKind("memorySettings", saveMemorySettings,
                     [](MachineConfig& c, int g) { c.ramexpanders = g == 1 ? 0 : 3; }),
        settingsKind("keyboardSettings", saveKeyboardSettings,
                     [](MachineConfig& c, int g) {
                         c.emulatedflag = g == 2;
                         c.normalKeys[0x41] = static_cast<std::uint8_t>(g);
                     }),
        settingsKind("videoSettings", saveVideoSettings,
                     [](MachineConfig& c, int g) {
                         c.windowscalingX = g + 1;
                         c.colours[1] = RgbColour{static_cast<std::uint8_t>(g), 2, 3};
                     }),
        snapshotKind(),
        ramKind(),
        tapeKind(),
        soundRecordingKind(),
    };
}

class SaveUnderFaults : public ::testing::TestWithParam<std::tuple<std::size_t, WriteStep>> {
  protected:
    const SavedKind kind = savedKinds()[std::get<0>(GetParam())];
    const WriteStep step = std::get<1>(GetParam());
    SaveBench bench;
    const fs::path path = bench.out / kind.fileName;

    // One save with the step failing; true when the save claimed success.
    bool saveFailing(int generation) {
        FailingStep fault{step};
        ScopedWriteFaults installed{fault};
        const bool saved = kind.save(bench, path, generation);
        EXPECT_TRUE(fault.fired()) << "the save never reached the " << writeStepName(step);
        return saved;
    }
};

TEST_P(SaveUnderFaults, FailsWholeAndTheNextSaveSucceeds) {
    EXPECT_FALSE(saveFailing(1)) << "a failed first save reported success";
    EXPECT_TRUE(entriesOf(bench.out).empty()) << "a failed first save leaves no file at all";

    ASSERT_TRUE(kind.save(bench, path, 1));
    const std::string old = readBytes(path);
    ASSERT_FALSE(old.empty());

    EXPECT_FALSE(saveFailing(2)) << "a failed save reported success";
    EXPECT_TRUE(readBytes(path) == old) << "the old file changed";
    EXPECT_EQ(entriesOf(bench.out), std::vector<std::string>{kind.fileName})
        << "a temporary file was left behind";

    ASSERT_TRUE(kind.save(bench, path, 2)) << "the save after the fault failed";
    EXPECT_TRUE(readBytes(path) != old);
    EXPECT_EQ(entriesOf(bench.out), std::vector<std::string>{kind.fileName});
    kind.expectLoadsBack(bench, path, 2);
}

std::string caseName(const ::testing::TestParamInfo<SaveUnderFaults::ParamType>& info) {
    return savedKinds()[std::get<0>(info.param)].name + "_" +
           writeStepName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(EveryFileEveryStep, SaveUnderFaults,
                         ::testing::Combine(::testing::Range<std::size_t>(0, savedKinds().size()),
                                            ::testing::ValuesIn(kWriteSteps)),
                         caseName);

// The sound recording streams: a write may fail on any frame, or on the
// header completed at the end; a run stopped before the end (here by a game
// ROM that is not there) never finishes it. None of them touches the old file.
TEST(SoundRecordingUnderFaults, LaterWritesAndUnfinishedRunsLeaveTheOldFile) {
    SaveBench bench;
    const fs::path path = bench.out / "sound.wav";
    ASSERT_EQ(runHeadlessWav(bench, path, 6), 0);
    const std::string old = readBytes(path);

    FailingStep counting{WriteStep::create, 2};  // a second create never comes: counts only
    {
        ScopedWriteFaults installed{counting};
        ASSERT_EQ(runHeadlessWav(bench, path, 6), 0);
    }
    const int writes = counting.taken(WriteStep::write);
    EXPECT_EQ(writes, 1 + 6 + 3 + 1) << "header, frames, frames in the rings, header sizes";

    for (const int failing : {2, writes / 2, writes - 1, writes}) {
        FailingStep fault{WriteStep::write, failing};
        ScopedWriteFaults installed{fault};
        EXPECT_NE(runHeadlessWav(bench, path, 6), 0) << "write " << failing;
        EXPECT_TRUE(fault.fired());
        EXPECT_TRUE(readBytes(path) == old) << "write " << failing;
        EXPECT_EQ(entriesOf(bench.out).size(), 1u) << "write " << failing;
    }

    EXPECT_NE(runHeadlessWav(bench, path, 6, (bench.folder / "missing.rom").string()), 0);
    EXPECT_TRUE(readBytes(path) == old);
    EXPECT_EQ(entriesOf(bench.out).size(), 1u);
}

}  // namespace
}  // namespace vantorel
