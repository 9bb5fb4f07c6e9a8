// The Memory dialog's ROM files with any contents: a monitor file is taken
// only at exactly 4,096 bytes and a character file at exactly 1,024, else
// the built-in image goes in and one line names the file. The machine then
// boots from what went in, runs a few frames and is painted.
#include <algorithm>
#include <cstring>

#include "fuzz/fuzz_machine.h"
#include "fuzz/fuzz_targets.h"
#include "machine/builtin_images.h"
#include "machine/rom_files.h"

namespace vantorel::fuzz {

namespace {

bool sameBytes(Bytes a, Bytes b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace

void fuzzRomImage(Bytes input) {
    if (input.empty()) return;
    static ScratchFile monitorFile("monitor.rom");
    static ScratchFile characterFile("characters.rom");
    const bool monitor = (input[0] & 1) != 0;
    const Bytes file = input.subspan(1);
    ScratchFile& scratch = monitor ? monitorFile : characterFile;
    scratch.write(file);

    FuzzMachine fuzz;
    MachineConfig& config = fuzz.machine.config();
    const std::string name = scratch.path().string();
    check(name.size() < kSettingsTextBytes, "the scratch folder's name is too long");
    SettingsText& setting = monitor ? config.ROMfilename : config.CHARfilename;
    setting.fill('\0');
    std::memcpy(setting.data(), name.data(), name.size());
    (monitor ? config.usebuiltinromflag : config.usebuiltincharflag) = false;

    const RomImages builtin = builtinRomImages();
    const auto lines = installBuiltinImages(fuzz.machine.roms(), config, builtin, scratchFolder());
    const std::size_t fits = monitor ? kMonitorRomBytes : kCharacterRomBytes;
    const bool taken = file.size() == fits;
    check(lines.size() == (taken ? 0u : 1u), "a ROM file was taken or refused wrongly");
    const MachineRoms& roms = fuzz.machine.roms();
    const Bytes installed = monitor ? Bytes(*roms.monitor) : Bytes(*roms.characters);
    const Bytes expected =
        taken ? file : (monitor ? Bytes(builtin.monitor) : Bytes(builtin.characters));
    check(sameBytes(installed, expected),
          "the ROM buffer holds neither the file nor the built-in image");

    fuzz.machine.hardReset();
    fuzz.runFrames(3);
    fuzz.paintScreen();
}

}  // namespace vantorel::fuzz
