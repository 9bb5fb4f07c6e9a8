// An INI file on disk: read whole once, written back whole in one step.
//
// Stands in for the file handling of the Windows profile functions. The
// settings code (settings_file.cpp) opens the settings file once per load and
// once per save, edits the document and commits it:
//   1. openProfileFile reads the file and parses it; a missing file gives an
//      empty document, and so does one that cannot be used (see below);
//   2. the caller reads or sets values in `document`;
//   3. commitProfileFile writes the whole document to a new file beside the
//      old one and renames it over the old one, so the file on disk is always
//      either the old one or the new one, never a half-written mix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "config/profile_document.h"

namespace vantorel {

// Settings files are a few kilobytes; anything larger than this is not one of
// ours (or is damaged) and is treated as missing rather than read into memory.
inline constexpr std::uintmax_t kMaxProfileFileBytes = 4u * 1024u * 1024u;  // bytes

enum class ProfileFileState {
    missing,   // no file at the path: reads give defaults, a commit creates it
    loaded,    // read and parsed
    unusable,  // present but too large, not a regular file or unreadable: reads
               // give defaults, and a commit leaves it alone rather than
               // replacing what could not be read with the program's few keys
    foreign,   // read, but it holds lines no INI file has (a script, a text):
               // reads give what parsed, and a commit leaves it alone, so the
               // program never adds its sections to someone else's file
};

struct ProfileFile {
    std::filesystem::path path;  // as given to openProfileFile
    ProfileFileState state = ProfileFileState::missing;
    ProfileDocument document;  // empty unless loaded
};

ProfileFile openProfileFile(const std::filesystem::path& path);

// Replaces the file with the document. Returns false, with the old file
// untouched, when the file was unusable or foreign, is read-only, or the new
// file could not be written or renamed into place. A symbolic link at the
// path is followed, so the file it names is replaced and the link kept.
bool commitProfileFile(const ProfileFile& file);

// Why a commit of the file at `path` would be refused, in words ("is
// read-only", "is not a settings file", ...); "cannot be written" when
// nothing about the file itself stands in the way (a full disk, a folder
// the user may not write to).
std::string profileCommitProblem(const std::filesystem::path& path);

// Replaces the file at `path` (following a symbolic link) with `bytes`
// through a ReplacementFile: the file is always either the old one or the
// new one. False, with the old file untouched, when the new file could not
// be written or renamed. The one-piece save of commitProfileFile, Save .SNP,
// tape recordings and screenshots.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The same under a given name for the new file (which must not exist yet),
// with `target` taken as given: writes `bytes` to `tempPath`, flushes and
// closes it, gives it the permissions of `target` when that exists, and
// renames it over `target`. On any failure the temporary file is removed and
// `target` is left as it was.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           const std::filesystem::path& tempPath);

}  // namespace vantorel
