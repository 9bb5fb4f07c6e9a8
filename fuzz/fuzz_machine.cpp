#include "fuzz/fuzz_machine.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/boot.h"
#include "machine/video.h"

namespace vantorel::fuzz {

namespace fs = std::filesystem;

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

const fs::path& scratchFolder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() /
                        ("vantorel-fuzz-" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

ScratchFile::ScratchFile(const char* name) : path_(scratchFolder() / name) {}

const fs::path& ScratchFile::write(std::span<const std::uint8_t> bytes) {
    std::ofstream file(path_, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    check(static_cast<bool>(file), "the scratch file could not be written");
    return path_;
}

FuzzMachine::FuzzMachine() {
    boot({machine}, SettingsFiles{{}, scratchFolder()});
}

void FuzzMachine::runFrames(int frames) {
    for (int frame = 0; frame < frames; ++frame) machine.runFrame();
}

void FuzzMachine::jumpTo(std::uint16_t address) {
    Z80State registers = machine.registers();
    registers.PC = address;
    machine.setRegisters(registers);
}

void FuzzMachine::halt() {
    machine.memory().image[0x0100] = 0x76;  // HALT
    jumpTo(0x0100);
}

void FuzzMachine::paintScreen() {
    static const auto image = std::make_unique<FrameImage>();
    renderFrameImage(machine, makeVideoPalette(machine.config().colours), *image);
}

}  // namespace vantorel::fuzz
