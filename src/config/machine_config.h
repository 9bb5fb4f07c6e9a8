// The settings record.
//
// One plain, copyable record with every user setting; each field bears the
// name of its INI key. Loaded once at start-up from the settings file and
// written back section by section when a settings dialog is confirmed (see
// settings_file.h). Every subsystem of the emulator reads its fields directly;
// dialogs edit a copy and copy it back on OK. A new field needs its line in
// the settings table (settings_table.h); its test names every field.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

namespace vantorel {

struct RgbColour {
    std::uint8_t red = 0;    // 0-255
    std::uint8_t green = 0;  // 0-255
    std::uint8_t blue = 0;   // 0-255
    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

inline constexpr int kSettingsTextBytes = 260;  // each text field, with its terminator
using SettingsText = std::array<char, kSettingsTextBytes>;
using KeyAssignmentTable = std::array<std::uint8_t, 256>;  // by host virtual-key code; 255 = none

// A text field holding `text`, cut to 259 characters and NUL-terminated.
constexpr SettingsText makeSettingsText(const char* text) {
    SettingsText result{};
    for (int i = 0; i < kSettingsTextBytes - 1 && text[i] != '\0'; ++i) result[i] = text[i];
    return result;
}

struct MachineConfig {
    // "MEMORY"
    bool enhancedflag = false;       // "Enhanced" memory choice (stored only)
    std::int32_t ramexpanders = 2;   // 0 = 8K, 1 = 16K, 2 = 32K, 3 = almost 48K
    bool writeROMflag = false;       // "Make ROM writeable" (stored only)
    bool usebuiltinromflag = true;   // built-in monitor ROM rather than a file
    bool usebuiltincharflag = true;  // built-in character ROM rather than a file
    SettingsText ROMfilename = makeSettingsText("ROM/QUELT12.BIN");  // monitor ROM file
    SettingsText CHARfilename = makeSettingsText("ROM/CHARS.BIN");   // character ROM file
    // "PRINTER"
    bool autolinefeedflag = true;                            // line feed after carriage return
    bool fixedwidthflag = false;                             // fixed line width, else unlimited
    std::int32_t width = 132;                                // characters per printer line
    SettingsText filename = makeSettingsText("LPRINT.TXT");  // printer output file
    // "KEYBOARD"
    bool emulatedflag = true;  // emulated layout, else the assigned ("Sensible") keys
    KeyAssignmentTable normalKeys = filledKeyTable();  // keys n00-nff, without modifier
    KeyAssignmentTable shiftKeys = filledKeyTable();   // keys s00-sff, with Shift
    KeyAssignmentTable ctrlKeys = filledKeyTable();    // keys c00-cff, with Ctrl
    // "SPEED"
    std::int8_t cpuspeedopt = 0;           // 0 NTSC, 1 PAL, 2 Custom, 3 Fast
    std::int32_t ntscmultiplierpct = 100;  // 1-1000 %
    std::int32_t palmultiplierpct = 100;   // 1-1000 %
    std::uint32_t activescancust = 32097;  // T-states, 24-2106360
    std::uint32_t vblankcust = 3009;       // T-states, 24-2106360
    std::int32_t fpscust = 60;             // frames per second, 1-600
    bool usevideoupdatepsflag = false;     // limit screen updates to videoupdatesps
    std::int32_t videoupdatesps = 60;      // screen updates per second, 1-600
    bool speedupfilesflag = true;          // run flat out while reading files
    // "SOUND"
    bool clickerflag = true;          // speaker clicks audible
    bool ayflag = true;               // AY-3-8910 sound audible
    std::int32_t clickervolpct = 50;  // 0-100 %
    std::int32_t ayvolpct = 50;       // 0-100 %
    bool muteflag = false;            // the window's Mute: nothing reaches the speakers
    // "VIDEO"
    std::int32_t windowscalingX = 1;  // 1-3
    std::int32_t windowscalingY = 2;  // 1-3
    bool showmessagesflag = true;     // short messages over the border strip
    bool fitpictureflag = false;      // the picture grows with the window, aspect kept
    bool fitsmoothflag = false;       // ... to any size, else in whole steps of the scale
    // "COLOR": 0 foreground, 1 background, 2 border
    std::array<RgbColour, 3> colours = {RgbColour{16, 16, 16}, RgbColour{16, 96, 16},
                                        RgbColour{40, 224, 40}};
    // "JOYSTICK"
    bool keysasjoystickflag = false;  // cursor keys and Right Ctrl steer joystick 1
    // "TIMELINE"
    std::int32_t rewindmegabytes = 64;  // memory the rewind timeline may hold, 16-4096 MiB
    // "DESKTOP"
    bool keeprunningflag = false;  // frames and sound go on while another window is active
    // "WINDOW": where the window was last left on the desktop
    std::int32_t windowleft = 10;
    std::int32_t windowtop = 10;

    static KeyAssignmentTable filledKeyTable() {
        KeyAssignmentTable table{};
        table.fill(255);
        return table;
    }

    friend bool operator==(const MachineConfig&, const MachineConfig&) = default;
};

static_assert(std::is_trivially_copyable_v<MachineConfig>, "MachineConfig is copied as a whole");

}  // namespace vantorel
