#include "files/binary_file.h"

#include <system_error>

namespace vantorel {

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && !error;
}

std::optional<std::ifstream> openBinaryFile(const std::filesystem::path& path) {
    // Opening a pipe for reading waits until something writes to it, and a
    // device may never end: only a regular file (a link to one included) is
    // opened at all.
    if (!isRegularFile(path)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    return file;
}

std::optional<std::uintmax_t> fileSizeBySeeking(std::ifstream& file) {
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    file.seekg(0, std::ios::beg);
    if (!file || end < 0) return std::nullopt;
    return static_cast<std::uintmax_t>(end);
}

bool readExactly(std::ifstream& file, std::uint8_t* destination, std::size_t count) {
    file.read(reinterpret_cast<char*>(destination), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(file.gcount()) == count;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t mostBytes) {
    std::optional<std::ifstream> file = openBinaryFile(path);
    const std::optional<std::uintmax_t> size = file ? fileSizeBySeeking(*file) : std::nullopt;
    if (!size || *size > mostBytes) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!readExactly(*file, bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace vantorel
