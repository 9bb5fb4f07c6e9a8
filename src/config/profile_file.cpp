#include "config/profile_file.h"

#include <array>
#include <fstream>
#include <string>
#include <system_error>

#include "files/replacement_file.h"

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
    file.state =
        file.document.readsAsProfile() ? ProfileFileState::loaded : ProfileFileState::foreign;
    return file;
}

bool commitProfileFile(const ProfileFile& file) {
    if (file.state == ProfileFileState::unusable || file.state == ProfileFileState::foreign) {
        return false;
    }
    return writeFileAtomically(file.path, file.document.serialize());
}

std::string profileCommitProblem(const fs::path& path) {
    switch (openProfileFile(path).state) {
        case ProfileFileState::foreign:
            return "is not a settings file";
        case ProfileFileState::unusable:
            return "cannot be read as a settings file";
        case ProfileFileState::missing:
        case ProfileFileState::loaded:
            break;
    }
    if (isReadOnlyFile(path)) return "is read-only";
    return "cannot be written";
}

bool writeFileAtomically(const fs::path& path, std::string_view bytes) {
    ReplacementFile file;
    return file.create(path) && file.write(bytes) && file.commit();
}

bool replaceFileAtomically(const fs::path& target, std::string_view bytes,
                           const fs::path& tempPath) {
    ReplacementFile file;
    return file.createAs(target, tempPath) == ReplacementFile::Created::created &&
           file.write(bytes) && file.commit();
}

}  // namespace vantorel
