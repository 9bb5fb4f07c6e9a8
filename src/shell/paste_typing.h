// Edit > Paste: the clipboard's text typed into the machine through quick
// type, as "Quick Type..." types a file.
//
// The same rules hold: nothing happens while quick type is still typing or
// when there is nothing to type, and line ends (CR, LF or CR LF) become one
// RETURN each. ASCII characters pass as they are. The Sorcerer has no key
// for anything else, so an accented letter becomes its plain letter ("é"
// types "e"), typographic quotes, dashes, the ellipsis and the no-break
// space their ASCII forms, and any other character '?'; the number of
// characters changed so is returned, for the window to say once. Called by
// the main window's Paste command.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "input/quick_type_file.h"

namespace vantorel {

class Machine;

struct PasteText {
    std::vector<std::uint8_t> bytes;
    int changed = 0;  // characters that were not ASCII
};

// The text as ASCII bytes to type.
PasteText pasteText(const QString& text);
// The bytes alone.
std::vector<std::uint8_t> pasteBytes(const QString& text);

// Starts typing `text`; what quick type made of it. `changed` (when given)
// receives how many characters were changed.
QuickTypeResult pasteAsTyping(Machine& machine, const QString& text, int* changed = nullptr);

}  // namespace vantorel
