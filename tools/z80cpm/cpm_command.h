// The z80cpm command line: `z80cpm [--max-tstates N] PROGRAM.COM`.
//
// Loads the program into a CpmMachine, runs it with console output to `out`
// and ends with "T-states: <count>" on `err`. Returns the exit status: 0 when
// the program ended (jump to 0000 or BDOS function 0), 1 when the T-state
// limit was reached first or the program halted for good, 2 for a usage
// error or a file that cannot be read or does not fit (one line on `err`
// naming the file). Called by main() and by the tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vantorel::cpm {

inline constexpr int kExitEnded = 0;
inline constexpr int kExitLimit = 1;
inline constexpr int kExitUsage = 2;

// `arguments` excludes the program name.
int runCpmCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace vantorel::cpm
