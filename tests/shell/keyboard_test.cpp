// Host keys into the machine: Qt events to virtual keys, the 256 key
// states, the once-per-frame scan, Caps Lock and focus loss.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "shell/qt_key_mapping.h"
#include "shell_harness.h"

namespace vantorel::testing {
namespace {

constexpr int kRowLetters = 2;  // x z a q 1
constexpr int kRowModifiers = 0;

TEST(KeyMapping, ScanCodesFollowTheUsPhysicalLayout) {
    EXPECT_EQ(virtualKeyForScanCode(38), 0x41);  // evdev 30: A
    EXPECT_EQ(virtualKeyForScanCode(10), 0x31);  // evdev 2: 1
    EXPECT_EQ(virtualKeyForScanCode(19), 0x30);  // evdev 11: 0
    EXPECT_EQ(virtualKeyForScanCode(47), 0xBA);  // evdev 39: ; whatever the layout prints
    EXPECT_EQ(virtualKeyForScanCode(49), 0xC0);  // evdev 41: `
    EXPECT_EQ(virtualKeyForScanCode(50), 0xA0);  // left Shift
    EXPECT_EQ(virtualKeyForScanCode(62), 0xA1);  // right Shift
    EXPECT_EQ(virtualKeyForScanCode(66), 0x14);  // Caps Lock
    EXPECT_EQ(virtualKeyForScanCode(96), 0x7B);  // F12
    EXPECT_EQ(virtualKeyForScanCode(90), 0x60);  // keypad 0
    EXPECT_EQ(virtualKeyForScanCode(19 + 0), 0x30);
    EXPECT_EQ(virtualKeyForScanCode(36), 0x0D);   // Enter
    EXPECT_EQ(virtualKeyForScanCode(104), 0x0D);  // keypad Enter
    EXPECT_EQ(virtualKeyForScanCode(0), std::nullopt);
    EXPECT_EQ(virtualKeyForScanCode(8 + 84), std::nullopt);  // no such key
    EXPECT_EQ(virtualKeyForScanCode(100000), std::nullopt);
}

TEST(KeyMapping, QtKeysWithoutScanCodesKeepTheKeypadApart) {
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_A, Qt::NoModifier), 0x41);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Exclam, Qt::ShiftModifier), 0x31);  // the 1 key
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Colon, Qt::ShiftModifier), 0xBA);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_7, Qt::NoModifier), 0x37);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_7, Qt::KeypadModifier), 0x67);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Home, Qt::KeypadModifier), 0x67);  // Num Lock off
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Home, Qt::NoModifier), 0x24);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Plus, Qt::KeypadModifier), 0x6B);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Minus, Qt::NoModifier), 0xBD);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Enter, Qt::KeypadModifier), 0x0D);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_F1, Qt::NoModifier), 0x70);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_F12, Qt::NoModifier), 0x7B);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_Shift, Qt::ShiftModifier), 0xA0);
    EXPECT_EQ(virtualKeyForQtKey(Qt::Key_unknown, Qt::NoModifier), std::nullopt);
}

TEST(HostKeyboard, SidesOfAModifierMakeItsGenericKeyAndCapsLockKeepsItsToggle) {
    HostKeyboard keyboard;
    keyboard.keyDown(0xA0);
    keyboard.keyDown(0xA1);
    EXPECT_TRUE(keyboard.isDown(0x10));
    keyboard.keyUp(0xA0);
    EXPECT_TRUE(keyboard.isDown(0x10));  // right Shift still held
    keyboard.keyUp(0xA1);
    EXPECT_FALSE(keyboard.isDown(0x10));
    keyboard.flipCapsLockToggle();
    keyboard.keyDown(0x41);
    keyboard.releaseAll();
    EXPECT_FALSE(keyboard.isDown(0x41));
    EXPECT_TRUE(keyboard.capsLockToggle());
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    keyboard.copyKeyStates(states);
    EXPECT_EQ(states[0x14], kKeyToggleBit);
    EXPECT_EQ(keyboard.keyForCharacter('a'), 0x41);
}

TEST(ShellKeyboard, APressReachesTheMatrixOnlyAfterTheNextFramesScan) {
    ShellHarness shell;
    shell.runFrame();
    QTest::keyPress(shell.window.get(), Qt::Key_A);
    EXPECT_TRUE(shell.keyboard.isDown(0x41));
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
    shell.runFrame();  // the scan at the end of this frame sees the key
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    QTest::keyRelease(shell.window.get(), Qt::Key_A);
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    shell.runFrame();  // a press is seen in two scans at least
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
}

TEST(ShellKeyboard, ShiftAndAutoRepeatAndCapsLock) {
    ShellHarness shell;
    QTest::keyPress(shell.window.get(), Qt::Key_Shift);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(shell.window.get(), &repeatRelease);  // auto-repeat: still held
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xEF);
    QTest::keyRelease(shell.window.get(), Qt::Key_Shift);
    QTest::keyClick(shell.window.get(), Qt::Key_CapsLock);  // toggled on, released
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xE7);  // Shift's 2nd scan
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xF7);
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xF7);
    QTest::keyClick(shell.window.get(), Qt::Key_CapsLock);  // off again
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowModifiers), 0xFF);
}

TEST(ShellKeyboard, TabReachesTheMachineInsteadOfMovingTheFocus) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QTest::keyPress(&shell.window->display(), Qt::Key_Tab);
    EXPECT_TRUE(shell.keyboard.isDown(0x09));
    EXPECT_TRUE(shell.window->display().hasFocus());
}

TEST(ShellKeyboard, LosingTheFocusReleasesEveryKey) {
    ShellHarness shell;
    ASSERT_TRUE(shell.showActive());
    QTest::keyPress(&shell.window->display(), Qt::Key_A);
    shell.runFrame();
    ASSERT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFB);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(shell.keyboard.isDown(0x41));
    shell.runFrame();
    EXPECT_EQ(shell.machine->keyboard().readKeyboardRow(kRowLetters), 0xFF);
}

}  // namespace
}  // namespace vantorel::testing
