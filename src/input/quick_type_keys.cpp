#include "input/quick_type_keys.h"

namespace vantorel {

namespace {

// True when `position`'s host key drives that position alone.
bool drivesOnlyItself(const KeyLayoutTable& layout, int position) {
    const std::uint8_t code = layout[position].hostKeyCode;
    for (int other = 0; other < kKeyLayoutEntries; ++other) {
        if (other != position && layout[other].hostKeyCode == code) return false;
    }
    return true;
}

// Gives `character` to `position` unless an earlier position already types it.
void offer(QuickTypeKeyMap& map, std::uint8_t character, std::uint8_t hostKeyCode, bool shift) {
    QuickTypeKey& key = map.keys[character];
    if (character == 0 || key.typeable) return;  // 0: the position types nothing
    key = {true, hostKeyCode, shift};
}

}  // namespace

QuickTypeKeyMap buildQuickTypeKeyMap(const KeyLayoutTable& layout) {
    QuickTypeKeyMap map;
    map.shiftHostKeyCode = layout[kShiftKeyPosition].hostKeyCode;
    const bool shiftUsable = drivesOnlyItself(layout, kShiftKeyPosition);
    std::array<bool, kKeyLayoutEntries> usable{};
    for (int position = 0; position < kKeyLayoutEntries; ++position) {
        usable[position] = position != kShiftKeyPosition && drivesOnlyItself(layout, position);
    }
    // Unshifted characters first, so a key typing the same character both
    // ways (0, space, RETURN) is pressed without SHIFT.
    for (int position = 0; position < kKeyLayoutEntries; ++position) {
        if (usable[position]) {
            offer(map, layout[position].typedCharacter, layout[position].hostKeyCode, false);
        }
    }
    if (!shiftUsable) return map;
    for (int position = 0; position < kKeyLayoutEntries; ++position) {
        if (usable[position]) {
            offer(map, layout[position].shiftedCharacter, layout[position].hostKeyCode, true);
        }
    }
    return map;
}

}  // namespace vantorel
