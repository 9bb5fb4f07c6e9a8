// Every fuzz target run on its own seeds and on every input kept from a past
// finding (fuzz/regressions/<target>/), so that a fixed fault stays fixed
// and a target that no longer runs fails here as well as under libFuzzer.
// A target's checks abort the test program when they fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_seeds.h"
#include "fuzz/fuzz_targets.h"

namespace vantorel::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzInputs, SeedsAndKeptFindingsRunCleanly) {
    const FuzzTarget& target = GetParam();
    const auto seeds = seedInputs(target.name);
    ASSERT_FALSE(seeds.empty()) << target.name << " has no seeds";
    for (const SeedInput& seed : seeds) {
        SCOPED_TRACE(seed.name);
        target.run(seed.bytes);
    }
    const fs::path kept = fs::path(VANTOREL_FUZZ_REGRESSIONS) / std::string(target.name);
    if (!fs::is_directory(kept)) return;
    for (const auto& entry : fs::directory_iterator(kept)) {
        SCOPED_TRACE(entry.path().string());
        const auto bytes = fileBytes(entry.path());
        target.run(bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, FuzzInputs, ::testing::ValuesIn(kFuzzTargets),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vantorel::fuzz
