#include "app/state_slots.h"

#include <cstdio>

namespace vantorel {

StateSlots::StateSlots(std::filesystem::path startup, std::string version)
    : folder_(std::move(startup) / "states"), version_(std::move(version)) {}

void StateSlots::choose(int slot) {
    if (slot >= 1 && slot <= kStateSlots) current_ = slot;
}

std::filesystem::path StateSlots::pathOf(const Machine& machine, int slot) const {
    char key[17];
    std::snprintf(key, sizeof key, "%016llx",
                  static_cast<unsigned long long>(programKey(romHashesOf(machine))));
    return folder_ / key / ("slot" + std::to_string(slot) + ".vstate");
}

std::optional<std::string> StateSlots::save(const Machine& machine, std::int64_t emulatedFrames,
                                            std::int64_t nowSeconds) {
    const StateFileHeader header = stateHeaderFor(machine, version_, emulatedFrames, nowSeconds);
    return saveStateFile(pathOf(machine, current_), machine, header);
}

StateFileRead StateSlots::read(const Machine& machine, int slot) const {
    const std::filesystem::path path = pathOf(machine, slot);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        StateFileRead empty;
        empty.problem = "slot " + std::to_string(slot) + " is empty";
        return empty;
    }
    return loadStateFile(path, machine, version_);
}

std::optional<std::string> StateSlots::load(Machine& machine) {
    StateFileRead read = this->read(machine, current_);
    if (!read.snapshot) {
        return "State " + std::to_string(current_) + " was not loaded: " + read.problem + ".";
    }
    beforeLoad_ = machine.capture();
    machine.endRecordingFile();
    machine.restore(*read.snapshot);
    return std::nullopt;
}

bool StateSlots::undoLoad(Machine& machine) {
    if (!beforeLoad_) return false;
    machine.endRecordingFile();
    machine.restore(*beforeLoad_);
    beforeLoad_.reset();
    return true;
}

}  // namespace vantorel
