#include "input/keyboard_map.h"

#include <array>

#include "input/emulated_key_names.h"
#include "input/key_layout_table.h"
#include "input/keyboard_assignment.h"

namespace vantorel {

namespace {

// Typewriter keys print their characters: their legend is empty.
constexpr SorcererKeyCap typing(std::uint8_t position, std::uint8_t row, double x) {
    return {"", position, row, x, 1.0};
}

constexpr double kPad = kKeyMapKeypadLeft;

// clang-format off
constexpr std::array kCaps = {
    // Row 0: RUN/STOP, 1-0 : - ^, _
    SorcererKeyCap{"RUN STOP", 9, 0, 0.0, 1.5},
    typing(14, 0, 1.5), typing(19, 0, 2.5), typing(24, 0, 3.5), typing(23, 0, 4.5),
    typing(29, 0, 5.5), typing(34, 0, 6.5), typing(39, 0, 7.5), typing(44, 0, 8.5),
    typing(43, 0, 9.5), typing(49, 0, 10.5), typing(54, 0, 11.5), typing(59, 0, 12.5),
    typing(58, 0, 13.5), SorcererKeyCap{"RUBOUT _", 55, 0, 14.5, 1.5},
    // Row 1: REPEAT, Q-P @ [, LINE FEED
    SorcererKeyCap{"REPEAT", 5, 1, 0.0, 1.5},
    typing(13, 1, 1.5), typing(18, 1, 2.5), typing(22, 1, 3.5), typing(21, 1, 4.5),
    typing(28, 1, 5.5), typing(33, 1, 6.5), typing(38, 1, 7.5), typing(36, 1, 8.5),
    typing(42, 1, 9.5), typing(48, 1, 10.5), typing(51, 1, 11.5), typing(53, 1, 12.5),
    SorcererKeyCap{"LINE FEED", 57, 1, 13.5, 2.5},
    // Row 2: CTRL, A-L ; ], RETURN, CLEAR
    SorcererKeyCap{"CTRL", 2, 2, 0.0, 1.75},
    typing(12, 2, 1.75), typing(17, 2, 2.75), typing(16, 2, 3.75), typing(20, 2, 4.75),
    typing(27, 2, 5.75), typing(32, 2, 6.75), typing(37, 2, 7.75), typing(35, 2, 8.75),
    typing(41, 2, 9.75), typing(47, 2, 10.75), typing(52, 2, 11.75),
    SorcererKeyCap{"RETURN", 56, 2, 12.75, 2.0},
    SorcererKeyCap{"CLEAR", 0, 2, 14.75, 1.25},
    // Row 3: SHIFT, Z-M , . / \, SHIFT
    SorcererKeyCap{"SHIFT", 4, 3, 0.0, 2.25},
    typing(11, 3, 2.25), typing(10, 3, 3.25), typing(15, 3, 4.25), typing(26, 3, 5.25),
    typing(25, 3, 6.25), typing(31, 3, 7.25), typing(30, 3, 8.25), typing(40, 3, 9.25),
    typing(46, 3, 10.25), typing(45, 3, 11.25), typing(50, 3, 12.25),
    SorcererKeyCap{"SHIFT", 4, 3, 13.25, 2.75},
    // Row 4: SHIFT LOCK, GRAPHIC, the space bar, BREAK, SKIP
    SorcererKeyCap{"SHIFT LOCK", 3, 4, 0.0, 1.5},
    SorcererKeyCap{"GRAPHIC", 1, 4, 1.5, 1.5},
    SorcererKeyCap{"SPACE", 7, 4, 3.0, 9.5},
    SorcererKeyCap{"BREAK", 6, 4, 12.5, 1.75},
    SorcererKeyCap{"SKIP", 8, 4, 14.25, 1.75},
    // The keypad; the key beside its "." types nothing but has a graphic.
    SorcererKeyCap{"7", 69, 0, kPad, 1.0}, SorcererKeyCap{"8", 68, 0, kPad + 1, 1.0},
    SorcererKeyCap{"9", 74, 0, kPad + 2, 1.0}, SorcererKeyCap{"/", 62, 0, kPad + 3, 1.0},
    SorcererKeyCap{"4", 67, 1, kPad, 1.0}, SorcererKeyCap{"5", 72, 1, kPad + 1, 1.0},
    SorcererKeyCap{"6", 73, 1, kPad + 2, 1.0}, SorcererKeyCap{"*", 61, 1, kPad + 3, 1.0},
    SorcererKeyCap{"1", 66, 2, kPad, 1.0}, SorcererKeyCap{"2", 71, 2, kPad + 1, 1.0},
    SorcererKeyCap{"3", 79, 2, kPad + 2, 1.0}, SorcererKeyCap{"-", 63, 2, kPad + 3, 1.0},
    SorcererKeyCap{"0", 65, 3, kPad, 1.0}, SorcererKeyCap{".", 70, 3, kPad + 1, 1.0},
    SorcererKeyCap{" ", 78, 3, kPad + 2, 1.0}, SorcererKeyCap{"+", 60, 3, kPad + 3, 1.0},
};
// clang-format on

bool isLetter(std::uint8_t c) {
    return c >= 'a' && c <= 'z';
}

bool isPrintable(std::uint8_t c) {
    return c > ' ' && c < 0x7F;
}

std::string upper(std::uint8_t c) {
    return std::string(1, static_cast<char>(isLetter(c) ? c - 'a' + 'A' : c));
}

// Names the host's modifier keys, which the table of host key names leaves out.
std::string fixedKeyName(std::uint8_t code, const KeyNameByCode& names) {
    switch (code) {
        case kVirtualKeyShift:
            return "Shift";
        case kVirtualKeyControl:
            return "Ctrl";
        case kVirtualKeyCapsLock:
            return "Caps Lock";
        default:
            break;
    }
    const char* name = names[code];
    return name != nullptr ? name : std::string{};
}

std::string emulatedLabel(const KeyLayoutEntry& entry, const KeyNameByCode& names) {
    if (entry.hostKeyCode == 0) return upper(entry.hostCharacter);
    return fixedKeyName(entry.hostKeyCode, names);
}

// The characters a key types alone and with SHIFT, as host keys show them.
std::string typedCharacters(const KeyLayoutEntry& entry) {
    if (isLetter(entry.typedCharacter)) return upper(entry.typedCharacter);
    std::string text = upper(entry.typedCharacter);
    if (isPrintable(entry.shiftedCharacter) && entry.shiftedCharacter != entry.typedCharacter) {
        text += ' ';
        text += static_cast<char>(entry.shiftedCharacter);
    }
    return text;
}

// "F5" for a key assigned alone; with the board it gives when that is not
// the key alone: "Shift F5 (SHIFT)".
void addAssignments(std::string& label, std::uint8_t position, const MachineConfig& config,
                    const KeyNameByCode& names) {
    constexpr std::array kModifiers = {HostModifier::none, HostModifier::shift, HostModifier::ctrl};
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        for (const HostModifier modifier : kModifiers) {
            const std::uint8_t value =
                assignmentTable(config, modifier)[static_cast<std::size_t>(code)];
            if (value == kUnassignedKey) continue;
            const std::size_t index = value & kEmulatedKeyBits;
            if (index >= kEmulatedKeyNameTable.size() ||
                kEmulatedKeyNameTable[index].position != position) {
                continue;
            }
            const std::string text =
                combinationText({modifier, static_cast<std::uint8_t>(code)}, names);
            if (text.empty()) continue;
            if (!label.empty()) label += '\n';
            label += text;
            const std::uint8_t board = value & kBoardBits;
            if (board == kBoardShift) label += " (SHIFT)";
            if (board == kBoardCtrl) label += " (CTRL)";
        }
    }
}

}  // namespace

