// The main window's menu bar as data: popups, item texts, command ids.
//
// Each item's id is the command its QAction carries (QAction::data and the
// object name "id<number>"); id 0 stands for a separator. Items whose work
// is not built yet are listed with enabled false and shown greyed; a
// checkable item shows a tick while its state is on. "Recent Files" is a
// submenu whose entries (ids kCommandRecentFirst on) the window fills in.
// Read by the main window when it builds its menus.
#pragma once

#include <array>
#include <span>

namespace vantorel {

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
    kCommandRecentFiles = 32793,  // the submenu itself
    kCommandManual = 32850,       // Help > Vantorel Manual: the installed HTML manual
    kCommandRecentFirst = 32900,  // its entries, 32900-32907, newest first
    kCommandRecentLast = 32907,
};

inline constexpr int kSeparator = 0;

struct MenuItem {
    const char* text;        // exactly as shown, '&' marking the mnemonic
    int id;                  // MenuCommand, or kSeparator
    bool enabled;            // false: shown greyed, not built yet
    bool checkable = false;  // shows a tick that the command switches
};

struct MenuPopup {
    const char* title;
    std::span<const MenuItem> items;
};

inline constexpr MenuItem kFileMenu[] = {
    {"E&xit", kCommandExit, true},
    {"Save Ram", kCommandSaveRam, true},
    {"Save Screenshot...", kCommandSaveScreenshot, true},
    {"Soft Reset", kCommandSoftReset, true},  // F4
    {"Hard Reset", kCommandHardReset, true},
    {"", kSeparator, true},
    {"Quick Type...", kCommandQuickType, true},
    {"Play Cassette File...", kCommandPlayCassette, true},
    {"Stop Cassette", kCommandStopCassette, true},
    {"Record Cassette File...", kCommandRecordCassette, true},
    {"", kSeparator, true},
    {"Load Game ROM...", kCommandLoadGameRom, true},
    {"Remove Game ROM", kCommandRemoveGameRom, true},
    {"", kSeparator, true},
    {"Recent Files", kCommandRecentFiles, true},
};

inline constexpr MenuItem kEditMenu[] = {
    {"Paste", kCommandPaste, true},  // Shift+Insert
};

inline constexpr MenuItem kConfigureMenu[] = {
    {"Memory...", kCommandMemory, true},
    {"Printer...", kCommandPrinter, true},
    {"Keyboard...", kCommandKeyboard, true},
    {"Video and Colors...", kCommandVideo, true},
    {"Sound...", kCommandSound, true},
    {"System Timing...", kCommandSystemTiming, true},
    {"", kSeparator, true},
    {"Keys as Joystick", kCommandKeysAsJoystick, true, true},
};

inline constexpr MenuItem kUtilMenu[] = {
    {"Load .SNP...", kCommandLoadSnapshot, true},
    {"Save .SNP...", kCommandSaveSnapshot, true},
    {"", kSeparator, true},
    {"Pause", kCommandPause, true, true},            // Pause
    {"Fullscreen", kCommandFullscreen, true, true},  // Alt+Enter
};

inline constexpr MenuItem kHelpMenu[] = {
    {"Vantorel &Manual", kCommandManual, true},
    {"&About ...", kCommandAbout, true},
};

inline constexpr std::array<MenuPopup, 5> kMenuBar = {{
    {"&File", kFileMenu},
    {"&Edit", kEditMenu},
    {"&Configure", kConfigureMenu},
    {"Util", kUtilMenu},
    {"&Help", kHelpMenu},
}};

}  // namespace vantorel
