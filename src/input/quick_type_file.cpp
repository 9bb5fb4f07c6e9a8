#include "input/quick_type_file.h"

#include <fstream>
#include <new>
#include <system_error>

namespace vantorel {

namespace {

QuickTypeFile failure(QuickTypeResult result) {
    return {result, {}};
}

// The file's size in bytes, by seeking to its end and back; -1 when the
// stream cannot seek.
std::streamoff sizeBySeeking(std::ifstream& file) {
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    return file ? size : -1;
}

}  // namespace

const char* quickTypeResultText(QuickTypeResult result) {
    switch (result) {
        case QuickTypeResult::ok:
            return "typing";
        case QuickTypeResult::alreadyActive:
            return "a text is still being typed";
        case QuickTypeResult::cannotOpen:
            return "cannot open the file";
        case QuickTypeResult::emptyFile:
            return "nothing to type";
        case QuickTypeResult::tooBig:
            return "too big to type (more than 16 MB)";
        case QuickTypeResult::readFailed:
            return "could not read the file";
    }
    return "unknown";
}

QuickTypeFile readQuickTypeFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return failure(QuickTypeResult::cannotOpen);
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return failure(QuickTypeResult::cannotOpen);

    const std::streamoff size = sizeBySeeking(file);
    if (size < 0) return failure(QuickTypeResult::readFailed);
    if (size == 0) return failure(QuickTypeResult::emptyFile);
    if (static_cast<std::uintmax_t>(size) > kQuickTypeMaxBytes) {
        return failure(QuickTypeResult::tooBig);
    }

    QuickTypeFile loaded;
    try {
        loaded.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return failure(QuickTypeResult::readFailed);
    }
    file.read(reinterpret_cast<char*>(loaded.bytes.data()), static_cast<std::streamsize>(size));
    if (file.gcount() != static_cast<std::streamsize>(size)) {
        return failure(QuickTypeResult::readFailed);
    }
    return loaded;
}

}  // namespace vantorel
