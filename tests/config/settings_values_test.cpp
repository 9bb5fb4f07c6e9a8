#include "config/settings_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vantorel {
namespace {

ProfileDocument section(const std::string& body) {
    return ProfileDocument::parse("[S]\n" + body);
}

TEST(SettingsValues, FlagsReadTheTenWordsInAnyCaseAndIgnoreOthers) {
    const auto document =
        section("a=Yes\nb=OFF\nc=maybe\nd=y\ne=N\nf=TRUE\ng=0\nh=\ni=yes            x\nj=on\n");
    const struct {
        const char* key;
        bool before;
        bool after;
    } cases[] = {{"a", false, true}, {"b", true, false}, {"c", true, true},  {"c", false, false},
                 {"d", false, true}, {"e", true, false}, {"f", false, true}, {"g", true, false},
                 {"h", true, true},  {"i", true, true},  {"j", false, true}, {"zz", true, true}};
    for (const auto& c : cases) {
        bool field = c.before;
        readFlagSetting(document, "S", c.key, field);
        EXPECT_EQ(field, c.after) << c.key;
    }
}

TEST(SettingsValues, IntegersClampAndNeverWrap) {
    const auto document = section(
        "seven=7\nzero=0\nbig=150\nhuge=4294967297\nhugeneg=-99999999999\nword=abc\nneg=-1\n");
    std::int32_t field = 2;
    readIntSetting(document, "S", "seven", field, {0, 3});
    EXPECT_EQ(field, 3);
    readIntSetting(document, "S", "zero", field, {1, 3});
    EXPECT_EQ(field, 1);
    readIntSetting(document, "S", "big", field, {0, 100});
    EXPECT_EQ(field, 100);
    readIntSetting(document, "S", "huge", field, {0, 3});
    EXPECT_EQ(field, 3);  // Windows would wrap this to 1
    readIntSetting(document, "S", "hugeneg", field, {1, 600});
    EXPECT_EQ(field, 1);
    readIntSetting(document, "S", "word", field, {0, 3});
    EXPECT_EQ(field, 0);  // present but not a number: 0, not the default
    field = 2;
    readIntSetting(document, "S", "missing", field, {0, 3});
    EXPECT_EQ(field, 2);
    readIntSetting(document, "S", "huge", field);
    EXPECT_EQ(field, 2147483647);
    readIntSetting(document, "S", "neg", field);
    EXPECT_EQ(field, -1);
    std::uint32_t cycles = 32097;
    readIntSetting(document, "S", "huge", cycles);
    EXPECT_EQ(cycles, 4294967295u);
    readIntSetting(document, "S", "neg", cycles);
    EXPECT_EQ(cycles, 0u);  // not four thousand million
}

TEST(SettingsValues, TextsAreCutAt255Characters) {
    const std::string long300(300, 'q');
    const auto document = section("name=" + long300 + "\nblank=\n");
    SettingsText field = makeSettingsText("ROM/CHARS.BIN");
    readStringSetting(document, "S", "missing", field);
    EXPECT_STREQ(field.data(), "ROM/CHARS.BIN");
    readStringSetting(document, "S", "name", field);
    EXPECT_EQ(std::strlen(field.data()), 255u);
    readStringSetting(document, "S", "blank", field);
    EXPECT_STREQ(field.data(), "");
}

TEST(SettingsValues, ColoursNeedExactlyNineDigits) {
    const auto document = ProfileDocument::parse(
        "[COLOR]\nc00=300000255\nc01=016096016\nc02=1696\nc03=01a096016\nc04=0160960160\n"
        "c05=-16096016\n");
    const RgbColour unchanged{1, 2, 3};
    RgbColour colours[6] = {unchanged, unchanged, unchanged, unchanged, unchanged, unchanged};
    const char* keys[6] = {"c00", "c01", "c02", "c03", "c04", "c05"};
    for (int entry = 0; entry < 6; ++entry)
        readColourSetting(document, "COLOR", keys[entry], colours[entry]);
    EXPECT_EQ(colours[0], (RgbColour{44, 0, 255}));  // 300 modulo 256
    EXPECT_EQ(colours[1], (RgbColour{16, 96, 16}));
    for (int entry = 2; entry < 6; ++entry) EXPECT_EQ(colours[entry], unchanged) << entry;
}

TEST(SettingsValues, KeyTablesStoreTheLowEightBits) {
    const auto document = ProfileDocument::parse("[KEYBOARD]\nn00=511\nn0a=65\nN0B=-1\nnff=x\n");
    KeyAssignmentTable table = MachineConfig::filledKeyTable();
    table[0x0c] = 7;
    readKeyTableSetting(document, "KEYBOARD", "n", table);
    EXPECT_EQ(table[0x00], 255);
    EXPECT_EQ(table[0x0a], 65);
    EXPECT_EQ(table[0x0b], 255);
    EXPECT_EQ(table[0x0c], 7);  // missing: kept
    EXPECT_EQ(table[0xff], 0);  // not a number: 0
}

TEST(SettingsValues, WritersUseTheFileEncodings) {
    ProfileDocument document = ProfileDocument::parse("");
    KeyAssignmentTable table = MachineConfig::filledKeyTable();
    table[0x1b] = 3;
    writeFlagSetting(document, "S", "f", true);
    writeFlagSetting(document, "S", "g", false);
    writeIntSetting(document, "S", "i", -5);
    writeStringSetting(document, "S", "t", makeSettingsText(" LPRINT.TXT"));
    writeColourSetting(document, "S", "c01", RgbColour{16, 96, 6});
    writeKeyTableSetting(document, "K", "s", table);
    const std::string text = document.serialize();
    // A text with a blank at an end goes in quotes, so that it reads back whole.
    const std::string start = "[S]\nf=1\ng=0\ni=-5\nt=\" LPRINT.TXT\"\nc01=016096006\n\n[K]\n";
    EXPECT_EQ(text.substr(0, start.size()), start);
    SettingsText readBack{};
    readStringSetting(ProfileDocument::parse(text), "S", "t", readBack);
    EXPECT_EQ(readBack, makeSettingsText(" LPRINT.TXT"));
    EXPECT_NE(text.find("\ns1a=255\ns1b=3\ns1c=255\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 8), "sff=255\n");
}

}  // namespace
}  // namespace vantorel
