// The main window's menu bar as data: popups, and for each item its text,
// command id, shortcuts and handler, declared together on one line
// (menu_table.cpp).
//
// Each item's id is the command its QAction carries (QAction::data and the
// object name "id<number>"); id 0 stands for a separator. A checkable item
// shows a tick while its state is on. The shortcuts work while the window
// has the keyboard, the menu bar hidden too; the first is shown in the
// menu. "Recent Files" is a submenu (no handler) whose entries (ids
// kCommandRecentFirst on) the window fills in. Read by the main window when
// it builds its menus and when it runs a command.
#pragma once

#include <QKeyCombination>
#include <array>
#include <span>

namespace vantorel {

class MainWindow;

enum MenuCommand : int {
    kCommandAbout = 104,
    kCommandExit = 105,
    kCommandSaveRam = 32771,
    kCommandMemory = 32772,
    kCommandPrinter = 32773,
    kCommandKeyboard = 32774,
    kCommandVideo = 32775,
    kCommandSoftReset = 32776,
    kCommandHardReset = 32777,
    kCommandQuickType = 32778,
    kCommandPlayCassette = 32779,
    kCommandLoadGameRom = 32780,
    kCommandRemoveGameRom = 32781,
    kCommandSystemTiming = 32782,
    kCommandSound = 32783,
    kCommandLoadSnapshot = 32784,
    kCommandStopCassette = 32785,
    kCommandRecordCassette = 32786,
    kCommandKeysAsJoystick = 32787,
    kCommandSaveSnapshot = 32788,
    kCommandPaste = 32789,
    kCommandPause = 32790,
    kCommandFullscreen = 32791,
    kCommandSaveScreenshot = 32792,
    kCommandRecentFiles = 32793,        // the submenu itself
    kCommandManual = 32850,             // Help > Vantorel Manual: the installed HTML manual
    kCommandOpenPrinterOutput = 32851,  // File > Open Printer Output: the printer file in a viewer
    kCommandRewindTenSeconds = 32852,   // Util > Rewind 10 Seconds
    kCommandSaveState = 32853,          // Util > Save State (F2), into the current slot
    kCommandLoadState = 32854,          // Util > Load State (F3), from the current slot
    kCommandUndoLoadState = 32855,      // Util > Undo Load State
    kCommandStateSlotFirst = 32856,     // Util > Slot 1-8 (Alt+1..8): 32856-32863
    kCommandStateSlotLast = 32863,
    kCommandQuickScreenshot = 32864,  // File > Quick Screenshot (Alt+S): no dialog
    kCommandKeepRunning = 32865,      // Configure > Keep Running in the Background
    kCommandRecordSound = 32866,      // File > Record Sound... / Stop Sound Recording
    kCommandMute = 32867,             // Configure > Mute (Alt+M)
    kCommandKeyboardMap = 32868,      // Help > Keyboard Map
    kCommandDebugger = 32869,         // Debug > Debugger... (Alt+D)
    kCommandLoadSymbols = 32870,      // Debug > Load Symbols...
    kCommandGdbServer = 32871,        // Debug > GDB Server...
    kCommandRecentFirst = 32900,      // its entries, 32900-32907, newest first
    kCommandRecentLast = 32907,
};

inline constexpr int kSeparator = 0;
inline constexpr bool kCheckable = true;  // MenuItem::checkable

// A command's work, done between frames; null for a separator or a submenu.
using MenuHandler = void (*)(MainWindow& window);

struct MenuItem {
    const char* text;                               // exactly as shown, '&' marking the mnemonic
    int id;                                         // MenuCommand, or kSeparator
    MenuHandler handler;                            // what the command does
    std::array<QKeyCombination, 2> shortcuts = {};  // Qt::Key_unknown: none
    bool checkable = false;                         // shows a tick that the command switches
};

struct MenuPopup {
    const char* title;
    std::span<const MenuItem> items;
};

// Keys that run a command without being shown in the menu.
struct HiddenShortcut {
    QKeyCombination keys;
    int id;
};

}  // namespace vantorel
