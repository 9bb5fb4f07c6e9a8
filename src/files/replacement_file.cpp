#include "files/replacement_file.h"

#include <cerrno>
#include <climits>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "files/write_faults.h"

namespace vantorel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTempPrefix = "~vantorel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempDigits = 8;

// Eight hexadecimal digits from the system's random source, so that two
// programs saving into the same folder never share a new file.
std::string randomSuffix() {
    std::uint32_t value = 0;
    try {
        std::random_device source;
        value = static_cast<std::uint32_t>(source());
    } catch (...) {
        value = 0x5eed5eed;  // no random source: exclusive creation still protects
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

fs::path resolvedTarget(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) return path;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved;  // a dangling link is simply replaced
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// "~vantorel-", eight lower-case hex digits, ".tmp": the names create() makes.
bool isTemporaryName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempDigits + kTempSuffix.size()) return false;
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return false;
    const std::string_view digits = name.substr(kTempPrefix.size(), kTempDigits);
    for (const char c : digits) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

// Only a regular file (or nothing) is replaced: a device, a pipe or a folder
// under the name is not the user's file, and is left alone; so is a file
// the user made read-only.
ReplacementFile::Created replaceable(const fs::path& target) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (status.type() == fs::file_type::not_found) return ReplacementFile::Created::created;
    if (error || !fs::is_regular_file(status)) return ReplacementFile::Created::failed;
    if (isReadOnlyFile(target)) return ReplacementFile::Created::readOnly;
    return ReplacementFile::Created::created;
}

// A fault in the write step stands for a disk that fills up part way: half
// the bytes arrive, and the write reports failure. Nothing to write is no
// step at all (and never hands the library a null buffer).
bool writeBytes(std::FILE* out, std::string_view bytes) {
    if (bytes.empty()) return true;
    if (writeStepFails(WriteStep::write)) {
        std::fwrite(bytes.data(), 1, bytes.size() / 2, out);
        return false;
    }
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

// Standard C++ cannot force the bytes to the disk (no fsync); flushing and
// closing before the rename still means that no failure of the program can
// leave a half-written file under the target's name. The file is closed
// even when flushing fails.
bool flushAndClose(std::FILE* out) {
    const bool flushed = !writeStepFails(WriteStep::flush) && std::fflush(out) == 0;
    const bool closed = std::fclose(out) == 0;
    return flushed && closed;
}

void copyPermissions(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const fs::file_status old = fs::status(from, error);
    if (!error && fs::is_regular_file(old)) {
        fs::permissions(to, old.permissions(), fs::perm_options::replace, error);
    }
}

bool renameOver(const fs::path& from, const fs::path& to) {
    if (writeStepFails(WriteStep::rename)) return false;
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

}  // namespace

bool isReadOnlyFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) return false;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return true;
    // Opening for update neither changes the file nor waits (it is a
    // regular file); it fails when the user may not write to it.
    std::FILE* probe = std::fopen(path.string().c_str(), "r+b");
    if (probe == nullptr) return errno == EACCES || errno == EPERM || errno == EROFS;
    std::fclose(probe);
    return false;
}

int removeStaleTemporaries(const fs::path& folder, std::chrono::seconds age) {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    int removed = 0;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        if (!isTemporaryName(entry->path().filename().string())) continue;
        std::error_code entryError;
        if (!entry->is_regular_file(entryError) || entry->is_symlink(entryError)) continue;
        const auto written = fs::last_write_time(entry->path(), entryError);
        if (entryError || now - written < age) continue;
        if (fs::remove(entry->path(), entryError)) ++removed;
    }
    return removed;
}

ReplacementFile::~ReplacementFile() {
    abandon();
}

bool ReplacementFile::create(const fs::path& path) {
    const fs::path target = resolvedTarget(path);
    removeStaleTemporaries(target.parent_path());
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::path tempPath = target;
        tempPath.replace_filename(std::string(kTempPrefix) + randomSuffix() +
                                  std::string(kTempSuffix));
        const Created result = createAs(target, tempPath);
        if (result != Created::nameTaken) return result == Created::created;
    }
    return false;
}

ReplacementFile::Created ReplacementFile::createAs(const fs::path& target,
                                                   const fs::path& tempPath) {
    abandon();
    if (writeStepFails(WriteStep::create)) return Created::failed;
    if (const Created refusal = replaceable(target); refusal != Created::created) return refusal;
    // "x": fail if anything, a planted link included, is already there.
    errno = 0;
    out_ = std::fopen(tempPath.string().c_str(), "wbx");
    if (out_ == nullptr) return errno == EEXIST ? Created::nameTaken : Created::failed;
    target_ = target;
    tempPath_ = tempPath;
    return Created::created;
}

bool ReplacementFile::write(std::string_view bytes) {
    if (out_ == nullptr) return false;
    return writeBytes(out_, bytes) || fail();
}

bool ReplacementFile::writeAt(std::uint64_t offset, std::string_view bytes) {
    if (out_ == nullptr) return false;
    if (offset > static_cast<std::uint64_t>(LONG_MAX) ||
        std::fseek(out_, static_cast<long>(offset), SEEK_SET) != 0) {
        return fail();
    }
    if (!writeBytes(out_, bytes)) return fail();
    return std::fseek(out_, 0, SEEK_END) == 0 || fail();
}

bool ReplacementFile::flush() {
    if (out_ == nullptr) return false;
    if (writeStepFails(WriteStep::flush) || std::fflush(out_) != 0) return fail();
    return true;
}

bool ReplacementFile::commit() {
    if (out_ == nullptr) return false;
    std::FILE* out = out_;
    out_ = nullptr;
    if (flushAndClose(out)) {
        copyPermissions(target_, tempPath_);
        if (renameOver(tempPath_, target_)) return true;
    }
    if (!keepOnFailure_) {
        std::error_code error;
        fs::remove(tempPath_, error);
    }
    return false;
}

void ReplacementFile::abandon() {
    if (out_ == nullptr) return;
    std::fclose(out_);
    out_ = nullptr;
    std::error_code error;
    fs::remove(tempPath_, error);
}

bool ReplacementFile::fail() {
    if (keepOnFailure_ && out_ != nullptr) {
        std::fclose(out_);
        out_ = nullptr;
        return false;
    }
    abandon();
    return false;
}

}  // namespace vantorel
