#include "app/boot.h"

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "config/settings_file.h"
#include "machine/machine.h"
#include "machine/rom_files.h"

namespace vantorel {

BootReport boot(const BootParts& parts, const SettingsFiles& files,
                const std::function<void()>& createWindow) {
    Machine& machine = parts.machine;
    BootReport report;
    loadSettings(files.settingsPath, machine.config(), [&] {
        report.problems = installBuiltinImages(machine.roms(), machine.config(),
                                               files.builtinImages, files.startupDirectory);
    });
    machine.computeTiming();
    if (createWindow) createWindow();
    if (parts.scheduler != nullptr) parts.scheduler->setUpPacing();
    if (parts.devices != nullptr) parts.devices->initSound();
    machine.initKeyLayout();
    machine.hardReset();
    if (parts.devices != nullptr) parts.devices->initJoysticks();
    if (HostClock* clock = machine.host().clock; clock != nullptr) {
        machine.seedRandom(clock->milliseconds());
    }
    return report;
}

}  // namespace vantorel