std::span<const SorcererKeyCap> sorcererKeyCaps() {
    return kCaps;
}

std::string capLegend(const SorcererKeyCap& cap) {
    if (cap.legend[0] != '\0') return cap.legend;
    const KeyLayoutEntry& entry = kKeyLayoutTable[cap.position];
    if (entry.typedCharacter == 0) return {};
    if (isLetter(entry.typedCharacter)) return upper(entry.typedCharacter);
    std::string text;
    if (isPrintable(entry.shiftedCharacter) && entry.shiftedCharacter != entry.typedCharacter) {
        text += static_cast<char>(entry.shiftedCharacter);
        text += ' ';
    }
    return text + static_cast<char>(entry.typedCharacter);
}

std::string hostKeyLabel(std::uint8_t position, const MachineConfig& config,
                         const KeyNameByCode& names) {
    if (position >= kKeyLayoutEntries) return {};
    const KeyLayoutEntry& entry = kKeyLayoutTable[position];
    if (config.emulatedflag) return emulatedLabel(entry, names);
    std::string label;
    addAssignments(label, position, config, names);
    // Keys that type no character on the host keep their place; a host key
    // that types a character presses the Sorcerer key typing it.
    if (entry.hostKeyCode != 0) {
        if (!label.empty()) label += '\n';
        label += emulatedLabel(entry, names);
    }
    if (isPrintable(entry.typedCharacter)) {
        if (!label.empty()) label += '\n';
        label += typedCharacters(entry);
    }
    return label;
}

std::uint8_t graphicCodeOf(std::uint8_t position) {
    if (position >= kKeyLayoutEntries) return 0;
    const std::uint8_t code = kKeyLayoutTable[position].graphicCode;
    return code >= 0x80 ? code : 0;
}

}  // namespace vantorel
