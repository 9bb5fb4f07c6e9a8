// The seed inputs of the fuzz targets, made by our own code: ROMs and
// programs assembled here, snapshots and settings files saved by the
// program itself, tapes encoded by our tape writer. Nothing is taken from
// elsewhere.
//
// Used by the make_fuzz_seeds tool (which writes them into a folder per
// target for scripts/fuzz.sh) and by the test suite, which runs every target
// on its seeds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel::fuzz {

struct SeedInput {
    std::string name;  // a file name for the corpus folder
    std::vector<std::uint8_t> bytes;
};

// The seeds of the target called `target` (fuzz_targets.h); none for a name
// that is not a target's.
std::vector<SeedInput> seedInputs(std::string_view target);

}  // namespace vantorel::fuzz
