#include "timeline/ay_state_log.h"

#include <algorithm>

namespace vantorel {

void AyStateLog::note(std::int64_t frame, const AyChip& before, const AyChip& after) {
    const auto* from = reinterpret_cast<const std::uint8_t*>(&before);
    const auto* to = reinterpret_cast<const std::uint8_t*>(&after);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < sizeof(AyChip); ++i) changed += from[i] != to[i] ? 1 : 0;
    if (changed == 0) return;
    frames_.push_back(frame);
    starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    bytes_.push_back(static_cast<std::uint8_t>(changed));
    for (std::size_t i = 0; i < sizeof(AyChip); ++i) {
        if (from[i] == to[i]) continue;
        bytes_.push_back(static_cast<std::uint8_t>(i));
        bytes_.push_back(to[i]);
    }
}

std::size_t AyStateLog::seek(std::int64_t frame) const {
    return static_cast<std::size_t>(std::lower_bound(frames_.begin(), frames_.end(), frame) -
                                    frames_.begin());
}

void AyStateLog::apply(std::int64_t frame, AyChip& chip, std::size_t& from) const {
    auto* to = reinterpret_cast<std::uint8_t*>(&chip);
    while (from < frames_.size() && frames_[from] < frame) ++from;
    for (; from < frames_.size() && frames_[from] == frame; ++from) {
        std::size_t at = starts_[from];
        const std::uint8_t count = bytes_[at++];
        for (std::uint8_t i = 0; i < count; ++i, at += 2) to[bytes_[at]] = bytes_[at + 1];
    }
}

void AyStateLog::dropFrom(std::int64_t frame) {
    const std::size_t keep = seek(frame);
    if (keep >= frames_.size()) return;
    bytes_.resize(starts_[keep]);
    frames_.resize(keep);
    starts_.resize(keep);
}

void AyStateLog::clear() {
    frames_.clear();
    starts_.clear();
    bytes_.clear();
}

std::size_t AyStateLog::memoryBytes() const {
    return frames_.capacity() * sizeof(std::int64_t) + starts_.capacity() * sizeof(std::uint32_t) +
           bytes_.capacity();
}

}  // namespace vantorel
