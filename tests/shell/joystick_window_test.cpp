// The joysticks as the main window drives them: SDL's devices started with
// the window, held while it is active, released at shutdown; and the
// Keys as Joystick command with its own section of the settings file.
#include <SDL.h>
#include <gtest/gtest.h>

#include <QAction>
#include <fstream>
#include <sstream>

#include "config/settings_file.h"
#include "shell/menu_table.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {
namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(JoystickWindow, DevicesFollowTheWindowFromCreationToShutdown) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 6, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    {
        ShellHarness shell;
        const SdlJoysticks& joysticks = shell.joysticks;
        EXPECT_TRUE(joysticks.started());
        EXPECT_EQ(shell.machine->host().joysticks, &joysticks);
        EXPECT_EQ(joysticks.deviceSlots().slot(0).deviceId, id);
        ASSERT_TRUE(shell.showActive());
        EXPECT_TRUE(joysticks.acquired());
        SDL_JoystickSetVirtualAxis(SDL_JoystickFromInstanceID(id), 0, -32768);
        shell.runFrame();
        EXPECT_EQ(shell.machine->readPort(0xFF), 0xFE) << "joystick 1 left";

        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        EXPECT_FALSE(joysticks.acquired()) << "an inactive window lets the devices go";
        shell.showActive();
        EXPECT_TRUE(joysticks.acquired());

        shell.window->close();
        EXPECT_FALSE(joysticks.started());
        EXPECT_EQ(shell.machine->host().joysticks, nullptr);
        EXPECT_EQ(SDL_JoystickFromInstanceID(id), nullptr) << "closed at shutdown";
    }
    SDL_JoystickDetachVirtual(device);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST(JoystickWindow, KeysAsJoystickSwitchesAndSavesOnlyItsOwnSection) {
    TempFolder folder;
    const std::filesystem::path settings = folder / "default.ini";
    const std::string others = "; mine\n[SOUND]\nclickervolpct=77\n";
    std::ofstream(settings, std::ios::binary) << others << "[JOYSTICK]\nkeysasjoystickflag=1\n";

    ShellHarness shell({1, 2}, ClockKind::fake, settings, SettingsUse::readAtStart);
    Machine& machine = *shell.machine;
    MainWindow& window = *shell.window;
    ASSERT_TRUE(machine.config().keysasjoystickflag);
    QAction* action = window.action(kCommandKeysAsJoystick);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isCheckable());
    EXPECT_TRUE(action->isChecked()) << "as loaded";

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyPress(&window, Qt::Key_Right);
    // The scan at the end of one frame sees the key; the next frame's polls read it.
    const std::int64_t framesBefore = shell.scheduler->framesRun();
    for (int pass = 0; pass < 10 && shell.scheduler->framesRun() < framesBefore + 2; ++pass) {
        shell.fakeClock.advanceMicroseconds(16667);
        window.driver().runPass();
    }
    EXPECT_EQ(machine.readPort(0xFF), 0xFD) << "the cursor key is joystick 1";
    QTest::keyRelease(&window, Qt::Key_Right);

    action->trigger();
    EXPECT_FALSE(action->isChecked());
    EXPECT_FALSE(machine.config().keysasjoystickflag);
    EXPECT_EQ(readText(settings), others + "[JOYSTICK]\nkeysasjoystickflag=0\n");
    window.runCommand(kCommandKeysAsJoystick);
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(readText(settings), others + "[JOYSTICK]\nkeysasjoystickflag=1\n");
}

}  // namespace
}  // namespace vantorel::testing
