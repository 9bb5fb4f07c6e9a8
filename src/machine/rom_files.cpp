#include "machine/rom_files.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>

#include "files/binary_file.h"

namespace vantorel {

namespace {

struct RomKind {
    const char* name;   // in the user's words
    std::size_t bytes;  // the exact size an image file must have
};

constexpr RomKind kMonitorRom{"monitor ROM", kMonitorRomBytes};
constexpr RomKind kCharacterRom{"character ROM", kCharacterRomBytes};

std::string settingsTextString(const SettingsText& text) {
    const auto end = std::find(text.begin(), text.end(), '\0');
    return std::string(text.begin(), end);
}

std::string sizeInWords(std::uintmax_t bytes) {
    return bytes == 1 ? "1 byte" : std::to_string(bytes) + " bytes";
}

// Reads the whole file into `image` when it has exactly the image's size;
// otherwise says why not, leaving `image` as it was.
template <std::size_t Bytes>
std::optional<std::string> readRomFile(const std::filesystem::path& path,
                                       std::array<std::uint8_t, Bytes>& image) {
    auto file = openBinaryFile(path);
    if (!file) return std::string("cannot be opened");
    const auto size = fileSizeBySeeking(*file);
    if (!size) return std::string("cannot be read");
    if (*size != Bytes) return "holds " + sizeInWords(*size) + ", not " + sizeInWords(Bytes);
    std::array<std::uint8_t, Bytes> read{};
    if (!readExactly(*file, read.data(), read.size())) return std::string("cannot be read");
    image = read;
    return std::nullopt;
}

// A new image: the file's, or the built-in one and the line that says why.
template <std::size_t Bytes>
std::shared_ptr<const std::array<std::uint8_t, Bytes>> imageOf(
    bool useBuiltin, const SettingsText& name, std::span<const std::uint8_t, Bytes> builtin,
    const RomKind& kind, const std::filesystem::path& startupDirectory,
    std::vector<std::string>& problems) {
    auto image = std::make_shared<std::array<std::uint8_t, Bytes>>();
    if (!useBuiltin) {
        const std::filesystem::path path = romFilePath(name, startupDirectory);
        const auto problem = readRomFile(path, *image);
        if (!problem) return image;
        problems.push_back("The " + std::string(kind.name) + " file " + path.string() + " " +
                           *problem + "; the built-in " + kind.name + " is used.");
    }
    std::copy(builtin.begin(), builtin.end(), image->begin());
    return image;
}

}  // namespace

std::filesystem::path romFilePath(const SettingsText& name,
                                  const std::filesystem::path& startupDirectory) {
    std::string text = settingsTextString(name);
    if constexpr (std::filesystem::path::preferred_separator != '\\') {
        std::replace(text.begin(), text.end(), '\\', '/');
    }
    const std::filesystem::path path(text);
    return path.is_absolute() ? path : startupDirectory / path;
}

std::vector<std::string> installBuiltinImages(MachineRoms& roms, const MachineConfig& config,
                                              const RomImages& builtin,
                                              const std::filesystem::path& startupDirectory) {
    std::vector<std::string> problems;
    roms.monitor = imageOf(config.usebuiltinromflag, config.ROMfilename, builtin.monitor,
                           kMonitorRom, startupDirectory, problems);
    roms.characters = imageOf(config.usebuiltincharflag, config.CHARfilename, builtin.characters,
                              kCharacterRom, startupDirectory, problems);
    return problems;
}

}  // namespace vantorel
