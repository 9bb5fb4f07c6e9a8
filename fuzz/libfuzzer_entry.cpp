// libFuzzer's entry point for one target, chosen when the program is built
// (VANTOREL_FUZZ_TARGET names one of the functions of fuzz_targets.h).
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantorel::fuzz::VANTOREL_FUZZ_TARGET(vantorel::fuzz::Bytes(data, size));
    return 0;
}
