#include "input/quick_type_file.h"

#include <new>

#include "files/binary_file.h"

namespace vantorel {

namespace {

QuickTypeFile failure(QuickTypeResult result) {
    return {result, {}};
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
    auto file = openBinaryFile(path);
    if (!file) return failure(QuickTypeResult::cannotOpen);

    const auto size = fileSizeBySeeking(*file);
    if (!size) return failure(QuickTypeResult::readFailed);
    if (*size == 0) return failure(QuickTypeResult::emptyFile);
    if (*size > kQuickTypeMaxBytes) return failure(QuickTypeResult::tooBig);

    QuickTypeFile loaded;
    try {
        loaded.bytes.resize(static_cast<std::size_t>(*size));
    } catch (const std::bad_alloc&) {
        return failure(QuickTypeResult::readFailed);
    }
    if (!readExactly(*file, loaded.bytes.data(), loaded.bytes.size())) {
        return failure(QuickTypeResult::readFailed);
    }
    return loaded;
}

}  // namespace vantorel
