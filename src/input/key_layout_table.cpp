#include "input/key_layout_table.h"

namespace vantorel {

namespace {

// A position driven by a fixed host key.
constexpr KeyLayoutEntry fixedKey(std::uint8_t code, std::uint8_t typed = 0,
                                  std::uint8_t shifted = 0, std::uint8_t graphic = 0) {
    const auto graphicShifted =
        static_cast<std::uint8_t>(graphic >= 0x80 ? graphic + 0x40 : graphic);
    return {0, code, typed, shifted, graphic, graphicShifted};
}

// A position driven by the host key that types `character` on the host.
constexpr KeyLayoutEntry characterKey(char character, char typed, char shifted,
                                      std::uint8_t graphic) {
    return {
        static_cast<std::uint8_t>(character), 0,       static_cast<std::uint8_t>(typed),
        static_cast<std::uint8_t>(shifted),   graphic, static_cast<std::uint8_t>(graphic + 0x40)};
}

}  // namespace

// The graphic codes 80-BF go to the typing and keypad positions in table
// order, except that F8 has 8D and F11 BF; GRAPHIC with SHIFT adds 40.
const KeyLayoutTable kKeyLayoutTable = {{
    // Row 0: Home, F1, Ctrl, Caps Lock, Shift
    fixedKey(0x24),
    fixedKey(0x70),
    fixedKey(0x11),
    fixedKey(0x14),
    fixedKey(0x10),
    // Row 1: F6, F7, Space, F8, Esc
    fixedKey(0x75),
    fixedKey(0x76),
    fixedKey(0x20, ' ', ' ', 0x20),
    fixedKey(0x77, 0, 0, 0x8D),
    fixedKey(0x1B),
    // Row 2
    characterKey('x', 'x', 'X', 0x80),
    characterKey('z', 'z', 'Z', 0x81),
    characterKey('a', 'a', 'A', 0x82),
    characterKey('q', 'q', 'Q', 0x83),
    characterKey('1', '1', '!', 0x84),
    // Row 3
    characterKey('c', 'c', 'C', 0x85),
    characterKey('d', 'd', 'D', 0x86),
    characterKey('s', 's', 'S', 0x87),
    characterKey('w', 'w', 'W', 0x88),
    characterKey('2', '2', '"', 0x89),
    // Row 4
    characterKey('f', 'f', 'F', 0x8A),
    characterKey('r', 'r', 'R', 0x8B),
    characterKey('e', 'e', 'E', 0x8C),
    characterKey('4', '4', '$', 0x8E),
    characterKey('3', '3', '#', 0x8F),
    // Row 5
    characterKey('b', 'b', 'B', 0x90),
    characterKey('v', 'v', 'V', 0x91),
    characterKey('g', 'g', 'G', 0x92),
    characterKey('t', 't', 'T', 0x93),
    characterKey('5', '5', '%', 0x94),
    // Row 6
    characterKey('m', 'm', 'M', 0x95),
    characterKey('n', 'n', 'N', 0x96),
    characterKey('h', 'h', 'H', 0x97),
    characterKey('y', 'y', 'Y', 0x98),
    characterKey('6', '6', '&', 0x99),
    // Row 7
    characterKey('k', 'k', 'K', 0x9A),
    characterKey('i', 'i', 'I', 0x9B),
    characterKey('j', 'j', 'J', 0x9C),
    characterKey('u', 'u', 'U', 0x9D),
    characterKey('7', '7', '\'', 0x9E),
    // Row 8
    characterKey(',', ',', '<', 0x9F),
    characterKey('l', 'l', 'L', 0xA0),
    characterKey('o', 'o', 'O', 0xA1),
    characterKey('9', '9', ')', 0xA2),
    characterKey('8', '8', '(', 0xA3),
    // Row 9: the emulated 0 types 0 with SHIFT as well
    characterKey('/', '/', '?', 0xA4),
    characterKey('.', '.', '>', 0xA5),
    characterKey(';', ';', '+', 0xA6),
    characterKey('p', 'p', 'P', 0xA7),
    characterKey('0', '0', '0', 0xA8),
    // Row 10: host apostrophe drives the emulated @ key, host minus the : key
    characterKey('\\', '\\', '|', 0xA9),
    characterKey('\'', '@', '`', 0xAA),
    characterKey(']', ']', '}', 0xAB),
    characterKey('[', '[', '{', 0xAC),
    characterKey('-', ':', '*', 0xAD),
    // Row 11: Backspace, Enter, Page Down; host backquote drives the emulated
    // ^ key, host equals the emulated minus key
    fixedKey(0x08, '_', 0x7F, 0xAE),
    fixedKey(0x0D, 0x0D, 0x0D, 0x0D),
    fixedKey(0x22),
    characterKey('`', '^', '~', 0xAF),
    characterKey('=', '-', '=', 0xB0),
    // Row 12: keypad +, *, /, -, F12
    fixedKey(0x6B, 0, 0, 0xB1),
    fixedKey(0x6A, 0, 0, 0xB2),
    fixedKey(0x6F, 0, 0, 0xB3),
    fixedKey(0x6D, 0, 0, 0xB4),
    fixedKey(0x7B),
    // Row 13: keypad 0, 1, 4, 8, 7
    fixedKey(0x60, 0, 0, 0xB5),
    fixedKey(0x61, 0, 0, 0xB6),
    fixedKey(0x64, 0, 0, 0xB7),
    fixedKey(0x68, 0, 0, 0xB8),
    fixedKey(0x67, 0, 0, 0xB9),
    // Row 14: keypad ., 2, 5, 6, 9
    fixedKey(0x6E, 0, 0, 0xBA),
    fixedKey(0x62, 0, 0, 0xBB),
    fixedKey(0x65),
    fixedKey(0x66, 0, 0, 0xBC),
    fixedKey(0x69, 0, 0, 0xBD),
    // Row 15: F12 three times, F11, keypad 3
    fixedKey(0x7B),
    fixedKey(0x7B),
    fixedKey(0x7B),
    fixedKey(0x7A, 0, 0, 0xBF),
    fixedKey(0x63, 0, 0, 0xBE),
}};

}  // namespace vantorel
