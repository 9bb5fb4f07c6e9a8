// The Keyboard Map's picture of the Sorcerer's keyboard: every key that
// types or gives a graphic has one cap (SHIFT two), the caps fill their
// rows without overlapping, and each cap's host key follows the keyboard
// mode and the assignments.
#include "input/keyboard_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "input/emulated_key_names.h"
#include "input/key_layout_table.h"
#include "input/keyboard_assignment.h"
#include "support/fake_host.h"

namespace vantorel {
namespace {

using testing::FakeKeys;

KeyNameByCode usKeyNames() {
    FakeKeys keys;
    return buildKeyNameByCode(resolvePcKeyNames(kPcKeyNameTable, keys));
}

const SorcererKeyCap* capAt(std::uint8_t position) {
    for (const SorcererKeyCap& cap : sorcererKeyCaps()) {
        if (cap.position == position) return &cap;
    }
    return nullptr;
}

int emulatedKeyIndex(std::uint8_t position) {
    for (int index = 0; index < kEmulatedKeyCount; ++index) {
        if (kEmulatedKeyNameTable[static_cast<std::size_t>(index)].position == position) {
            return index;
        }
    }
    return -1;
}

TEST(KeyboardMap, EveryKeyHasACapAndTheCapsFillTheirRows) {
    std::map<std::uint8_t, int> capsOf;
    std::map<std::pair<int, bool>, std::vector<const SorcererKeyCap*>> rows;  // row, keypad
    for (const SorcererKeyCap& cap : sorcererKeyCaps()) {
        ASSERT_LT(cap.position, kKeyLayoutEntries);
        ASSERT_LT(cap.row, kKeyMapRows);
        ++capsOf[cap.position];
        rows[{cap.row, cap.x >= kKeyMapKeypadLeft}].push_back(&cap);
    }
    // Each position that types, gives a graphic or is a modifier has a cap;
    // F12's four positions have none.
    for (std::uint8_t position = 0; position < kKeyLayoutEntries; ++position) {
        const KeyLayoutEntry& entry = kKeyLayoutTable[position];
        const bool f12 = entry.hostKeyCode == kVirtualKeyF12;
        EXPECT_EQ(capsOf.count(position), f12 ? 0u : 1u) << int{position};
    }
    EXPECT_EQ(capsOf[4], 2) << "SHIFT at both ends";
    for (auto& [row, caps] : rows) {
        std::sort(caps.begin(), caps.end(),
                  [](const auto* a, const auto* b) { return a->x < b->x; });
        const double left = row.second ? kKeyMapKeypadLeft : 0.0;
        const double right = row.second ? kKeyMapWidth : kKeyMapMainWidth;
        EXPECT_DOUBLE_EQ(caps.front()->x, left) << "row " << row.first;
        for (std::size_t i = 1; i < caps.size(); ++i) {
            EXPECT_DOUBLE_EQ(caps[i]->x, caps[i - 1]->x + caps[i - 1]->width)
                << "row " << row.first << " cap " << i;
        }
        EXPECT_DOUBLE_EQ(caps.back()->x + caps.back()->width, right) << "row " << row.first;
    }
}

TEST(KeyboardMap, CapsPrintTheSorcerersCharactersAndGraphicCodes) {
    EXPECT_EQ(capLegend(*capAt(12)), "A");
    EXPECT_EQ(capLegend(*capAt(14)), "! 1");
    EXPECT_EQ(capLegend(*capAt(51)), "` @");  // the @ key, where the host has '
    EXPECT_EQ(capLegend(*capAt(49)), "0");    // 0 with SHIFT is 0 again
    EXPECT_EQ(capLegend(*capAt(55)), "RUBOUT _");
    EXPECT_EQ(capLegend(*capAt(9)), "RUN STOP");
    EXPECT_EQ(graphicCodeOf(10), 0x80);  // x
    EXPECT_EQ(graphicCodeOf(8), 0x8D);   // SKIP
    EXPECT_EQ(graphicCodeOf(78), 0xBF);  // the keypad's blank key
    EXPECT_EQ(graphicCodeOf(7), 0);      // the space bar gives a space
    EXPECT_EQ(graphicCodeOf(9), 0);
    std::set<int> codes;
    for (std::uint8_t position = 0; position < kKeyLayoutEntries; ++position) {
        if (graphicCodeOf(position) != 0) codes.insert(graphicCodeOf(position));
    }
    EXPECT_EQ(codes.size(), 64u) << "80-BF, each on one key";
}

TEST(KeyboardMap, HostKeysFollowTheModeAndTheAssignments) {
    const KeyNameByCode names = usKeyNames();
    MachineConfig config;
    config.emulatedflag = true;
    EXPECT_EQ(hostKeyLabel(51, config, names), "'");  // @ sits where the host has '
    EXPECT_EQ(hostKeyLabel(54, config, names), "-");  // : where the host has -
    EXPECT_EQ(hostKeyLabel(12, config, names), "A");
    EXPECT_EQ(hostKeyLabel(9, config, names), "Esc");
    EXPECT_EQ(hostKeyLabel(4, config, names), "Shift");
    EXPECT_EQ(hostKeyLabel(3, config, names), "Caps Lock");
    EXPECT_EQ(hostKeyLabel(1, config, names), "F1");
    EXPECT_EQ(hostKeyLabel(69, config, names), "Num 7");
    EXPECT_EQ(hostKeyLabel(55, config, names), "Backspace");

    // Assignments count only in sensible mode.
    const int at = emulatedKeyIndex(51);
    ASSERT_GE(at, 0);
    assignCombination(config, {HostModifier::none, 0x74}, kBoardNormal, at);
    assignCombination(config, {HostModifier::shift, 0x74}, kBoardShift, at);
    EXPECT_EQ(hostKeyLabel(51, config, names), "'");

    config.emulatedflag = false;
    EXPECT_EQ(hostKeyLabel(51, config, names), "F5\nShift F5 (SHIFT)\n@ `");
    EXPECT_EQ(hostKeyLabel(54, config, names), ": *");
    EXPECT_EQ(hostKeyLabel(12, config, names), "A");
    EXPECT_EQ(hostKeyLabel(49, config, names), "0");
    EXPECT_EQ(hostKeyLabel(9, config, names), "Esc");            // types no character: its place
    EXPECT_EQ(hostKeyLabel(55, config, names), "Backspace\n_");  // and the host's _
    EXPECT_EQ(hostKeyLabel(69, config, names), "Num 7");
    EXPECT_EQ(hostKeyLabel(80, config, names), "");
}

}  // namespace
}  // namespace vantorel
