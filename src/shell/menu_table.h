// The main window's menu bar as data: popups, item texts, command ids.
//
// Each item's id is the command its QAction carries (QAction::data and the
// object name "id<number>"); id 0 stands for a separator. Items whose work
// is not built yet are listed with enabled false and shown greyed.
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
    kCommandKeysAsJoystick = 32787,
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
    {"Soft Reset", kCommandSoftReset, true},  // F4
    {"Hard Reset", kCommandHardReset, true},
    {"", kSeparator, true},
    {"Quick Type...", kCommandQuickType, true},
    {"Play Cassette File...", kCommandPlayCassette, false},
    {"", kSeparator, true},
    {"Load Game ROM...", kCommandLoadGameRom, true},
    {"Remove Game ROM", kCommandRemoveGameRom, true},
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
};

inline constexpr MenuItem kHelpMenu[] = {
    {"&About ...", kCommandAbout, true},
};

inline constexpr std::array<MenuPopup, 4> kMenuBar = {{
    {"&File", kFileMenu},
    {"&Configure", kConfigureMenu},
    {"Util", kUtilMenu},
    {"&Help", kHelpMenu},
}};

}  // namespace vantorel
