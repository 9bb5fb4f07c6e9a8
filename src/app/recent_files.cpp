#include "app/recent_files.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "config/profile_file.h"

namespace vantorel {

namespace {

struct KindName {
    RecentKind kind;
    std::string_view name;
};

constexpr std::array<KindName, 4> kKindNames = {{
    {RecentKind::gameRom, "rom"},
    {RecentKind::snapshot, "snapshot"},
    {RecentKind::tape, "tape"},
    {RecentKind::quickType, "quicktype"},
}};

std::string slotKey(std::string_view stem, std::size_t slot) {
    return std::string(stem) + std::to_string(slot + 1);
}

std::string absolutePath(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal().generic_string();
}

}  // namespace

std::string_view recentKindName(RecentKind kind) {
    for (const KindName& entry : kKindNames) {
        if (entry.kind == kind) return entry.name;
    }
    return {};
}

std::optional<RecentKind> recentKindFromName(std::string_view name) {
    for (const KindName& entry : kKindNames) {
        if (entry.name == name) return entry.kind;
    }
    return std::nullopt;
}

RecentFiles::RecentFiles(std::filesystem::path settingsPath)
    : settingsPath_(std::move(settingsPath)) {}

void RecentFiles::load() {
    entries_.clear();
    if (settingsPath_.empty()) return;
    const ProfileFile file = openProfileFile(settingsPath_);
    for (std::size_t slot = 0; slot < kRecentFileLimit; ++slot) {
        const auto kindText = file.document.findValue(kRecentSection, slotKey("kind", slot));
        const auto path = file.document.findValue(kRecentSection, slotKey("file", slot));
        if (!kindText || !path || path->empty()) continue;
        const auto kind = recentKindFromName(*kindText);
        if (!kind) continue;
        const bool listed =
            std::any_of(entries_.begin(), entries_.end(),
                        [&](const RecentFile& entry) { return entry.path == *path; });
        if (!listed) entries_.push_back({*kind, std::string(*path)});
    }
}

void RecentFiles::add(RecentKind kind, const std::filesystem::path& path) {
    RecentFile entry{kind, absolutePath(path)};
    std::erase_if(entries_, [&](const RecentFile& old) { return old.path == entry.path; });
    entries_.insert(entries_.begin(), std::move(entry));
    if (entries_.size() > kRecentFileLimit) entries_.resize(kRecentFileLimit);
    save();
}

void RecentFiles::remove(std::size_t index) {
    if (index >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    save();
}

// Only the "RECENT" section is written; the rest of the file stays as it is.
void RecentFiles::save() const {
    if (settingsPath_.empty()) return;
    ProfileFile file = openProfileFile(settingsPath_);
    for (std::size_t slot = 0; slot < kRecentFileLimit; ++slot) {
        const bool used = slot < entries_.size();
        file.document.setValue(kRecentSection, slotKey("kind", slot),
                               used ? recentKindName(entries_[slot].kind) : std::string_view());
        file.document.setValue(kRecentSection, slotKey("file", slot),
                               used ? std::string_view(entries_[slot].path) : std::string_view());
    }
    commitProfileFile(file);
}

}  // namespace vantorel
