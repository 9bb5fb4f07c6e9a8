// The named host keys, the named Sorcerer keys, and the assignment edits
// the Configure Keyboard dialog makes.
#include "input/keyboard_assignment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/emulated_key_names.h"
#include "input/key_layout_table.h"
#include "support/fake_host.h"

namespace vantorel {
namespace {

using testing::FakeKeys;

KeyNameByCode usKeyNames() {
    FakeKeys keys;
    return buildKeyNameByCode(resolvePcKeyNames(kPcKeyNameTable, keys));
}

TEST(PcKeyNames, PunctuationIsFoundOnTheUsLayoutAndModifiersHaveNoName) {
    const KeyNameByCode names = usKeyNames();
    EXPECT_STREQ(names[0x1B], "Esc");
    EXPECT_STREQ(names[0x41], "a");
    EXPECT_STREQ(names[0xC0], "`");
    EXPECT_STREQ(names[0xBD], "-");
    EXPECT_STREQ(names[0xDC], "\\");
    EXPECT_STREQ(names[0xBF], "/");
    EXPECT_STREQ(names[0x61], "Num 1");
    EXPECT_STREQ(names[0x13], "Pause");
    EXPECT_EQ(names[0x10], nullptr);
    EXPECT_EQ(names[0x11], nullptr);
    int named = 0;
    for (const char* name : names) named += name != nullptr ? 1 : 0;
    EXPECT_EQ(named, kPcKeyCount);  // no two keys share a code on the US layout
    EXPECT_EQ(kPcKeyNameTable[kPcKeyCount - 1].code, 0x13);
}

TEST(EmulatedKeyNames, EveryRowIsATypewriterKeyNamedByWhatItTypes) {
    std::set<int> positions;
    for (const EmulatedKeyName& key : kEmulatedKeyNameTable) {
        positions.insert(key.position);
        const KeyLayoutEntry& entry = kKeyLayoutTable[key.position];
        ASSERT_NE(entry.typedCharacter, 0) << key.names[0];
        const char typed = static_cast<char>(entry.typedCharacter);
        EXPECT_EQ(std::string(key.names[0]), std::string(1, typed));
        // The SHIFT name begins with what SHIFT types (RUBOUT is spelled out).
        EXPECT_EQ(key.names[1][0], entry.shiftedCharacter == 0x7F ? 'R' : entry.shiftedCharacter)
            << key.names[1];
        const char cap =
            typed >= 'a' && typed <= 'z' ? static_cast<char>(typed - 'a' + 'A') : typed;
        EXPECT_EQ(std::string(key.names[2]), std::string("Ctrl ") + cap);
    }
    EXPECT_EQ(positions.size(), static_cast<std::size_t>(kEmulatedKeyCount));
    EXPECT_STREQ(kEmulatedKeyNameTable[0].names[1], "A");
    EXPECT_STREQ(kEmulatedKeyNameTable[26].names[1], "! (Shift 1)");
}

TEST(KeyAssignment, CaptureTakesTheHighestNamedKeyWithShiftBeforeCtrl) {
    const KeyNameByCode names = usKeyNames();
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    EXPECT_FALSE(heldCombination(states, names));
    states[0x10] = kKeyDownBit;
    states[0xA0] = kKeyDownBit;
    EXPECT_FALSE(heldCombination(states, names));  // Shift alone is no key
    states[0x41] = kKeyDownBit;
    states[0x11] = kKeyDownBit;
    EXPECT_EQ(heldCombination(states, names), (HostKeyCombination{HostModifier::shift, 0x41}));
    states[0x10] = 0;
    states[0x61] = kKeyDownBit;
    EXPECT_EQ(heldCombination(states, names), (HostKeyCombination{HostModifier::ctrl, 0x61}));
    EXPECT_EQ(combinationText({HostModifier::ctrl, 0x61}, names), "Ctrl Num 1");
}

TEST(KeyAssignment, ListsAndDeletesInCodeThenTableOrder) {
    const KeyNameByCode names = usKeyNames();
    MachineConfig config;
    assignCombination(config, {HostModifier::ctrl, 0x41}, kBoardShift, 5);
    assignCombination(config, {HostModifier::none, 0x42}, kBoardShift, 5);
    assignCombination(config, {HostModifier::none, 0x41}, kBoardShift, 5);
    assignCombination(config, {HostModifier::shift, 0x41}, kBoardNormal, 5);  // other board
    assignCombination(config, {HostModifier::none, 0x10}, kBoardShift, 5);    // Shift: no name
    EXPECT_EQ(config.ctrlKeys[0x41], 0x45);
    const std::vector<HostKeyCombination> expected = {
        {HostModifier::none, 0x41}, {HostModifier::ctrl, 0x41}, {HostModifier::none, 0x42}};
    EXPECT_EQ(assignedCombinations(config, names, kBoardShift, 5), expected);

    EXPECT_FALSE(deleteAssignment(config, names, kBoardShift, 5, 3));
    EXPECT_TRUE(deleteAssignment(config, names, kBoardShift, 5, 1));  // Ctrl a
    EXPECT_EQ(config.ctrlKeys[0x41], kUnassignedKey);
    EXPECT_EQ(config.normalKeys[0x41], 0x45);
    EXPECT_EQ(config.shiftKeys[0x41], 0x05);
}

}  // namespace
}  // namespace vantorel
