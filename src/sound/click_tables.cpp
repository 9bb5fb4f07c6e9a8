#include "sound/click_tables.h"

#include <algorithm>

namespace vantorel {

namespace {

constexpr std::array<std::int16_t, kClickSamples> kClickShape = {
    22, 44, 52, 58, 59, 60, 59, 57, 56, 54, 53, 51, 50, 48, 46, 45, 43, 42, 41, 39, 38,
    37, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 21, 20, 19, 18, 17,
    17, 16, 15, 15, 14, 13, 12, 12, 11, 11, 10, 10, 9,  9,  8,  8,  8,  7,  7,  6,  6,
    6,  5,  5,  5,  4,  4,  4,  3,  3,  3,  2,  2,  2,  2,  2,  1,  1,  1,  1,  1};

constexpr std::int32_t kShapeScale = 128;

}  // namespace

ClickTables buildClickTables(std::int32_t volumePercent) {
    const std::int32_t percent = std::clamp(volumePercent, 0, 100);
    ClickTables tables;
    for (std::size_t i = 0; i < kClickSamples; ++i) {
        const std::int32_t value = kClickShape[i] * kShapeScale * percent / 100;
        tables.rising[i] = static_cast<std::int16_t>(value);
        tables.falling[i] = static_cast<std::int16_t>(-value);
    }
    return tables;
}

}  // namespace vantorel
