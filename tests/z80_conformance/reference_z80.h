// The reference processor of the differential test: libz80ex with its own
// 64K memory, recording memory writes and port accesses like our test bus.
// libz80ex executes a prefix byte as a step of its own; runInstructions()
// steps until the given number of whole instructions has completed.
#pragma once

#include <array>
#include <cstdint>

#include "bus_activity.h"
#include "cpu_snapshot.h"

namespace vantorel::conformance {

class ReferenceZ80 {
  public:
    ReferenceZ80();
    ~ReferenceZ80();
    ReferenceZ80(const ReferenceZ80&) = delete;
    ReferenceZ80& operator=(const ReferenceZ80&) = delete;

    void setRegisters(const CpuSnapshot& snapshot);
    CpuSnapshot registers() const;

    // Runs `count` whole instructions (prefix steps included) and returns
    // the T-states they took.
    int runInstructions(int count);

    // Raises a non-maskable or a maskable interrupt; a maskable request reads
    // `busBytes` (1 to 3, in order) from the data bus. Returns the T-states
    // of the acceptance, 0 when it was not accepted.
    int raiseInterrupt(bool nonMaskable, const std::uint8_t* busBytes, int busByteCount);

    // Sets the counted bits of R (bit 7 stays as stored).
    void setRefresh(std::uint8_t r);

    std::array<std::uint8_t, 65536> memory{};  // the whole address space, RAM
    BusActivity activity;                      // writes and port accesses since clear()
    std::uint32_t portSalt = 0;                // seeds what IN reads (portValueFor)
    std::array<std::uint8_t, 3> busBytes{};    // what an interrupt acknowledge reads
    int busByteCount = 0;                      // bytes in busBytes
    int busBytesRead = 0;                      // of them, read so far

  private:
    struct Context;
    Context* context_;  // the libz80ex processor (opaque C handle)
};

}  // namespace vantorel::conformance
