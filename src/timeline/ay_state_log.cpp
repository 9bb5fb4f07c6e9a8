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

// Each entry: its frame (8 bytes, little-endian), then its count and pairs.
std::vector<std::uint8_t> AyStateLog::toBytes() const {
    std::vector<std::uint8_t> out;
    for (std::size_t entry = 0; entry < frames_.size(); ++entry) {
        for (int i = 0; i < 8; ++i) {
            out.push_back(
                static_cast<std::uint8_t>(static_cast<std::uint64_t>(frames_[entry]) >> (8 * i)));
        }
        const std::size_t start = starts_[entry];
        const std::size_t end = start + 1 + 2 * std::size_t{bytes_[start]};
        out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(start),
                   bytes_.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return out;
}

bool AyStateLog::fromBytes(std::span<const std::uint8_t> bytes) {
    clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 9) return false;
        std::uint64_t frame = 0;
        for (int i = 0; i < 8; ++i)
            frame |= std::uint64_t{bytes[at + static_cast<std::size_t>(i)]} << (8 * i);
        at += 8;
        const std::uint8_t count = bytes[at];
        if (bytes.size() - at < 1 + 2 * std::size_t{count}) return false;
        for (std::size_t pair = 0; pair < count; ++pair) {
            if (bytes[at + 1 + 2 * pair] >= sizeof(AyChip)) return false;
        }
        const auto asFrame = static_cast<std::int64_t>(frame);
        if (asFrame < 0 || (!frames_.empty() && asFrame < frames_.back())) return false;
        frames_.push_back(asFrame);
        starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
        bytes_.insert(bytes_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + 1 + 2 * std::size_t{count}));
        at += 1 + 2 * std::size_t{count};
    }
    return true;
}

std::size_t AyStateLog::memoryBytes() const {
    return frames_.capacity() * sizeof(std::int64_t) + starts_.capacity() * sizeof(std::uint32_t) +
           bytes_.capacity();
}

}  // namespace vantorel
