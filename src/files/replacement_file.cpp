#include "files/replacement_file.h"

#include <cerrno>
#include <climits>
#include <random>
#include <string>
#include <system_error>

#include "files/write_faults.h"

namespace vantorel {

namespace fs = std::filesystem;

namespace {

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

// Only a regular file (or nothing) is replaced: a device, a pipe or a folder
// under the name is not the user's file, and is left alone.
bool replaceable(const fs::path& target) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    return status.type() == fs::file_type::not_found || (!error && fs::is_regular_file(status));
}

// A fault in the write step stands for a disk that fills up part way: half
// the bytes arrive, and the write reports failure.
bool writeBytes(std::FILE* out, std::string_view bytes) {
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

ReplacementFile::~ReplacementFile() {
    abandon();
}

bool ReplacementFile::create(const fs::path& path) {
    const fs::path target = resolvedTarget(path);
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::path tempPath = target;
        tempPath.replace_filename("~vantorel-" + randomSuffix() + ".tmp");
        const Created result = createAs(target, tempPath);
        if (result != Created::nameTaken) return result == Created::created;
    }
    return false;
}

ReplacementFile::Created ReplacementFile::createAs(const fs::path& target,
                                                   const fs::path& tempPath) {
    abandon();
    if (writeStepFails(WriteStep::create) || !replaceable(target)) return Created::failed;
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

bool ReplacementFile::commit() {
    if (out_ == nullptr) return false;
    std::FILE* out = out_;
    out_ = nullptr;
    if (flushAndClose(out)) {
        copyPermissions(target_, tempPath_);
        if (renameOver(tempPath_, target_)) return true;
    }
    std::error_code error;
    fs::remove(tempPath_, error);
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
    abandon();
    return false;
}

}  // namespace vantorel
