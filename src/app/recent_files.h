// The recent-file list: the last eight game ROMs, snapshots, tapes and
// quick-type texts the user opened, newest first.
//
// Opening a file by any route (a menu command, the command line, a drop, the
// list itself) puts it at the top; a path already listed moves up rather
// than appearing twice, and the ninth falls off. The list lives in the
// settings file in a section of its own, "RECENT" (keys "kind1"/"file1" to
// "kind8"/"file8", unused slots empty; a name with a line break is quoted as
// every text setting is), written whenever the list changes; the settings
// dialogs' saves leave that section alone, and this one leaves theirs. Each
// change starts from the list the file holds then, with this program's own
// entries after it, so that two programs started in one folder keep each
// other's files. Standard C++; the File menu's Recent Files submenu
// (recent_files_menu.h) shows it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel {

inline constexpr std::size_t kRecentFileLimit = 8;
inline constexpr std::string_view kRecentSection = "RECENT";

enum class RecentKind { gameRom, snapshot, tape, quickType };

// "rom", "snapshot", "tape", "quicktype": the names kept in the settings file.
std::string_view recentKindName(RecentKind kind);
std::optional<RecentKind> recentKindFromName(std::string_view name);

struct RecentFile {
    RecentKind kind = RecentKind::gameRom;
    std::string path;  // absolute
    friend bool operator==(const RecentFile&, const RecentFile&) = default;
};

class RecentFiles {
  public:
    // Without a settings path the list is kept for this run only.
    explicit RecentFiles(std::filesystem::path settingsPath = {});

    // Reads the list from the settings file (an unknown kind or an empty
    // path is skipped).
    void load();
    // Puts `path` (made absolute) at the top of the file's present list
    // merged with this one, and saves.
    void add(RecentKind kind, const std::filesystem::path& path);
    // Takes the entry at `index` off the list (and off the file's) and saves.
    void remove(std::size_t index);

    const std::vector<RecentFile>& entries() const { return entries_; }
    const std::filesystem::path& settingsPath() const { return settingsPath_; }

  private:
    // Merges the file's list and this one, applies `change`, keeps the
    // first kRecentFileLimit and saves them.
    template <class Change>
    void update(Change change);

    std::filesystem::path settingsPath_;
    std::vector<RecentFile> entries_;  // newest first, at most kRecentFileLimit
};

}  // namespace vantorel
