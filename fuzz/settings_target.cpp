// The settings file with any contents. Loading takes what it can and keeps
// every value in its range; saving every section and loading again must give
// the same record, and a second save must not change the file: a value that
// does not survive its own save would be lost or altered in the user's file.
// The same bytes also go in as the pointer file that names the settings file.
#include <fstream>
#include <iterator>
#include <string>

#include "config/settings_file.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/builtin_images.h"
#include "config/frame_timing.h"
#include "machine/rom_files.h"
#include "machine/video.h"
#include "support/every_settings_section.h"

namespace vantorel::fuzz {

namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The pointer file names a file; whatever it says, the name is a path.
void findThroughPointerFile(Bytes file) {
    static const fs::path folder = [] {
        fs::path path = scratchFolder() / "pointer";
        fs::create_directories(path);
        return path;
    }();
    static ScratchFile pointer("pointer/VANTOREL.INI");
    pointer.write(file);
    const fs::path found = findSettingsFile(folder);
    check(!found.empty(), "the pointer file gave no settings file");
}

}  // namespace

void fuzzSettings(Bytes file) {
    static ScratchFile scratch("settings.ini");
    const fs::path& path = scratch.write(file);
    FuzzMachine fuzz;
    MachineConfig& loaded = fuzz.machine.config();
    loadSettings(path, loaded, [&] {
        installBuiltinImages(fuzz.machine.roms(), loaded, builtinRomImages(), scratchFolder());
    });
    // Whatever was read, the machine can be timed and painted with it.
    fuzz.machine.computeTiming();
    check(fuzz.machine.timing().framesPerSecond >= 1, "a frame rate below 1");
    makeVideoPalette(loaded.colours);

    testing::saveEverySettingsSection(path, loaded);
    const std::string saved = fileText(path);
    MachineConfig reloaded;
    loadSettings(path, reloaded, nullptr);
    check(reloaded == loaded, "the settings read back differ from the settings saved");
    testing::saveEverySettingsSection(path, reloaded);
    check(fileText(path) == saved, "saving the same settings again changed the file");

    findThroughPointerFile(file);
}

}  // namespace vantorel::fuzz
