// Faults injected into file writes, so that tests can make a save fail at
// any one of its steps and see what the program does then.
//
// Every file the program writes is written by ReplacementFile
// (replacement_file.h) in four steps: create the new file, write to it (any
// number of times), flush and close it, rename it over the old one. Before
// each step it asks writeStepFails; with no faults installed (always, outside
// tests) the answer is "no" from one thread-local pointer test, and the real
// call runs unchanged.
//   1. a test makes a WriteFaults, for example FailingStep{WriteStep::rename};
//   2. ScopedWriteFaults installs it for the calling thread;
//   3. the save runs; the chosen step fails as if the system had refused it;
//   4. the installer's destructor puts back what was installed before.
#pragma once

#include <array>
#include <cstddef>

namespace vantorel {

enum class WriteStep {
    create,  // the new file beside the target
    write,   // one block of bytes into it
    flush,   // flushing and closing it
    rename,  // moving it over the target
};

inline constexpr std::array<WriteStep, 4> kWriteSteps = {WriteStep::create, WriteStep::write,
                                                         WriteStep::flush, WriteStep::rename};

const char* writeStepName(WriteStep step);

class WriteFaults {
  public:
    // Asked before each step; true makes that step fail.
    virtual bool failStep(WriteStep step) = 0;

  protected:
    ~WriteFaults() = default;
};

// Installs `faults` for the calling thread while it lives.
class ScopedWriteFaults {
  public:
    explicit ScopedWriteFaults(WriteFaults& faults);
    ~ScopedWriteFaults();
    ScopedWriteFaults(const ScopedWriteFaults&) = delete;
    ScopedWriteFaults& operator=(const ScopedWriteFaults&) = delete;

  private:
    WriteFaults* previous_;
};

// True when the installed faults (if any) make this step fail.
bool writeStepFails(WriteStep step);

// Fails the `occurrence`th time (1: the first) that `step` is taken, and no
// other; counts every step taken meanwhile.
class FailingStep final : public WriteFaults {
  public:
    explicit FailingStep(WriteStep step, int occurrence = 1)
        : step_(step), occurrence_(occurrence) {}

    bool failStep(WriteStep step) override;

    int taken(WriteStep step) const { return taken_[static_cast<std::size_t>(step)]; }
    bool fired() const { return taken(step_) >= occurrence_; }

  private:
    WriteStep step_;
    int occurrence_;
    std::array<int, kWriteSteps.size()> taken_{};
};

}  // namespace vantorel
