#include "input/keyboard_assignment.h"

#include "input/key_layout_table.h"

namespace vantorel {

namespace {

constexpr HostModifier kTableOrder[] = {HostModifier::none, HostModifier::shift,
                                        HostModifier::ctrl};

bool assignedTo(std::uint8_t value, std::uint8_t board, int index) {
    return value != kUnassignedKey && (value & kBoardBits) == board &&
           (value & kEmulatedKeyBits) == index;
}

bool isDown(std::span<const std::uint8_t, kVirtualKeyCount> states, std::uint8_t code) {
    return (states[code] & kKeyDownBit) != 0;
}

}  // namespace

const KeyAssignmentTable& assignmentTable(const MachineConfig& config, HostModifier modifier) {
    switch (modifier) {
        case HostModifier::shift:
            return config.shiftKeys;
        case HostModifier::ctrl:
            return config.ctrlKeys;
        case HostModifier::none:
            break;
    }
    return config.normalKeys;
}

KeyAssignmentTable& assignmentTable(MachineConfig& config, HostModifier modifier) {
    return const_cast<KeyAssignmentTable&>(
        assignmentTable(static_cast<const MachineConfig&>(config), modifier));
}

std::string combinationText(const HostKeyCombination& combination, const KeyNameByCode& names) {
    const char* name = names[combination.code];
    if (name == nullptr) return {};
    switch (combination.modifier) {
        case HostModifier::shift:
            return std::string("Shift ") + name;
        case HostModifier::ctrl:
            return std::string("Ctrl ") + name;
        case HostModifier::none:
            break;
    }
    return name;
}

std::vector<HostKeyCombination> assignedCombinations(const MachineConfig& config,
                                                     const KeyNameByCode& names, std::uint8_t board,
                                                     int index) {
    std::vector<HostKeyCombination> found;
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        if (names[code] == nullptr) continue;
        for (HostModifier modifier : kTableOrder) {
            if (assignedTo(assignmentTable(config, modifier)[code], board, index)) {
                found.push_back({modifier, static_cast<std::uint8_t>(code)});
            }
        }
    }
    return found;
}

bool deleteAssignment(MachineConfig& config, const KeyNameByCode& names, std::uint8_t board,
                      int index, int line) {
    const std::vector<HostKeyCombination> lines = assignedCombinations(config, names, board, index);
    if (line < 0 || line >= static_cast<int>(lines.size())) return false;
    const HostKeyCombination& gone = lines[static_cast<std::size_t>(line)];
    assignmentTable(config, gone.modifier)[gone.code] = kUnassignedKey;
    return true;
}

std::optional<HostKeyCombination> heldCombination(
    std::span<const std::uint8_t, kVirtualKeyCount> states, const KeyNameByCode& names) {
    std::optional<HostKeyCombination> held;
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        const auto key = static_cast<std::uint8_t>(code);
        if (names[key] != nullptr && isDown(states, key)) held = HostKeyCombination{{}, key};
    }
    if (!held) return held;
    if (isDown(states, kVirtualKeyShift)) {
        held->modifier = HostModifier::shift;
    } else if (isDown(states, kVirtualKeyControl)) {
        held->modifier = HostModifier::ctrl;
    }
    return held;
}

void assignCombination(MachineConfig& config, const HostKeyCombination& combination,
                       std::uint8_t board, int index) {
    assignmentTable(config, combination.modifier)[combination.code] =
        static_cast<std::uint8_t>(board | (index & kEmulatedKeyBits));
}

}  // namespace vantorel
