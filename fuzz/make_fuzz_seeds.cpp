// Writes the seed inputs of every fuzz target into FOLDER/<target>/.
//   make_fuzz_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_seeds.h"
#include "fuzz/fuzz_targets.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    for (const auto& target : vantorel::fuzz::kFuzzTargets) {
        const fs::path folder = fs::path(argv[1]) / std::string(target.name);
        fs::create_directories(folder);
        for (const auto& seed : vantorel::fuzz::seedInputs(target.name)) {
            std::ofstream file(folder / seed.name, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(seed.bytes.data()),
                       static_cast<std::streamsize>(seed.bytes.size()));
            if (!file) {
                std::fprintf(stderr, "cannot write %s\n", (folder / seed.name).c_str());
                return 1;
            }
        }
    }
    return 0;
}
