// The settings file with any contents. Loading takes what it can and keeps
// every value in its range; saving every section and loading again must give
// the same record, and a second save must not change the file: a value that
// does not survive its own save would be lost or altered in the user's file.
// A file that is not a settings file is never written: its saves fail and
// leave it byte for byte, and the round trip is made in a new file instead.
// The same bytes also go in as the pointer file that names the settings
// file, which must name a file in the start-up folder, whatever it says.
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "config/frame_timing.h"
#include "config/profile_file.h"
#include "config/settings_file.h"
#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/builtin_images.h"
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
    check(found.parent_path() == folder, "the pointer file named a file in another folder");
    check(isPlainSettingsFileName(found.filename().string()),
          "the pointer file named something other than a plain file name");
}

}  // namespace

void fuzzSettings(Bytes file) {
    static ScratchFile scratch("settings.ini");
    static ScratchFile fresh("fresh.ini");
    fs::path path = scratch.write(file);
    FuzzMachine fuzz;
    MachineConfig& loaded = fuzz.machine.config();
    loadSettings(path, loaded, [&] {
        installBuiltinImages(fuzz.machine.roms(), loaded, builtinRomImages(), scratchFolder());
    });
    // Whatever was read, the machine can be timed and painted with it.
    fuzz.machine.computeTiming();
    check(fuzz.machine.timing().framesPerSecond >= 1, "a frame rate below 1");
    makeVideoPalette(loaded.colours);

    if (openProfileFile(path).state != ProfileFileState::loaded) {
        const std::string before = fileText(path);
        testing::saveEverySettingsSection(path, loaded);
        check(fileText(path) == before, "a save wrote into a file that is not a settings file");
        path = fresh.path();
        std::error_code error;
        fs::remove(path, error);
    }
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
