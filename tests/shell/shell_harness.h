// A main window on a machine booted through boot() with the idle test ROMs,
// with a fake file chooser, a message sink that records what the user would
// see, SDL's audio device and joysticks (the dummy audio driver in the test
// command), and a settings file of its own in a fresh folder (not there
// until a dialog's OK; read at start only when asked). The clock is either
// a fake one the test moves (frames run only when the test says) or the
// real steady clock (frames run in real time).
#pragma once

#include <QApplication>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/boot.h"
#include "app/file_chooser.h"
#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "app/host_keyboard.h"
#include "app/steady_host_clock.h"
#include "host/sdl_audio_device.h"
#include "host/sdl_joysticks.h"
#include "machine/machine.h"
#include "shell/display_widget.h"
#include "shell/idle_driver.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"
#include "support/test_roms.h"

namespace vantorel::testing {

class FakeFileChooser : public FileChooser {
  public:
    std::deque<std::optional<std::string>> answers;  // next answers; none left: cancel
    std::deque<std::size_t> filterAnswers;           // filter entries chosen; none left: 0
    std::vector<FileDialogRequest> requests;         // every dialog asked for
    std::vector<bool> requestsToWrite;               // for each request: a file to write

    std::optional<std::string> chooseExistingFile(const FileDialogRequest& request) override {
        requests.push_back(request);
        requestsToWrite.push_back(false);
        return nextAnswer();
    }
    std::optional<FileChoice> chooseExistingFileAndFilter(
        const FileDialogRequest& request) override {
        requests.push_back(request);
        requestsToWrite.push_back(false);
        return nextChoice();
    }
    std::optional<FileChoice> chooseFileToWrite(const FileDialogRequest& request) override {
        requests.push_back(request);
        requestsToWrite.push_back(true);
        return nextChoice();
    }

  private:
    std::optional<std::string> nextAnswer() {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

  public:
    std::deque<std::optional<std::string>> saveAnswers;  // for save dialogs; none left: cancel
    std::vector<FileDialogRequest> saveRequests;

    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        if (saveAnswers.empty()) return std::nullopt;
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

  private:
    std::optional<FileChoice> nextChoice() {
        std::size_t filter = 0;
        if (!filterAnswers.empty()) {
            filter = filterAnswers.front();
            filterAnswers.pop_front();
        }
        const std::optional<std::string> path = nextAnswer();
        if (!path) return std::nullopt;
        return FileChoice{*path, filter};
    }
};

class RecordingMessages : public MessageSink {
  public:
    QStringList warnings;
    void warn(const QString& text) override { warnings << text; }
};

enum class ClockKind { fake, steady };
// Whether the harness's settings file is read at start (as the program
// does) or only written by the dialogs.
enum class SettingsUse { writeOnly, readAtStart };

struct ShellHarness {
    FakeClock fakeClock;
    SteadyHostClock steadyClock;
    HostClock* clock;
    HostKeyboard keyboard;
    FakeFileChooser chooser;
    RecordingMessages messages;
    TestRoms roms = idleTestRoms();
    std::vector<std::filesystem::path> quickTypeFiles;            // files given to quick type
    TempFolder folder;                                            // holds the settings file
    std::filesystem::path settingsPath = folder / "default.ini";  // written by the dialogs
    SdlAudioDevice audio;
    SdlJoysticks joysticks;
    std::unique_ptr<Machine> machine;
    std::unique_ptr<FrameScheduler> scheduler;
    std::unique_ptr<HostDevices> devices;
    std::unique_ptr<MainWindow> window;

    // The dialogs and the recent-file list use a settings file of the
    // harness's own, or the one given (to keep a list from one window to
    // the next).
    explicit ShellHarness(DisplayScale scale = {1, 2}, ClockKind kind = ClockKind::fake,
                          std::filesystem::path givenSettingsPath = {},
                          SettingsUse use = SettingsUse::writeOnly)
        : clock(kind == ClockKind::fake ? static_cast<HostClock*>(&fakeClock) : &steadyClock) {
        if (!givenSettingsPath.empty()) settingsPath = std::move(givenSettingsPath);
        machine = std::make_unique<Machine>(MachineHost{clock, &keyboard, nullptr, nullptr});
        scheduler = std::make_unique<FrameScheduler>(*machine, clock);
        devices = std::make_unique<HostDevices>(*machine, scheduler.get(), &audio, &joysticks);
        machine->config().windowscalingX = scale.x;
        machine->config().windowscalingY = scale.y;
        const SettingsFiles files{use == SettingsUse::readAtStart ? settingsPath : "",
                                  folder.path(), roms.images()};
        boot({*machine, scheduler.get(), devices.get()}, files, [&] {
            MainWindowParts parts{*machine,
                                  *scheduler,
                                  *devices,
                                  keyboard,
                                  chooser,
                                  messages,
                                  [this](const std::filesystem::path& path) {
                                      quickTypeFiles.push_back(path);
                                      return QuickTypeResult::ok;
                                  },
                                  settingsPath};
            window = std::make_unique<MainWindow>(parts, scale);
        });
    }

    // Shows the window, sized to its client area, and waits until it is active.
    bool showActive() {
        window->show();
        window->fitClientArea();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    // Moves the fake clock on by a frame and runs one idle pass. With sound
    // running a frame lasts one frame of audio (16,689 us at 60 frames per
    // second) give or take the 0.5% that keeps it in step with the device.
    bool runFrame() {
        fakeClock.advanceMicroseconds(17000);
        return window->driver().runPass();
    }
};

}  // namespace vantorel::testing
