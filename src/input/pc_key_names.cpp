#include "input/pc_key_names.h"

namespace vantorel {

const PcKeyNameTable kPcKeyNameTable = {{
    {"Esc", 0x1B},
    {"1", 0x31},
    {"2", 0x32},
    {"3", 0x33},
    {"4", 0x34},
    {"5", 0x35},
    {"6", 0x36},
    {"7", 0x37},
    {"8", 0x38},
    {"9", 0x39},
    {"0", 0x30},
    {"a", 0x41},
    {"b", 0x42},
    {"c", 0x43},
    {"d", 0x44},
    {"e", 0x45},
    {"f", 0x46},
    {"g", 0x47},
    {"h", 0x48},
    {"i", 0x49},
    {"j", 0x4A},
    {"k", 0x4B},
    {"l", 0x4C},
    {"m", 0x4D},
    {"n", 0x4E},
    {"o", 0x4F},
    {"p", 0x50},
    {"q", 0x51},
    {"r", 0x52},
    {"s", 0x53},
    {"t", 0x54},
    {"u", 0x55},
    {"v", 0x56},
    {"w", 0x57},
    {"x", 0x58},
    {"y", 0x59},
    {"z", 0x5A},
    {"`", 0},
    {"-", 0},
    {"=", 0},
    {"\\", 0},
    {"Backspace", 0x08},
    {"Tab", 0x09},
    {"[", 0},
    {"]", 0},
    {";", 0},
    {"'", 0},
    {"Enter", 0x0D},
    {",", 0},
    {".", 0},
    {"/", 0},
    {"Space", 0x20},
    {"F1", 0x70},
    {"F2", 0x71},
    {"F3", 0x72},
    {"F4", 0x73},
    {"F5", 0x74},
    {"F6", 0x75},
    {"F7", 0x76},
    {"F8", 0x77},
    {"F9", 0x78},
    {"F10", 0x79},
    {"F11", 0x7A},
    {"F12", 0x7B},
    {"Insert", 0x2D},
    {"Delete", 0x2E},
    {"Home", 0x24},
    {"End", 0x23},
    {"Page Up", 0x21},
    {"Page Down", 0x22},
    {"Left Arrow", 0x25},
    {"Up Arrow", 0x26},
    {"Right Arrow", 0x27},
    {"Down Arrow", 0x28},
    {"Scroll Lock", 0x91},
    {"Num 1", 0x61},
    {"Num 2", 0x62},
    {"Num 3", 0x63},
    {"Num 4", 0x64},
    {"Num 5", 0x65},
    {"Num 6", 0x66},
    {"Num 7", 0x67},
    {"Num 8", 0x68},
    {"Num 9", 0x69},
    {"Num 0", 0x60},
    {"Num -", 0x6D},
    {"Num +", 0x6B},
    {"Num .", 0x6E},
    {"Num *", 0x6A},
    {"Num /", 0x6F},
    {"Pause", 0x13},
}};

PcKeyNameTable resolvePcKeyNames(const PcKeyNameTable& table, KeyStateSource& keys) {
    PcKeyNameTable resolved = table;
    for (PcKeyName& key : resolved) {
        if (key.code != 0) continue;
        key.code = static_cast<std::uint8_t>(keys.keyForCharacter(key.name[0]) & 0xFF);
    }
    return resolved;
}

KeyNameByCode buildKeyNameByCode(const PcKeyNameTable& table) {
    KeyNameByCode names{};
    for (const PcKeyName& key : table) {
        if (key.code != 0) names[key.code] = key.name;
    }
    return names;
}

}  // namespace vantorel
