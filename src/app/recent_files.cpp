#include "app/recent_files.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "config/profile_file.h"
#include "config/profile_values.h"

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

void appendUnlisted(std::vector<RecentFile>& list, const RecentFile& entry) {
    const bool listed = std::any_of(list.begin(), list.end(),
                                    [&](const RecentFile& old) { return old.path == entry.path; });
    if (!listed) list.push_back(entry);
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

namespace {

// The list the document holds, in slot order (an unknown kind or an empty
// path is skipped, and so is a path listed before).
std::vector<RecentFile> listIn(const ProfileDocument& document) {
    std::vector<RecentFile> list;
    for (std::size_t slot = 0; slot < kRecentFileLimit; ++slot) {
        const std::string kindText = readProfileString(
            document, kRecentSection, slotKey("kind", slot), "", std::string_view::npos);
        const std::string path = readProfileString(document, kRecentSection, slotKey("file", slot),
                                                   "", std::string_view::npos);
        const auto kind = recentKindFromName(kindText);
        if (!kind || path.empty()) continue;
        appendUnlisted(list, {*kind, path});
    }
    return list;
}

}  // namespace

RecentFiles::RecentFiles(std::filesystem::path settingsPath)
    : settingsPath_(std::move(settingsPath)) {}

void RecentFiles::load() {
    entries_.clear();
    if (settingsPath_.empty()) return;
    entries_ = listIn(openProfileFile(settingsPath_).document);
}

void RecentFiles::add(RecentKind kind, const std::filesystem::path& path) {
    RecentFile entry{kind, absolutePath(path)};
    update([&](std::vector<RecentFile>& list) {
        std::erase_if(list, [&](const RecentFile& old) { return old.path == entry.path; });
        list.insert(list.begin(), std::move(entry));
    });
}

void RecentFiles::remove(std::size_t index) {
    if (index >= entries_.size()) return;
    const std::string path = entries_[index].path;
    update([&](std::vector<RecentFile>& list) {
        std::erase_if(list, [&](const RecentFile& old) { return old.path == path; });
    });
}

// Only the "RECENT" section is written; the rest of the file stays as it is.
template <class Change>
void RecentFiles::update(Change change) {
    if (settingsPath_.empty()) {
        change(entries_);
        if (entries_.size() > kRecentFileLimit) entries_.resize(kRecentFileLimit);
        return;
    }
    ProfileFile file = openProfileFile(settingsPath_);
    std::vector<RecentFile> list = listIn(file.document);
    for (const RecentFile& entry : entries_) appendUnlisted(list, entry);
    change(list);
    if (list.size() > kRecentFileLimit) list.resize(kRecentFileLimit);
    entries_ = std::move(list);
    for (std::size_t slot = 0; slot < kRecentFileLimit; ++slot) {
        const bool used = slot < entries_.size();
        file.document.setValue(kRecentSection, slotKey("kind", slot),
                               used ? recentKindName(entries_[slot].kind) : std::string_view());
        file.document.setValue(kRecentSection, slotKey("file", slot),
                               used ? profileStringValue(entries_[slot].path) : std::string());
    }
    commitProfileFile(file);
}

}  // namespace vantorel
