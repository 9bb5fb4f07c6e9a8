#include "app/rewind_text.h"

#include <algorithm>
#include <cstdio>

#include "timeline/timeline.h"

namespace vantorel {

std::string emulatedTimeText(std::int64_t frames, std::int32_t framesPerSecond) {
    const std::int64_t seconds = std::max<std::int64_t>(frames, 0) / std::max(framesPerSecond, 1);
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

std::string rewindTitleText(const Timeline& timeline, std::int32_t framesPerSecond) {
    return "Rewind " + emulatedTimeText(timeline.position(), framesPerSecond) + " / " +
           emulatedTimeText(timeline.end(), framesPerSecond);
}

}  // namespace vantorel
