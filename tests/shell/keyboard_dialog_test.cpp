// The Configure Keyboard dialog as a user drives it, control by control
// (found by their object names), and sensible mode from Qt key events to
// the row reads.
#include "shell/keyboard_dialog.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "input/keyboard_assignment.h"
#include "shell/key_capture_box.h"
#include "shell/menu_table.h"
#include "shell_harness.h"

namespace vantorel::testing {
namespace {

// Clicks a radio button on its circle (a click right of its text misses it).
void clickRadio(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

struct HeldKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// A dialog on a record, shown, with its controls at hand.
struct OpenDialog {
    HostKeyboard keyboard;
    KeyboardDialog dialog;

    explicit OpenDialog(const MachineConfig& config = {}) : dialog(config, keyboard) {
        dialog.show();
    }

    template <typename Widget>
    Widget* control(int id) {
        auto* widget = dialog.findChild<Widget*>(QStringLiteral("id%1").arg(id));
        EXPECT_NE(widget, nullptr) << "id" << id;
        return widget;
    }
    QListWidget* emulatedKeys() { return control<QListWidget>(1221); }
    QListWidget* assignedKeys() { return control<QListWidget>(1222); }
    KeyCaptureBox* captureBox() { return control<KeyCaptureBox>(1223); }
    const MachineConfig& working() const { return dialog.workingCopy(); }

    void chooseBoard(int id) { clickRadio(control<QRadioButton>(id)); }
    void selectEmulatedKey(int row) { emulatedKeys()->setCurrentRow(row); }
    // Holds `keys` down in the dialog, clicks the capture box, lets go.
    void capture(std::initializer_list<HeldKey> keys) {
        for (const HeldKey& held : keys) QTest::keyPress(captureBox(), held.key, held.modifiers);
        QTest::mouseClick(captureBox(), Qt::LeftButton);
        for (const HeldKey& held : keys) QTest::keyRelease(captureBox(), held.key, held.modifiers);
    }
    QStringList assignedLines() {
        QStringList lines;
        for (int row = 0; row < assignedKeys()->count(); ++row) {
            lines << assignedKeys()->item(row)->text();
        }
        return lines;
    }
    void doubleClick(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        // A double click is a click, then the double-click event.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST(KeyboardDialog, OpensOnTheRecordWithTheNormalBoardListed) {
    MachineConfig config;
    config.emulatedflag = false;
    OpenDialog open(config);
    EXPECT_EQ(open.dialog.windowTitle(), QStringLiteral("Configure Keyboard"));
    EXPECT_TRUE(open.control<QRadioButton>(1215)->isChecked());
    EXPECT_FALSE(open.control<QRadioButton>(1214)->isChecked());
    EXPECT_TRUE(open.control<QRadioButton>(1214)->text().startsWith(QStringLiteral("Emulated")));
    EXPECT_TRUE(open.control<QRadioButton>(1216)->isChecked());
    EXPECT_EQ(open.control<QRadioButton>(1215)->text(), QStringLiteral("Sensible"));
    ASSERT_EQ(open.emulatedKeys()->count(), 48);
    EXPECT_EQ(open.emulatedKeys()->item(0)->text(), QStringLiteral("a"));
    EXPECT_EQ(open.emulatedKeys()->item(47)->text(), QStringLiteral("_"));
    EXPECT_EQ(open.emulatedKeys()->currentRow(), -1);
    open.chooseBoard(1220);
    EXPECT_EQ(open.dialog.currentBoard(), kBoardCtrl);
    EXPECT_EQ(open.emulatedKeys()->item(0)->text(), QStringLiteral("Ctrl A"));
    EXPECT_FALSE(open.control<QRadioButton>(1216)->isChecked());
}

// The modes, the boards, the lists and the capture box say how they work.
TEST(KeyboardDialog, ControlsExplainTheModesAndHowToAssign) {
    OpenDialog open;
    for (int id : {1214, 1215, 1216, 1219, 1220, 1221, 1222, 1223}) {
        EXPECT_FALSE(open.control<QWidget>(id)->toolTip().isEmpty()) << "id" << id;
    }
    EXPECT_TRUE(open.control<QWidget>(1214)->toolTip().contains(QStringLiteral("Keyboard Map")));
    EXPECT_TRUE(open.control<QWidget>(1223)->toolTip().contains(QStringLiteral("click")));
}

TEST(KeyboardDialog, ShiftAOnTheShiftBoardGoesToTheShiftTableEvenWithCtrl) {
    OpenDialog open;
    open.chooseBoard(1219);
    open.selectEmulatedKey(2);
    EXPECT_EQ(open.captureBox()->text(),
              QStringLiteral("Double click a Sorcerer key in the list to edit it"));
    open.capture({{Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_A, Qt::ShiftModifier}});
    EXPECT_EQ(open.working().shiftKeys[0x41], 0x42);
    EXPECT_EQ(open.captureBox()->text(), QStringLiteral("Shift a"));
    EXPECT_EQ(open.assignedLines(), QStringList{QStringLiteral("Shift a")});

    open.selectEmulatedKey(3);
    open.capture({{Qt::Key_Control, Qt::ControlModifier},
                  {Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier},
                  {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier}});
    EXPECT_EQ(open.working().shiftKeys[0x41], 0x43);  // replaced, in the shift table
    EXPECT_EQ(open.working().ctrlKeys[0x41], kUnassignedKey);
    open.selectEmulatedKey(2);
    EXPECT_TRUE(open.assignedLines().isEmpty());  // the new capture took it over
}

TEST(KeyboardDialog, TheHighestKeyWinsAndShiftAloneCapturesNothing) {
    OpenDialog open;
    open.dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&open.dialog));
    open.selectEmulatedKey(0);
    open.capture({{Qt::Key_A}, {Qt::Key_1, Qt::KeypadModifier}});
    EXPECT_EQ(open.working().normalKeys[0x61], 0x00);
    EXPECT_EQ(open.working().normalKeys[0x41], kUnassignedKey);
    EXPECT_EQ(open.captureBox()->text(), QStringLiteral("Num 1"));

    const MachineConfig before = open.working();
    open.capture({{Qt::Key_Shift, Qt::ShiftModifier}});
    EXPECT_EQ(open.working(), before);
    EXPECT_EQ(open.captureBox()->text(), QStringLiteral("Num 1"));
    EXPECT_TRUE(open.captureBox()->hasFocus());  // a click gives the box the focus
}

TEST(KeyboardDialog, SwitchingTheBoardKeepsTheHostKeyListUntilAKeyIsChosen) {
    OpenDialog open;
    open.selectEmulatedKey(4);
    open.capture({{Qt::Key_F2}});
    ASSERT_EQ(open.assignedLines(), QStringList{QStringLiteral("F2")});
    open.chooseBoard(1219);
    EXPECT_EQ(open.assignedLines(), QStringList{QStringLiteral("F2")});
    EXPECT_EQ(open.emulatedKeys()->currentRow(), -1);
    open.capture({{Qt::Key_F3}});  // no Sorcerer key chosen: shown, not stored
    EXPECT_EQ(open.captureBox()->text(), QStringLiteral("F3"));
    EXPECT_EQ(open.working().normalKeys[0x72], kUnassignedKey);
    open.doubleClick(open.assignedKeys(), 0);  // no Sorcerer key chosen: nothing deleted
    EXPECT_EQ(open.working().normalKeys[0x71], 0x04);
    open.selectEmulatedKey(4);
    EXPECT_TRUE(open.assignedLines().isEmpty());
}

TEST(KeyboardDialog, DoubleClicksReadyTheCaptureBoxAndDeleteAnAssignment) {
    OpenDialog open;
    open.dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&open.dialog));
    open.selectEmulatedKey(1);
    open.capture({{Qt::Key_F5}});
    open.capture({{Qt::Key_Control, Qt::ControlModifier}, {Qt::Key_B, Qt::ControlModifier}});
    ASSERT_EQ(open.assignedLines(), (QStringList{QStringLiteral("Ctrl b"), QStringLiteral("F5")}));
    open.doubleClick(open.emulatedKeys(), 1);
    EXPECT_EQ(open.captureBox()->text(),
              QStringLiteral("Hold down key combination and click HERE"));
    EXPECT_TRUE(open.captureBox()->hasFocus());
    open.doubleClick(open.assignedKeys(), 0);
    EXPECT_EQ(open.working().ctrlKeys[0x42], kUnassignedKey);
    EXPECT_EQ(open.assignedLines(), QStringList{QStringLiteral("F5")});
}

