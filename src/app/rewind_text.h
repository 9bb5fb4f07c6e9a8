// What the window's title says about the timeline while the rewind key is
// held: "Rewind 0:42 / 5:40", where the machine now stands and how far the
// timeline reaches (it reaches back to 0:00, the start of the run).
//
// Called by the main window when it updates its title.
#pragma once

#include <cstdint>
#include <string>

namespace vantorel {

class Timeline;

// Minutes and seconds ("1:05"), hours when there are some ("1:02:03").
std::string emulatedTimeText(std::int64_t frames, std::int32_t framesPerSecond);

std::string rewindTitleText(const Timeline& timeline, std::int32_t framesPerSecond);

}  // namespace vantorel
