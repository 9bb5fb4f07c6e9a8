#include "app/inserted_file.h"

#include <algorithm>
#include <cctype>

#include "machine/machine_files.h"

namespace vantorel {

namespace {

std::string lowerCaseExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

InsertResult fromFileResult(InsertKind kind, const FileResult& result) {
    return {kind, result.ok(), result.fileOpened(), result.message};
}

}  // namespace

InsertKind insertKindOf(const std::filesystem::path& path) {
    const std::string extension = lowerCaseExtension(path);
    if (extension == ".rom" || extension == ".bin") return InsertKind::gameRom;
    if (extension == ".snp") return InsertKind::snapshot;
    return InsertKind::unknown;
}

InsertResult insertFile(Machine& machine, const std::filesystem::path& path) {
    switch (insertKindOf(path)) {
        case InsertKind::gameRom:
            return fromFileResult(InsertKind::gameRom, loadGameRom(machine, path));
        case InsertKind::snapshot:
            return fromFileResult(InsertKind::snapshot, loadSnapshot(machine, path));
        case InsertKind::unknown:
            break;
    }
    return {InsertKind::unknown, false, false, "not a game ROM (.rom, .bin) or a snapshot (.snp)"};
}

}  // namespace vantorel