TEST(KeyboardDialog, TheCaptureBoxSwallowsTabEnterAndEsc) {
    OpenDialog open;
    open.dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&open.dialog));
    open.captureBox()->setFocus();
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
        QTest::keyClick(open.captureBox(), key);
        EXPECT_TRUE(open.dialog.isVisible()) << key;
        EXPECT_TRUE(open.captureBox()->hasFocus()) << key;
    }
    QTest::keyClick(open.captureBox(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(open.captureBox()->hasFocus());
    EXPECT_EQ(open.dialog.result(), 0);
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the Keyboard... command; `drive` works the open dialog, then the
// button `buttonId` (1 OK, 2 Cancel) is clicked.
void runKeyboardCommand(ShellHarness& shell, const std::function<void(KeyboardDialog&)>& drive,
                        int buttonId) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<KeyboardDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        drive(*dialog);
        auto* button = dialog->findChild<QPushButton*>(QStringLiteral("id%1").arg(buttonId));
        ASSERT_NE(button, nullptr);
        ran = true;
        QTest::mouseClick(button, Qt::LeftButton);
    });
    QAction* action = shell.window->action(kCommandKeyboard);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_TRUE(ran);
}

// Sensible, and Shift+A for the SHIFT board's third key.
void chooseSensibleAndAssignShiftA(KeyboardDialog& dialog) {
    clickRadio(dialog.findChild<QRadioButton*>("id1215"));
    clickRadio(dialog.findChild<QRadioButton*>("id1219"));
    dialog.findChild<QListWidget*>("id1221")->setCurrentRow(2);
    auto* box = dialog.findChild<KeyCaptureBox*>("id1223");
    QTest::keyPress(box, Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyPress(box, Qt::Key_A, Qt::ShiftModifier);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyRelease(box, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyRelease(box, Qt::Key_Shift);
}

TEST(KeyboardCommand, CancelAfterEditsChangesNeitherTheRecordNorTheFile) {
    ShellHarness shell;
    const MachineConfig before = shell.machine->config();
    runKeyboardCommand(shell, chooseSensibleAndAssignShiftA, 2);
    EXPECT_EQ(shell.machine->config(), before);
    EXPECT_FALSE(std::filesystem::exists(shell.settingsPath));
}

TEST(KeyboardCommand, OkTakesTheCopyAndWritesTheKeyboardSectionOnly) {
    ShellHarness shell;
    runKeyboardCommand(shell, chooseSensibleAndAssignShiftA, 1);
    EXPECT_FALSE(shell.machine->config().emulatedflag);
    EXPECT_EQ(shell.machine->config().shiftKeys[0x41], 0x42);
    const std::string text = fileText(shell.settingsPath);
    EXPECT_EQ(text.rfind("[KEYBOARD]\nemulatedflag=0\nn00=255\n", 0), 0u) << text;
    EXPECT_NE(text.find("\ns41=66\n"), std::string::npos);
    EXPECT_NE(text.find("\ncff=255"), std::string::npos);
    EXPECT_EQ(text.find("[MEMORY]"), std::string::npos);
    EXPECT_FALSE(shell.keyboard.isDown(0x10));  // nothing held over from the dialog
}

// Sensible mode from Qt key events on the window: Shift+2 is @, on the
// Sorcerer's own @ key (row 10, column 1) without SHIFT; Shift+A, assigned
// in the dialog, is SHIFT and the third Sorcerer key (c: row 3, column 0).
TEST(KeyboardCommand, SensibleKeysFromTheWindowReachTheRowReads) {
    ShellHarness shell;
    runKeyboardCommand(shell, chooseSensibleAndAssignShiftA, 1);
    const KeyboardMatrix& matrix = shell.machine->keyboard();
    QTest::keyPress(shell.window.get(), Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyPress(shell.window.get(), Qt::Key_At, Qt::ShiftModifier);
    shell.runFrame();
    EXPECT_EQ(matrix.readKeyboardRow(10), 0xFD);
    EXPECT_EQ(matrix.readKeyboardRow(0), 0xFF);
    EXPECT_EQ(matrix.readKeyboardRow(3), 0xFF);
    QTest::keyRelease(shell.window.get(), Qt::Key_At, Qt::ShiftModifier);
    QTest::keyPress(shell.window.get(), Qt::Key_A, Qt::ShiftModifier);
    // @ is held for a second scan; the release of @ also let go of Shift
    // (QTest's modifier), so Shift is seen up for a scan before it and A go down.
    for (int frame = 0; frame < 3; ++frame) shell.runFrame();
    EXPECT_EQ(matrix.readKeyboardRow(10), 0xFF);
    EXPECT_EQ(matrix.readKeyboardRow(0), 0xEF);
    EXPECT_EQ(matrix.readKeyboardRow(3), 0xFE);
    EXPECT_EQ(matrix.readKeyboardRow(2), 0xFF);  // not the A key
}

}  // namespace
}  // namespace vantorel::testing
