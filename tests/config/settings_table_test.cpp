// The settings table against the record: every field of MachineConfig has
// its key(s), each field is held by the table exactly once, and a record with
// every field changed comes back whole through the dialogs' saves and a load.
#include "config/settings_table.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "config/settings_file.h"
#include "support/every_settings_section.h"
#include "temp_directory.h"

namespace vantorel {
namespace {

struct FieldBytes {
    std::size_t offset;
    std::size_t size;
};

template <typename... Fields>
std::vector<FieldBytes> bytesOf(const MachineConfig& config, const Fields&... fields) {
    const auto* record = reinterpret_cast<const std::byte*>(&config);
    return {
        FieldBytes{static_cast<std::size_t>(reinterpret_cast<const std::byte*>(&fields) - record),
                   sizeof(Fields)}...};
}

// Every field of the record, in declaration order. The binding must name each
// field, so a field added to MachineConfig stops this compiling until it is
// named here, and so given a changed value below and checked by the tests.
std::vector<FieldBytes> everyField(const MachineConfig& config) {
    const auto& [enhancedflag, ramexpanders, writeROMflag, usebuiltinromflag, usebuiltincharflag,
                 ROMfilename, CHARfilename, autolinefeedflag, fixedwidthflag, width, filename,
                 emulatedflag, normalKeys, shiftKeys, ctrlKeys, cpuspeedopt, ntscmultiplierpct,
                 palmultiplierpct, activescancust, vblankcust, fpscust, usevideoupdatepsflag,
                 videoupdatesps, speedupfilesflag, clickerflag, ayflag, clickervolpct, ayvolpct,
                 muteflag, windowscalingX, windowscalingY, showmessagesflag, fitpictureflag,
                 fitsmoothflag, colours, keysasjoystickflag, keeprunningflag, windowleft, windowtop,
                 rewindmegabytes] = config;
    return bytesOf(config, enhancedflag, ramexpanders, writeROMflag, usebuiltinromflag,
                   usebuiltincharflag, ROMfilename, CHARfilename, autolinefeedflag, fixedwidthflag,
                   width, filename, emulatedflag, normalKeys, shiftKeys, ctrlKeys, cpuspeedopt,
                   ntscmultiplierpct, palmultiplierpct, activescancust, vblankcust, fpscust,
                   usevideoupdatepsflag, videoupdatesps, speedupfilesflag, clickerflag, ayflag,
                   clickervolpct, ayvolpct, muteflag, windowscalingX, windowscalingY,
                   showmessagesflag, fitpictureflag, fitsmoothflag, colours, keysasjoystickflag,
                   keeprunningflag, windowleft, windowtop, rewindmegabytes);
}

// For each field in declaration order, whether it holds the same bytes in
// both records.
std::vector<bool> sameFields(const MachineConfig& a, const MachineConfig& b) {
    std::vector<bool> same;
    for (const FieldBytes& field : everyField(a)) {
        same.push_back(std::memcmp(reinterpret_cast<const std::byte*>(&a) + field.offset,
                                   reinterpret_cast<const std::byte*>(&b) + field.offset,
                                   field.size) == 0);
    }
    return same;
}

FieldBytes bytesOfSetting(const MachineConfig& config, const Setting& setting) {
    const auto bytes = [&](auto field) {
        if constexpr (std::is_same_v<decltype(field), ColourEntry>) {
            return bytesOf(config, config.colours[field.index]).front();
        } else {
            return bytesOf(config, config.*field).front();
        }
    };
    return std::visit(bytes, setting.field);
}

// Every field away from its default, each value inside its range and at an
// edge where it has one.
MachineConfig everyFieldChanged() {
    MachineConfig config;
    config.enhancedflag = config.writeROMflag = true;
    config.ramexpanders = 0;
    config.usebuiltinromflag = config.usebuiltincharflag = false;
    config.ROMfilename = makeSettingsText(" roms/monitor 2.bin ");
    config.CHARfilename = makeSettingsText(std::string(255, 'c').c_str());
    config.autolinefeedflag = false;
    config.fixedwidthflag = true;
    config.width = -2147483647 - 1;
    config.filename = makeSettingsText("\"out.txt\"");
    config.emulatedflag = false;
    for (int i = 0; i < 256; ++i) {
        config.normalKeys[i] = static_cast<std::uint8_t>(i);
        config.shiftKeys[i] = static_cast<std::uint8_t>(255 - i);
        config.ctrlKeys[i] = static_cast<std::uint8_t>(i * 7);
    }
    config.cpuspeedopt = 3;
    config.ntscmultiplierpct = 1000;
    config.palmultiplierpct = 1;
    config.activescancust = 2106360;
    config.vblankcust = 24;
    config.fpscust = 600;
    config.usevideoupdatepsflag = true;
    config.videoupdatesps = 1;
    config.speedupfilesflag = false;
    config.clickerflag = config.ayflag = false;
    config.clickervolpct = 0;
    config.ayvolpct = 100;
    config.windowscalingX = 3;
    config.windowscalingY = 1;
    config.showmessagesflag = false;
    config.fitpictureflag = config.fitsmoothflag = true;
    config.colours = {RgbColour{255, 0, 1}, RgbColour{2, 128, 254}, RgbColour{0, 0, 0}};
    config.keysasjoystickflag = true;
    config.rewindmegabytes = 200;
    config.keeprunningflag = true;
    config.muteflag = true;
    config.windowleft = -32768;
    config.windowtop = 32767;
    return config;
}

TEST(SettingsTable, EveryFieldSurvivesTheDialogSavesAndALoad) {
    const MachineConfig changed = everyFieldChanged();
    const std::size_t fieldCount = everyField(changed).size();
    EXPECT_EQ(sameFields(changed, MachineConfig{}), std::vector<bool>(fieldCount, false))
        << "every field is changed from its default";

    testing::TempDirectory folder;
    testing::saveEverySettingsSection(folder / "all.ini", changed);
    MachineConfig loaded;
    loadSettings(folder / "all.ini", loaded, nullptr);
    EXPECT_EQ(sameFields(loaded, changed), std::vector<bool>(fieldCount, true))
        << "a field was not saved, not loaded or not kept";
    EXPECT_TRUE(loaded == changed);
}

TEST(SettingsTable, HoldsEveryFieldOnce) {
    const MachineConfig config;
    std::vector<int> holders(sizeof(MachineConfig), 0);
    for (const Setting& setting : kSettings) {
        const FieldBytes bytes = bytesOfSetting(config, setting);
        for (std::size_t at = 0; at < bytes.size; ++at) ++holders[bytes.offset + at];
    }
    const std::vector<FieldBytes> fields = everyField(config);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (std::size_t at = 0; at < fields[i].size; ++at) {
            ASSERT_EQ(holders[fields[i].offset + at], 1)
                << "byte " << at << " of field " << i << " of MachineConfig";
        }
    }
}

}  // namespace
}  // namespace vantorel
