// The emulated screen as text, for the headless runner and tests.
//
// Screen RAM F080-F7FF holds 30 rows of 64 character codes. Codes 20-7E are
// shown as themselves, every other code (control codes, graphics,
// programmable characters) as '.'.
#pragma once

#include <string>

#include "machine/machine_memory.h"

namespace vantorel {

inline constexpr int kScreenColumns = 64;
inline constexpr int kScreenRows = 30;

// 30 lines of 64 characters, each ended by '\n'.
std::string screenText(const MachineMemory& memory);

}  // namespace vantorel
