// Reading a text for quick type, and what can go wrong on the way.
//
// The whole file is read into memory byte for byte, with no change of line
// ends or character set. Its size is found first and checked: an empty file
// is refused, and so is one larger than kQuickTypeMaxBytes, so that a huge
// file never reaches the allocator. A file that delivers fewer bytes than
// its size promised is refused.
//
// Called by the Machine when the "Quick Type..." command has chosen a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vantorel {

// 16 MB: far more than anyone types, small enough to hold in memory.
inline constexpr std::size_t kQuickTypeMaxBytes = std::size_t{16} * 1024 * 1024;

enum class QuickTypeResult : std::uint8_t {
    ok,             // the text is loaded and typing has begun
    alreadyActive,  // a text is still being typed: nothing was done
    cannotOpen,     // the file could not be opened for reading
    emptyFile,      // the file (or text) holds no bytes
    tooBig,         // more than kQuickTypeMaxBytes
    readFailed,     // its size could not be found, or fewer bytes arrived
};

// True when the file was opened, whatever came next: the file dialog then
// starts in that file's folder next time.
inline bool quickTypeFileOpened(QuickTypeResult result) {
    return result != QuickTypeResult::alreadyActive && result != QuickTypeResult::cannotOpen;
}

// What happened, in words, for the command line ("cannot open the file").
const char* quickTypeResultText(QuickTypeResult result);

struct QuickTypeFile {
    QuickTypeResult result = QuickTypeResult::ok;
    std::vector<std::uint8_t> bytes;  // the whole file when result is ok, else empty
};

QuickTypeFile readQuickTypeFile(const std::filesystem::path& path);

}  // namespace vantorel
