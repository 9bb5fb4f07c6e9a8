// Quick Type... with any file as the text: an empty file is refused, any
// other is typed to its end, within the frames its length allows; then every
// key is up, the buffer is freed and the file commands are free again. The
// processor waits in a HALT meanwhile: typing is timed in T-states, not by
// what the program reads, and the monitor's reading of typed lines has tests
// of its own, so the frames cost next to nothing and long texts stay quick.
#include "app/fed_files.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "input/quick_type.h"
#include "machine/machine_files.h"

namespace vantorel::fuzz {

void fuzzQuickType(Bytes file) {
    static ScratchFile scratch("text.txt");
    FuzzMachine fuzz;
    Machine& machine = fuzz.machine;
    fuzz.halt();
    const QuickTypeResult result = startQuickTypeFile(machine, scratch.write(file));
    check((result == QuickTypeResult::ok) == !file.empty(), "a text was refused or taken wrongly");
    if (result != QuickTypeResult::ok) return;
    check(fileAccessBusy(machine), "the file commands stayed free while typing");

    const FrameTiming& timing = machine.timing();
    const std::int64_t limit = quickTypeFrameLimit(
        file.size(), std::int64_t{timing.activeScanTStates} + timing.verticalBlankTStates);
    std::int64_t frames = 0;
    while (machine.quickTypeActive() && frames <= limit) {
        fuzz.runFrames(1);
        ++frames;
    }
    check(!machine.quickTypeActive(), "the text was not typed to its end in time");
    check(machine.quickTypeText().empty(), "the typed text was not freed");
    check(!fileAccessBusy(machine), "the file commands stayed busy after typing");
    fuzz.runFrames(1);  // the host keyboard, with nothing down, is read again
    for (int row = 0; row < 16; ++row) {
        check(machine.keyboard().readKeyboardRow(row) == 0xFF, "a key stayed down after typing");
    }
}

}  // namespace vantorel::fuzz
