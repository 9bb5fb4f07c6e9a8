// The built-in monitor ROM's own labels.
//
// The monitor is assembled from data/monitor when the program is built;
// pasmo writes its symbol file then, and the build puts that text into the
// program (embed_symbols.cmake), so the debugger names the monitor's
// routines without any file. Called by the debugger's symbol commands and
// the window, which show these by default.
#pragma once

#include <string_view>

#include "debug/symbol_table.h"

namespace vantorel {

// pasmo's symbol file of the built-in monitor, as the build made it.
std::string_view builtinMonitorSymbolText();

// Those symbols read into a table (pasmo's local labels, named by number
// only, are left out).
const SymbolTable& builtinMonitorSymbols();

}  // namespace vantorel
