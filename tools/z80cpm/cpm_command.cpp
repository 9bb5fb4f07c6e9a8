#include "cpm_command.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "cpm_machine.h"

namespace vantorel::cpm {

namespace {

constexpr const char* kUsage = "usage: z80cpm [--max-tstates N] PROGRAM.COM";
constexpr const char* kLimitOption = "--max-tstates";

struct Options {
    std::uint64_t maxTstates = 0;  // 0: no limit
    std::string programPath;
};

// A positive decimal count, or nothing.
std::optional<std::uint64_t> parseCount(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value == 0) return std::nullopt;
    return value;
}

std::optional<Options> parseArguments(const std::vector<std::string>& arguments) {
    Options options;
    bool havePath = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        std::optional<std::string> limitText;
        if (argument == kLimitOption) {
            if (++index == arguments.size()) return std::nullopt;
            limitText = arguments[index];
        } else if (argument.rfind(std::string(kLimitOption) + "=", 0) == 0) {
            limitText = argument.substr(std::string(kLimitOption).size() + 1);
        }
        if (limitText) {
            const std::optional<std::uint64_t> limit = parseCount(*limitText);
            if (!limit) return std::nullopt;
            options.maxTstates = *limit;
            continue;
        }
        if (havePath || (argument.size() > 1 && argument[0] == '-')) return std::nullopt;
        options.programPath = argument;
        havePath = true;
    }
    if (!havePath) return std::nullopt;
    return options;
}

enum class LoadStatus { Loaded, Unreadable, TooLarge };

// Reads at most one byte more than fits, so a huge file is never read whole.
LoadStatus readProgram(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return LoadStatus::Unreadable;
    bytes.resize(kMaxProgramBytes + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) return LoadStatus::Unreadable;
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxProgramBytes) return LoadStatus::TooLarge;
    return LoadStatus::Loaded;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

}  // namespace

int runCpmCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = parseArguments(arguments);
    if (!options) {
        err << kUsage << '\n';
        return kExitUsage;
    }

    std::vector<std::uint8_t> program;
    switch (readProgram(options->programPath, program)) {
        case LoadStatus::Unreadable:
            err << "z80cpm: cannot read " << options->programPath << '\n';
            return kExitUsage;
        case LoadStatus::TooLarge:
            err << "z80cpm: " << options->programPath << " is too large (more than "
                << kMaxProgramBytes << " bytes)\n";
            return kExitUsage;
        case LoadStatus::Loaded:
            break;
    }

    auto machine = std::make_unique<CpmMachine>();
    machine->loadProgram(program.data(), program.size());
    const CpmRunResult result = machine->run(options->maxTstates, out);
    out.flush();

    int status = kExitEnded;
    if (result.end == CpmEnd::LimitReached) {
        err << "z80cpm: stopped at the limit of " << options->maxTstates << " T-states\n";
        status = kExitLimit;
    } else if (result.end == CpmEnd::Halted) {
        err << "z80cpm: HALT at " << hex4(result.haltAddress) << " with nothing to end it\n";
        status = kExitLimit;
    }
    err << "T-states: " << result.tstates << '\n';
    return status;
}

}  // namespace vantorel::cpm
