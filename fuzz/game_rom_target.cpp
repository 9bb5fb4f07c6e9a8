// Load Game ROM with any file: the size decides the slot (D000 up to 4K,
// C000 up to 8K, A000 up to 16K), the slot reads the file and FF past it,
// anything else is refused and leaves the slots as they were. The processor
// then runs the ROM from its first byte, as a game would be started.
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/machine_files.h"

namespace vantorel::fuzz {

namespace {

std::uint16_t slotFor(std::size_t size) {
    if (size <= 4096) return kSlotD000;
    if (size <= 8192) return kSlotC000;
    return kSlotA000;
}

void checkSlotHoldsFile(const FuzzMachine& fuzz, Bytes file) {
    const std::uint16_t base = slotFor(file.size());
    for (std::uint32_t address = kSlotA000; address < kMonitorStart; ++address) {
        std::uint8_t expected = 0xFF;  // nothing fitted, or past the end of the file
        if (address >= base && address - base < file.size()) expected = file[address - base];
        check(fuzz.machine.peek(static_cast<std::uint16_t>(address)) == expected,
              "the game ROM slot does not read back the file");
    }
}

}  // namespace

void fuzzGameRom(Bytes file) {
    static ScratchFile scratch("game.rom");
    FuzzMachine fuzz;
    const FileResult result = loadGameRom(fuzz.machine, scratch.write(file));
    const bool fits = !file.empty() && file.size() <= kMaximumGameRomBytes;
    check(result.ok() == fits, "a game ROM was taken or refused against its size");
    check(fuzz.machine.anySlotFilled() == fits, "a refused game ROM filled a slot");
    if (!fits) return;
    checkSlotHoldsFile(fuzz, file);
    fuzz.jumpTo(slotFor(file.size()));
    fuzz.runFrames(2);
    fuzz.paintScreen();
    removeGameRom(fuzz.machine);
    check(!fuzz.machine.anySlotFilled(), "Remove Game ROM left a slot filled");
    fuzz.runFrames(1);
}

}  // namespace vantorel::fuzz
