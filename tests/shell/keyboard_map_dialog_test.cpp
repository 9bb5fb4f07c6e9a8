// Help > Keyboard Map as the user opens it, in each keyboard mode: the caps
// name the host keys of that mode (and the assignments in sensible mode),
// the mode is named above the keyboard, and "Show the GRAPHIC codes" draws
// the codes and shapes in place of the host keys.
#include "shell/keyboard_map_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "input/emulated_key_names.h"
#include "input/keyboard_assignment.h"
#include "settings_dialog_support.h"

namespace vantorel::testing {
namespace {

struct SeenMap {
    QString mode;
    QString atKey;         // the @ key
    QString escKey;        // RUN/STOP
    bool redrawn = false;  // ticking GRAPHIC changed the picture
};

SeenMap openKeyboardMap(ShellHarness& shell) {
    SeenMap seen;
    bool opened = false;
    whenDialogOpens(
        [&](QDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("keyboardMapDialog"));
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Keyboard Map"));
            auto* view = dialog.findChild<KeyboardMapView*>(QStringLiteral("keyboardMapView"));
            auto* mode = dialog.findChild<QLabel*>(QStringLiteral("keyboardMapMode"));
            auto* graphic = dialog.findChild<QCheckBox*>(QStringLiteral("keyboardMapGraphic"));
            auto* close = dialog.findChild<QPushButton*>(QStringLiteral("keyboardMapClose"));
            ASSERT_TRUE(view && mode && graphic && close);
            seen.mode = mode->text();
            seen.atKey = view->hostText(51);
            seen.escKey = view->hostText(9);
            const QImage hostKeys = view->grab().toImage();
            graphic->click();
            EXPECT_TRUE(view->showGraphic());
            seen.redrawn = view->grab().toImage() != hostKeys;
            close->click();
            EXPECT_FALSE(dialog.isVisible());
        },
        opened);
    shell.window->runCommand(kCommandKeyboardMap);
    EXPECT_TRUE(opened);
    return seen;
}

TEST(KeyboardMapDialog, ShowsTheHostKeysOfEachModeAndTheGraphicCodes) {
    ShellHarness shell;
    MachineConfig& config = shell.machine->config();
    config.emulatedflag = true;
    const SeenMap emulated = openKeyboardMap(shell);
    EXPECT_TRUE(emulated.mode.startsWith(QStringLiteral("Emulated keyboard")))
        << emulated.mode.toStdString();
    EXPECT_EQ(emulated.atKey, QStringLiteral("'"));
    EXPECT_EQ(emulated.escKey, QStringLiteral("Esc"));
    EXPECT_TRUE(emulated.redrawn);

    config.emulatedflag = false;
    int at = 0;
    while (kEmulatedKeyNameTable[static_cast<std::size_t>(at)].position != 51) ++at;
    assignCombination(config, {HostModifier::ctrl, 0x74}, kBoardNormal, at);
    const SeenMap sensible = openKeyboardMap(shell);
    EXPECT_TRUE(sensible.mode.startsWith(QStringLiteral("Sensible keyboard")));
    EXPECT_EQ(sensible.atKey, QStringLiteral("Ctrl F5\n@ `"));
    EXPECT_EQ(sensible.escKey, QStringLiteral("Esc"));
    EXPECT_TRUE(sensible.redrawn);
}

// The shapes are the machine's own: a graphic redefined in character memory
// is drawn as it is now.
TEST(KeyboardMapDialog, GraphicShapesComeFromTheMachinesCharacterMemory) {
    ShellHarness shell;
    KeyboardMapDialog dialog(*shell.machine, shell.keyboard);
    KeyboardMapView& view = dialog.view();
    view.setShowGraphic(true);
    const QImage before = view.grab().toImage();
    for (std::uint16_t at = 0xFC00; at < 0xFC08; ++at) shell.machine->memory().image[at] ^= 0xFF;
    EXPECT_NE(view.grab().toImage(), before) << "code 80 (the x key) drawn anew";
}

}  // namespace
}  // namespace vantorel::testing
