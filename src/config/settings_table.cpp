#include "config/settings_table.h"

#include <algorithm>
#include <type_traits>

#include "config/profile_text.h"

namespace vantorel {

namespace {

// Each section's keys stand together, as in the file, and no key is listed
// twice (names are matched without regard to case).
constexpr bool sectionsStandTogether() {
    for (std::size_t i = 1; i < kSettings.size(); ++i) {
        if (equalsIgnoringCase(kSettings[i].section, kSettings[i - 1].section)) continue;
        for (std::size_t j = 0; j + 1 < i; ++j) {  // a section that starts here came before
            if (equalsIgnoringCase(kSettings[j].section, kSettings[i].section)) return false;
        }
    }
    return true;
}

constexpr bool everyKeyOnce() {
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        for (std::size_t j = i + 1; j < kSettings.size(); ++j) {
            if (equalsIgnoringCase(kSettings[i].section, kSettings[j].section) &&
                equalsIgnoringCase(kSettings[i].key, kSettings[j].key)) {
                return false;
            }
        }
    }
    return true;
}

constexpr bool holdsInteger(ColourEntry) {
    return false;
}
template <typename Member>
constexpr bool holdsInteger(Member MachineConfig::*) {
    return SettingInteger<Member>;
}

// A range or a missing-key rule is given only where an integer can use it.
constexpr bool rulesOnlyOnIntegers() {
    for (const Setting& setting : kSettings) {
        const bool ruled = setting.range != IntRange{} || setting.missing != MissingKey::keepsField;
        if (ruled && !std::visit([](auto field) { return holdsInteger(field); }, setting.field)) {
            return false;
        }
    }
    return true;
}

static_assert(sectionsStandTogether(), "a section's keys are listed together");
static_assert(everyKeyOnce(), "a key is listed once");
static_assert(rulesOnlyOnIntegers(), "ranges and missing-key rules are for integers");

}  // namespace

void readSetting(const ProfileDocument& document, const Setting& setting, MachineConfig& config) {
    const auto read = [&](auto field) {
        if constexpr (std::is_same_v<decltype(field), ColourEntry>) {
            readColourSetting(document, setting.section, setting.key, config.colours[field.index]);
        } else {
            auto& value = config.*field;
            using Member = std::remove_reference_t<decltype(value)>;
            if constexpr (std::is_same_v<Member, bool>) {
                readFlagSetting(document, setting.section, setting.key, value);
            } else if constexpr (SettingInteger<Member>) {
                if (setting.missing == MissingKey::readsZero) value = 0;
                readIntSetting(document, setting.section, setting.key, value, setting.range);
            } else if constexpr (std::is_same_v<Member, SettingsText>) {
                readStringSetting(document, setting.section, setting.key, value);
            } else {
                readKeyTableSetting(document, setting.section, setting.key, value);
            }
        }
    };
    std::visit(read, setting.field);
}

void writeSetting(ProfileDocument& document, const Setting& setting, const MachineConfig& config) {
    const auto write = [&](auto field) {
        if constexpr (std::is_same_v<decltype(field), ColourEntry>) {
            writeColourSetting(document, setting.section, setting.key, config.colours[field.index]);
        } else {
            const auto& value = config.*field;
            using Member = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<Member, bool>) {
                writeFlagSetting(document, setting.section, setting.key, value);
            } else if constexpr (SettingInteger<Member>) {
                writeIntSetting(document, setting.section, setting.key, value);
            } else if constexpr (std::is_same_v<Member, SettingsText>) {
                writeStringSetting(document, setting.section, setting.key, value);
            } else {
                writeKeyTableSetting(document, setting.section, setting.key, value);
            }
        }
    };
    std::visit(write, setting.field);
}

}  // namespace vantorel
