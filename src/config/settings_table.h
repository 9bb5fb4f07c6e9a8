// The settings file as one table: every key, the field of MachineConfig that
// holds it and the range a read value is brought into.
//
// The table lists the sections and keys in the order the file has them: a
// save writes each key of its sections in table order, and loading reads
// them in the same order (settings_file.cpp). Reader and writer both walk
// this one list, so a key cannot be read without being written or the
// reverse. To add a setting: a field in MachineConfig, one line here.
//
// A field's type says how its key is encoded (settings_values.h):
//   bool                flag
//   integer             decimal, brought into `range` (and the field's type)
//   SettingsText        text
//   KeyAssignmentTable  256 keys: the key's letter and two hex digits, 00-ff
//   ColourEntry         one entry of `colours`, nine digits
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "config/frame_timing.h"
#include "config/machine_config.h"
#include "config/profile_document.h"
#include "config/settings_values.h"

namespace vantorel {

struct ColourEntry {
    std::size_t index;  // into MachineConfig::colours
};

using SettingField =
    std::variant<bool MachineConfig::*, std::int8_t MachineConfig::*, std::int32_t MachineConfig::*,
                 std::uint32_t MachineConfig::*, SettingsText MachineConfig::*,
                 KeyAssignmentTable MachineConfig::*, ColourEntry>;

enum class MissingKey {
    keepsField,  // the field's current value stands (the usual rule)
    readsZero,   // the field becomes 0, whatever it held
};

struct Setting {
    std::string_view section;
    std::string_view key;  // for a key table, the letter before the index
    SettingField field;
    IntRange range = {};  // integers only: where a read value is brought
    MissingKey missing = MissingKey::keepsField;
};

// Custom timing's T-states of one slice (frame_timing.h).
inline constexpr IntRange kCustomSliceRange = {kFewestSliceTStates, kMostSliceTStates};

// clang-format off
inline constexpr auto kSettings = std::to_array<Setting>({
    {"MEMORY",   "enhancedflag",         &MachineConfig::enhancedflag},
    {"MEMORY",   "ramexpanders",         &MachineConfig::ramexpanders, {0, 3}},
    {"MEMORY",   "writeROMflag",         &MachineConfig::writeROMflag},
    {"MEMORY",   "ROMfilename",          &MachineConfig::ROMfilename},
    {"MEMORY",   "CHARfilename",         &MachineConfig::CHARfilename},
    {"MEMORY",   "usebuiltinromflag",    &MachineConfig::usebuiltinromflag},
    {"MEMORY",   "usebuiltincharflag",   &MachineConfig::usebuiltincharflag},
    {"PRINTER",  "autolinefeedflag",     &MachineConfig::autolinefeedflag},
    {"PRINTER",  "fixedwidthflag",       &MachineConfig::fixedwidthflag},
    {"PRINTER",  "width",                &MachineConfig::width},
    {"PRINTER",  "filename",             &MachineConfig::filename},
    {"KEYBOARD", "emulatedflag",         &MachineConfig::emulatedflag},
    {"KEYBOARD", "n",                    &MachineConfig::normalKeys},  // n00-nff
    {"KEYBOARD", "s",                    &MachineConfig::shiftKeys},   // s00-sff
    {"KEYBOARD", "c",                    &MachineConfig::ctrlKeys},    // c00-cff
    {"VIDEO",    "windowscalingX",       &MachineConfig::windowscalingX, {1, 3}},
    {"VIDEO",    "windowscalingY",       &MachineConfig::windowscalingY, {1, 3}},
    {"VIDEO",    "showmessagesflag",     &MachineConfig::showmessagesflag},
    {"VIDEO",    "fitpictureflag",       &MachineConfig::fitpictureflag},
    {"VIDEO",    "fitsmoothflag",        &MachineConfig::fitsmoothflag},
    {"COLOR",    "c00",                  ColourEntry{0}},  // foreground
    {"COLOR",    "c01",                  ColourEntry{1}},  // background
    {"COLOR",    "c02",                  ColourEntry{2}},  // border
    {"SOUND",    "clickerflag",          &MachineConfig::clickerflag},
    {"SOUND",    "ayflag",               &MachineConfig::ayflag},
    {"SOUND",    "clickervolpct",        &MachineConfig::clickervolpct, {0, 100}},
    {"SOUND",    "ayvolpct",             &MachineConfig::ayvolpct, {0, 100}},
    {"SOUND",    "muteflag",             &MachineConfig::muteflag},
    {"SPEED",    "cpuspeedopt",          &MachineConfig::cpuspeedopt, {0, 3}, MissingKey::readsZero},
    {"SPEED",    "ntscmultiplierpct",    &MachineConfig::ntscmultiplierpct, {1, 1000}},
    {"SPEED",    "palmultiplierpct",     &MachineConfig::palmultiplierpct, {1, 1000}},
    {"SPEED",    "activescancust",       &MachineConfig::activescancust, kCustomSliceRange},
    {"SPEED",    "vblankcust",           &MachineConfig::vblankcust, kCustomSliceRange},
    {"SPEED",    "fpscust",              &MachineConfig::fpscust, {1, 600}},
    {"SPEED",    "usevideoupdatepsflag", &MachineConfig::usevideoupdatepsflag},
    {"SPEED",    "videoupdatesps",       &MachineConfig::videoupdatesps, {1, 600}},
    {"SPEED",    "speedupfilesflag",     &MachineConfig::speedupfilesflag},
    {"JOYSTICK", "keysasjoystickflag",   &MachineConfig::keysasjoystickflag},
    {"TIMELINE", "rewindmegabytes",      &MachineConfig::rewindmegabytes, {16, 4096}},
    {"DESKTOP",  "keeprunningflag",      &MachineConfig::keeprunningflag},
    {"WINDOW",   "windowleft",           &MachineConfig::windowleft, {-32768, 32767}},
    {"WINDOW",   "windowtop",            &MachineConfig::windowtop, {-32768, 32767}},
});
// clang-format on

// Reads the setting's key(s) from the document into the record's field.
void readSetting(const ProfileDocument& document, const Setting& setting, MachineConfig& config);
// Sets the setting's key(s) in the document from the record's field.
void writeSetting(ProfileDocument& document, const Setting& setting, const MachineConfig& config);

}  // namespace vantorel
