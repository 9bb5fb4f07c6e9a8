// Edit > Paste: the clipboard's text typed into the machine through quick
// type, as "Quick Type..." types a file.
//
// The same rules hold: nothing happens while quick type is still typing or
// when there is nothing to type, and line ends (CR, LF or CR LF) become one
// RETURN each. Only ASCII characters are passed on; others have no key on
// the Sorcerer and are left out, as quick type leaves out any character
// that no key types. Called by the main window's Paste command.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "input/quick_type_file.h"

namespace vantorel {

class Machine;

// The text's ASCII characters as bytes.
std::vector<std::uint8_t> pasteBytes(const QString& text);

// Starts typing `text`; what quick type made of it.
QuickTypeResult pasteAsTyping(Machine& machine, const QString& text);

}  // namespace vantorel
