// Reading the user's files safely: game ROMs, snapshots, quick-type texts,
// saved states and movies.
//
// The machine's file commands and quick type open a file for binary reading,
// find its size by seeking (so a size that does not fit is refused before
// anything is allocated) and read exactly the bytes they expect. Only a
// regular file is opened: a folder, a pipe or a device gets the same answer
// as a file that is not there, so that no read ever waits for a writer that
// never comes. A stream that cannot seek has no size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace vantorel {

// True when `path` names a regular file (following links).
bool isRegularFile(const std::filesystem::path& path);

// The file opened for binary reading; nothing for anything but a regular
// file (a folder, a pipe, a device) and for a file that cannot be opened.
std::optional<std::ifstream> openBinaryFile(const std::filesystem::path& path);

// The file's size in bytes, by seeking to its end and back to its start;
// nothing when the stream cannot seek.
std::optional<std::uintmax_t> fileSizeBySeeking(std::ifstream& file);

// Reads `count` bytes into `destination`; false when fewer arrive.
bool readExactly(std::ifstream& file, std::uint8_t* destination, std::size_t count);

// The whole file's bytes; nothing when it cannot be opened or read whole,
// or when it holds more than `mostBytes` (refused before anything is
// allocated). Save-state and movie files are read this way.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t mostBytes);

}  // namespace vantorel
