// An optional log of when frames run, for measuring the frame period.
//
// With the environment variable VANTOREL_FRAME_LOG naming a file, the idle
// driver appends one line per emulated frame: the frame's number and the
// host's steady-clock time in microseconds when it started, each line
// written out at once (a watcher can see frames run). Off otherwise;
// never used by the machine itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace vantorel {

class FrameLog {
  public:
    // Opens the file named by VANTOREL_FRAME_LOG, if set.
    static std::unique_ptr<FrameLog> fromEnvironment();
    explicit FrameLog(std::FILE* file) : file_(file) {}
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    void frameStarted(std::int64_t microseconds);

  private:
    std::FILE* file_;
    std::uint64_t frames_ = 0;
};

}  // namespace vantorel
