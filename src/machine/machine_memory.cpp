#include "machine/machine_memory.h"

#include <algorithm>

namespace vantorel {

void MachineMemory::emptySlots() {
    slotD000.reset();
    slotC000.reset();
    slotA000.reset();
}

void installBuiltinImages(MachineMemory& memory, const RomImages& images) {
    std::copy(images.monitor.begin(), images.monitor.end(), memory.monitorRom.begin());
    std::copy(images.characters.begin(), images.characters.end(), memory.characterRom.begin());
}

}  // namespace vantorel
