#include "app/frame_log.h"

#include <cinttypes>
#include <cstdlib>

namespace vantorel {

std::unique_ptr<FrameLog> FrameLog::fromEnvironment() {
    const char* path = std::getenv("VANTOREL_FRAME_LOG");
    if (path == nullptr || *path == '\0') return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return nullptr;
    std::setvbuf(file, nullptr, _IOLBF, 0);  // whole lines, readable while frames run
    return std::make_unique<FrameLog>(file);
}

FrameLog::~FrameLog() {
    std::fclose(file_);
}

void FrameLog::frameStarted(std::int64_t microseconds) {
    std::fprintf(file_, "%" PRIu64 " %" PRId64 "\n", frames_++, microseconds);
}

}  // namespace vantorel
