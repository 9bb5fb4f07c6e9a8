// A new file written beside its target and renamed over it in one step.
//
// Every file the program writes is made this way (settings, snapshots, RAM
// images, tape recordings, sound recordings, screenshots), so that the file
// under the target's name is always either the old one or the whole new one,
// never a half-written mix, whatever fails and whenever the program stops:
//   1. create(target): a new file of a random name ("~vantorel-" and eight
//      hex digits, ".tmp") in the target's folder, created exclusively, so
//      that nothing already there (a planted link included) is written
//      through; a symbolic link at the target is followed, so the file it
//      names is replaced and the link kept; only a regular file is replaced
//      (a device, pipe or folder is refused), and only one the user may
//      write (a file made read-only is left alone, although renaming over it
//      would need only the folder's permission). Such files left in the
//      folder by a program that was killed part way, more than a minute old,
//      are removed first;
//   2. write(bytes), as often as needed; flush() pushes them to the system
//      (a long recording does so as it goes); writeAt patches bytes already
//      written (a header whose sizes are known only at the end);
//   3. commit(): flush and close, give the new file the old one's permissions,
//      rename it over the target.
// Any failure closes and removes the new file and leaves the target as it
// was; so does destroying the object before commit. A writer that can still
// use what reached the new file (a tape recording saved elsewhere) asks for
// keepOnFailure: the file is then closed but kept at tempPath(), and is the
// caller's to remove. Each step first asks writeStepFails (write_faults.h),
// so tests can make any one of them fail.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace vantorel {

// How old a temporary file of the program's own naming must be before a
// save beside it takes it for the leftover of a killed program. A save in
// progress writes to its file far more often than this.
inline constexpr std::chrono::seconds kStaleTemporaryAge{60};

// True when `path` is a regular file the user may not write to: its owner's
// write permission is off, or it cannot be opened for writing.
bool isReadOnlyFile(const std::filesystem::path& path);

// Removes the files of `folder` named as ReplacementFile names its new files
// that were last written more than `age` ago; returns how many.
int removeStaleTemporaries(const std::filesystem::path& folder,
                           std::chrono::seconds age = kStaleTemporaryAge);

class ReplacementFile {
  public:
    enum class Created {
        created,    // open for writing
        nameTaken,  // something already has the new file's name
        failed,     // the new file cannot be made (no folder, no permission, ...),
                    // or the target is not a regular file
        readOnly,   // the target is a file the user may not write to
    };

    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Step 1 under a random name (a few tries); false when it cannot be made.
    bool create(const std::filesystem::path& target);
    // Step 1 under the given name, which must not exist yet; `target` is taken
    // as given (no link followed).
    Created createAs(const std::filesystem::path& target, const std::filesystem::path& tempPath);

    // Step 2; false, with the new file removed, when the bytes cannot all be
    // written, and from then on.
    bool write(std::string_view bytes);
    bool writeAt(std::uint64_t offset, std::string_view bytes);
    // Hands what was written so far to the system; false (and the new file
    // given up) when it will not take it.
    bool flush();

    // Step 3; true when the target now holds everything written.
    bool commit();

    // Closes and removes the new file; the target stays as it was.
    void abandon();

    bool isOpen() const { return out_ != nullptr; }

    // From now on a failure closes the new file but does not remove it.
    void keepOnFailure() { keepOnFailure_ = true; }
    // The new file (empty before create).
    const std::filesystem::path& tempPath() const { return tempPath_; }

  private:
    bool fail();

    std::FILE* out_ = nullptr;
    std::filesystem::path target_;
    std::filesystem::path tempPath_;
    bool keepOnFailure_ = false;
};

}  // namespace vantorel
