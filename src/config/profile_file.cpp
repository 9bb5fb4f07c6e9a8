#include "config/profile_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace vantorel {

namespace fs = std::filesystem;

namespace {

// Reads in chunks and gives up past kMaxProfileFileBytes, so that a file that
// grows while it is read is still caught as too large.
bool readWholeFile(const fs::path& path, std::uintmax_t expectedSize, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.reserve(static_cast<std::size_t>(expectedSize));
    std::array<char, 16384> chunk;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxProfileFileBytes) return false;
    }
    return !in.bad();
}

// Eight hexadecimal digits from the system's random source, so that two
// programs saving into the same folder never share a temporary file.
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

enum class ReplaceResult { replaced, nameTaken, failed };

ReplaceResult writeThenRename(const fs::path& target, std::string_view bytes,
                              const fs::path& tempPath) {
    // "x": fail if anything, a planted link included, is already there.
    errno = 0;
    std::FILE* out = std::fopen(tempPath.string().c_str(), "wbx");
    if (out == nullptr) return errno == EEXIST ? ReplaceResult::nameTaken : ReplaceResult::failed;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool flushed = std::fflush(out) == 0;
    // Standard C++ cannot force the bytes to the disk (no fsync); flushing and
    // closing before the rename still means that no failure of the program
    // can leave a half-written file under the settings file's name.
    const bool closed = std::fclose(out) == 0;
    std::error_code error;
    if (written && flushed && closed) {
        const fs::file_status old = fs::status(target, error);
        if (!error && fs::is_regular_file(old)) {
            fs::permissions(tempPath, old.permissions(), fs::perm_options::replace, error);
        }
        fs::rename(tempPath, target, error);
        if (!error) return ReplaceResult::replaced;
    }
    fs::remove(tempPath, error);
    return ReplaceResult::failed;
}

}  // namespace

ProfileFile openProfileFile(const fs::path& path) {
    ProfileFile file;
    file.path = path;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return file;
    file.state = ProfileFileState::unusable;
    // Only regular files are read: opening a pipe could wait forever.
    if (error || !fs::is_regular_file(status)) return file;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxProfileFileBytes) return file;
    std::string bytes;
    if (!readWholeFile(path, size, bytes)) return file;
    file.document = ProfileDocument::parse(bytes);
    file.state = ProfileFileState::loaded;
    return file;
}

bool commitProfileFile(const ProfileFile& file) {
    if (file.state == ProfileFileState::unusable) return false;
    return writeFileAtomically(file.path, file.document.serialize());
}

bool writeFileAtomically(const fs::path& path, std::string_view bytes) {
    const fs::path target = resolvedTarget(path);
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::path tempPath = target;
        tempPath.replace_filename("~vantorel-" + randomSuffix() + ".tmp");
        const ReplaceResult result = writeThenRename(target, bytes, tempPath);
        if (result != ReplaceResult::nameTaken) return result == ReplaceResult::replaced;
    }
    return false;
}

bool replaceFileAtomically(const fs::path& target, std::string_view bytes,
                           const fs::path& tempPath) {
    return writeThenRename(target, bytes, tempPath) == ReplaceResult::replaced;
}

}  // namespace vantorel
