// The main window's menu bar: each command's text, id, shortcuts and
// handler on one line. The handlers are written inside MainWindow's own
// functions, so they reach its commands.
#include "shell/menu_table.h"

#include <QWidget>

#include "machine/machine.h"
#include "shell/main_window.h"

namespace vantorel {

// One row a command, as wide as it takes.
// clang-format off
std::span<const MenuPopup> MainWindow::menuBarTable() {
    using W = MainWindow;
    static constexpr MenuItem kFileMenu[] = {
        {"E&xit", kCommandExit, [](W& w) { w.close(); }},
        {"Save Ram", kCommandSaveRam, [](W& w) { w.saveRamCommand(); }},
        {"Save Screenshot...", kCommandSaveScreenshot, [](W& w) { w.saveScreenshot(); }},
        {"Quick Screenshot", kCommandQuickScreenshot, [](W& w) { w.quickScreenshot(); }, {Qt::ALT | Qt::Key_S}},
        {"Soft Reset", kCommandSoftReset, [](W& w) { w.parts_.machine.softReset(); }, {Qt::Key_F4}},
        {"Hard Reset", kCommandHardReset, [](W& w) { w.parts_.machine.hardReset(); }},
        {"", kSeparator, nullptr},
        {"Quick Type...", kCommandQuickType, [](W& w) { w.warnIf(w.fileCommands_.quickType()); }},
        {"Play Cassette File...", kCommandPlayCassette, [](W& w) { w.playCassetteFile(); }},
        {"Stop Cassette", kCommandStopCassette, [](W& w) { w.stopCassette(); }},
        {"Record Cassette File...", kCommandRecordCassette, [](W& w) { w.recordCassetteFile(); }},
        {"Record Sound...", kCommandRecordSound, [](W& w) { w.recordSound(); }},
        {"", kSeparator, nullptr},
        {"Load Game ROM...", kCommandLoadGameRom, [](W& w) { w.loadGameRomCommand(); }},
        {"Remove Game ROM", kCommandRemoveGameRom, [](W& w) { w.fileCommands_.removeGameRom(); }},
        {"Open Printer Output", kCommandOpenPrinterOutput, [](W& w) { w.openPrinterOutput(); }},
        {"", kSeparator, nullptr},
        {"Recent Files", kCommandRecentFiles, nullptr},  // the submenu
    };
    static constexpr MenuItem kEditMenu[] = {
        {"Paste", kCommandPaste, [](W& w) { w.pasteClipboard(); }, {Qt::SHIFT | Qt::Key_Insert}},
    };
    static constexpr MenuItem kConfigureMenu[] = {
        {"Memory...", kCommandMemory, [](W& w) { w.memoryCommand(); }},
        {"Printer...", kCommandPrinter, [](W& w) { w.printerCommand(); }},
        {"Keyboard...", kCommandKeyboard, [](W& w) { w.keyboardCommand(); }},
        {"Video and Colors...", kCommandVideo, [](W& w) { w.settingsCommands_.video(); }},
        {"Sound...", kCommandSound, [](W& w) { w.soundCommand(); }},
        {"System Timing...", kCommandSystemTiming, [](W& w) { w.timingCommand(); }},
        {"", kSeparator, nullptr},
        {"Keys as Joystick", kCommandKeysAsJoystick, [](W& w) { w.switchKeysAsJoystick(); }, {}, kCheckable},
        {"Keep Running in the Background", kCommandKeepRunning, [](W& w) { w.switchKeepRunning(); }, {}, kCheckable},
        {"Mute", kCommandMute, [](W& w) { w.switchMute(); }, {Qt::ALT | Qt::Key_M}, kCheckable},
    };
    static constexpr MenuItem kUtilMenu[] = {
        {"Load .SNP...", kCommandLoadSnapshot, [](W& w) { w.loadSnapshotCommand(); }},
        {"Save .SNP...", kCommandSaveSnapshot, [](W& w) { w.saveSnapshot(); }},
        {"", kSeparator, nullptr},
        {"Rewind 10 Seconds", kCommandRewindTenSeconds, [](W& w) { w.rewindTenSeconds(); }},
        {"", kSeparator, nullptr},
        {"Save State", kCommandSaveState, [](W& w) { w.saveState(); }, {Qt::Key_F2}},
        {"Load State", kCommandLoadState, [](W& w) { w.loadState(); }, {Qt::Key_F3}},
        {"Undo Load State", kCommandUndoLoadState, [](W& w) { w.undoLoadState(); }},
        {"Slot 1", kCommandStateSlotFirst + 0, [](W& w) { w.chooseStateSlot(1); }, {Qt::ALT | Qt::Key_1}, kCheckable},
        {"Slot 2", kCommandStateSlotFirst + 1, [](W& w) { w.chooseStateSlot(2); }, {Qt::ALT | Qt::Key_2}, kCheckable},
        {"Slot 3", kCommandStateSlotFirst + 2, [](W& w) { w.chooseStateSlot(3); }, {Qt::ALT | Qt::Key_3}, kCheckable},
        {"Slot 4", kCommandStateSlotFirst + 3, [](W& w) { w.chooseStateSlot(4); }, {Qt::ALT | Qt::Key_4}, kCheckable},
        {"Slot 5", kCommandStateSlotFirst + 4, [](W& w) { w.chooseStateSlot(5); }, {Qt::ALT | Qt::Key_5}, kCheckable},
        {"Slot 6", kCommandStateSlotFirst + 5, [](W& w) { w.chooseStateSlot(6); }, {Qt::ALT | Qt::Key_6}, kCheckable},
        {"Slot 7", kCommandStateSlotFirst + 6, [](W& w) { w.chooseStateSlot(7); }, {Qt::ALT | Qt::Key_7}, kCheckable},
        {"Slot 8", kCommandStateSlotFirst + 7, [](W& w) { w.chooseStateSlot(8); }, {Qt::ALT | Qt::Key_8}, kCheckable},
        {"", kSeparator, nullptr},
        {"Pause", kCommandPause, [](W& w) { w.setPaused(!w.paused()); }, {Qt::Key_Pause}, kCheckable},
        {"Fullscreen", kCommandFullscreen, [](W& w) { w.setFullscreen(!w.fullscreen()); },
            {Qt::ALT | Qt::Key_Return, Qt::ALT | Qt::Key_Enter}, kCheckable},
    };
    static constexpr MenuItem kDebugMenu[] = {
        {"Debugger...", kCommandDebugger, [](W& w) { w.openDebugger(); }, {Qt::ALT | Qt::Key_D}},
        {"Load Symbols...", kCommandLoadSymbols, [](W& w) { w.loadSymbols(); }},
        {"GDB Server...", kCommandGdbServer, [](W& w) { w.gdbServerCommand(); }},
    };
    static constexpr MenuItem kHelpMenu[] = {
        {"Vantorel &Manual", kCommandManual, [](W& w) { w.manualCommand(); }},
        {"&Keyboard Map", kCommandKeyboardMap, [](W& w) { w.keyboardMapCommand(); }},
        {"&About ...", kCommandAbout, [](W& w) { w.aboutCommand(); }},
    };
    static constexpr MenuPopup kMenuBar[] = {
        {"&File", kFileMenu},
        {"&Edit", kEditMenu},
        {"&Configure", kConfigureMenu},
        {"Util", kUtilMenu},
        {"Debug", kDebugMenu},
        {"&Help", kHelpMenu},
    };
    return kMenuBar;
}
// clang-format on

// Alt with "/" and Alt with "?" open the About box; not shown in the menu.
std::span<const HiddenShortcut> MainWindow::hiddenShortcuts() {
    static constexpr HiddenShortcut kHidden[] = {
        {Qt::ALT | Qt::Key_Slash, kCommandAbout},
        {Qt::ALT | Qt::Key_Question, kCommandAbout},
        {Qt::ALT | Qt::SHIFT | Qt::Key_Question, kCommandAbout},
    };
    return kHidden;
}

}  // namespace vantorel
