// Load .SNP with any file: only 65,564 bytes are taken; the restored
// machine reads back the file's memory, then runs a few frames from the
// snapshot's registers and is painted.

#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/machine_files.h"

namespace vantorel::fuzz {

void fuzzSnapshot(Bytes file) {
    static ScratchFile scratch("game.snp");
    FuzzMachine fuzz;
    const FileResult result = loadSnapshot(fuzz.machine, scratch.write(file));
    check(result.ok() == (file.size() == kSnapshotFileBytes),
          "a snapshot was taken or refused against its size");
    if (!result.ok()) return;
    // Every address reads as the file holds it, ROMs included, except
    // BC00-BFFF: above the snapshot's RAM and below the C000 slot it takes.
    const auto memory = snapshotMemory(fuzz.machine);
    const Bytes fileMemory = file.subspan(kSnapshotHeaderBytes);
    for (std::uint32_t address = 0; address < memory.size(); ++address) {
        const bool unfitted = address >= 0xBC00 && address < kSlotC000;
        check(memory[address] == (unfitted ? 0xFF : fileMemory[address]),
              "the loaded snapshot does not read back the file");
    }
    fuzz.runFrames(3);
    fuzz.paintScreen();
}

}  // namespace vantorel::fuzz
