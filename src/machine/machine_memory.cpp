#include "machine/machine_memory.h"

#include <algorithm>

namespace vantorel {

void installBuiltinImages(MachineRoms& roms, const RomImages& images) {
    auto monitor = std::make_shared<MonitorRom>();
    auto characters = std::make_shared<CharacterRom>();
    std::copy(images.monitor.begin(), images.monitor.end(), monitor->begin());
    std::copy(images.characters.begin(), images.characters.end(), characters->begin());
    roms.monitor = std::move(monitor);
    roms.characters = std::move(characters);
}

}  // namespace vantorel
