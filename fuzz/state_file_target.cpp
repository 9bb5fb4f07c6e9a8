// A save-state file with any bytes: it is refused with a message or taken
// whole; a state taken runs a few frames and is painted, and saved again it
// reads back the same.

#include <cstring>

#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "timeline/state_file.h"

namespace vantorel::fuzz {

void fuzzStateFile(Bytes file) {
    FuzzMachine fuzz;
    const MachineState before = fuzz.machine.state();
    const StateFileRead read = readStateBytes(file, fuzz.machine, kFuzzStateVersion);
    check(read.snapshot.has_value() == read.problem.empty(),
          "a state file was taken, or refused with a message");
    check(std::memcmp(&before, &fuzz.machine.state(), sizeof before) == 0,
          "reading a state file left the machine alone");
    if (!read.snapshot) return;
    fuzz.machine.restore(*read.snapshot);
    const auto again = writeStateBytes(fuzz.machine, read.header);
    const StateFileRead reread = readStateBytes(again, fuzz.machine, kFuzzStateVersion);
    check(reread.snapshot.has_value() &&
              std::memcmp(&reread.snapshot->state, &fuzz.machine.state(), sizeof before) == 0,
          "a state saved again reads back the same");
    fuzz.runFrames(3);
    fuzz.paintScreen();
}

}  // namespace vantorel::fuzz
