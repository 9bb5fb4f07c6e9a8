#include "app/command_line.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "app/inserted_file.h"

namespace vantorel {

namespace {

// 'argument' followed by `rest`, built in one buffer (GCC 12 warns falsely,
// with -Wrestrict, on "literal" + std::string temporaries).
std::string quotedThen(std::string_view argument, std::string_view rest) {
    std::string text;
    text.reserve(argument.size() + rest.size() + 2);
    text.push_back('\'');
    text.append(argument);
    text.push_back('\'');
    text.append(rest);
    return text;
}

// Stores an option's value; returns an error text, empty when accepted.
using ApplyOption = std::string (*)(CommandLine& options, std::string_view value);

struct OptionSpec {
    std::string_view name;       // "--frames"
    std::string_view valueName;  // "N"; empty for a switch
    std::string_view help;
    ApplyOption apply;
};

std::optional<std::int64_t> parseCount(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// --type's text with \r, \n and \\ turned into CR, LF and a backslash.
std::string decodeTypeText(CommandLine& options, std::string_view text) {
    options.typeText.clear();
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] != '\\') {
            options.typeText += text[index];
            continue;
        }
        const char escaped = ++index < text.size() ? text[index] : '\0';
        if (escaped == 'r') {
            options.typeText += '\r';
        } else if (escaped == 'n') {
            options.typeText += '\n';
        } else if (escaped == '\\') {
            options.typeText += '\\';
        } else {
            return std::string("--type knows only the escapes \\r, \\n and \\\\");
        }
    }
    return std::string();
}

const std::array<OptionSpec, 21> kOptions = {{
    {"--headless", "", "run without a window",
     [](CommandLine& o, std::string_view) {
         o.headless = true;
         return std::string();
     }},
    {"--frames", "N", "frames to run headless (default 300)",
     [](CommandLine& o, std::string_view value) {
         const auto count = parseCount(value);
         if (!count)
             return "--frames needs a whole number of 0 or more, not '" + std::string(value) + "'";
         o.frames = *count;
         return std::string();
     }},
    {"--gdb-port", "N", "let a GDB client debug the machine on 127.0.0.1:N (1-65535)",
     [](CommandLine& o, std::string_view value) {
         const auto port = parseCount(value);
         if (!port || *port < 1 || *port > 65535)
             return "--gdb-port needs a port number from 1 to 65535, not '" + std::string(value) +
                    "'";
         o.gdbPort = static_cast<std::uint16_t>(*port);
         return std::string();
     }},
    {"--settings", "FILE", "read the settings from FILE",
     [](CommandLine& o, std::string_view value) {
         o.settingsPath = value;
         return std::string();
     }},
    {"--rom", "FILE", "plug in the game ROM in FILE before starting",
     [](CommandLine& o, std::string_view value) {
         o.romPath = value;
         return std::string();
     }},
    {"--snapshot", "FILE", "load the .SNP snapshot in FILE before starting",
     [](CommandLine& o, std::string_view value) {
         o.snapshotPath = value;
         return std::string();
     }},
    {"--save-ram", "FILE", "write the 64K RAM image to FILE at the end",
     [](CommandLine& o, std::string_view value) {
         o.saveRamPath = value;
         return std::string();
     }},
    {"--save-snapshot", "FILE", "write a .SNP snapshot of the machine to FILE at the end",
     [](CommandLine& o, std::string_view value) {
         o.saveSnapshotPath = value;
         return std::string();
     }},
    {"--type", "TEXT", "type TEXT once booted (\\r, \\n, \\\\), then run the frames",
     [](CommandLine& o, std::string_view value) { return decodeTypeText(o, value); }},
    {"--type-file", "FILE", "type the text in FILE once booted, then run the frames",
     [](CommandLine& o, std::string_view value) {
         o.typeFilePath = value;
         return std::string();
     }},
    {"--tape", "FILE", "play the tape in FILE (a WAV header or .wav as WAV, else raw)",
     [](CommandLine& o, std::string_view value) {
         o.tapePath = value;
         return std::string();
     }},
    {"--record-tape", "FILE", "record the tape output to FILE (.wav as WAV, else raw)",
     [](CommandLine& o, std::string_view value) {
         o.recordTapePath = value;
         return std::string();
     }},
    {"--screenshot", "FILE", "with --headless: save the client area as a PNG at the end",
     [](CommandLine& o, std::string_view value) {
         o.screenshotPath = value;
         return std::string();
     }},
    {"--wav", "FILE", "with --headless: record the sound into FILE (22050 Hz mono 16-bit)",
     [](CommandLine& o, std::string_view value) {
         o.wavPath = value;
         return std::string();
     }},
    {"--printer-file", "FILE", "with --headless: append what the machine prints to FILE",
     [](CommandLine& o, std::string_view value) {
         o.printerPath = value;
         return std::string();
     }},
    {"--record-movie", "FILE", "with --headless: record the run's input movie into FILE",
     [](CommandLine& o, std::string_view value) {
         o.recordMoviePath = value;
         return std::string();
     }},
    {"--play-movie", "FILE", "with --headless: play the movie in FILE; exit 1 out of step",
     [](CommandLine& o, std::string_view value) {
         o.playMoviePath = value;
         return std::string();
     }},
    {"--print-screen", "", "print the screen as 30 lines of text at the end",
     [](CommandLine& o, std::string_view) {
         o.printScreen = true;
         return std::string();
     }},
    {"--paths", "", "show the start-up folder and the settings file in use",
     [](CommandLine& o, std::string_view) {
         o.paths = true;
         return std::string();
     }},
    {"--help", "", "show this help",
     [](CommandLine& o, std::string_view) {
         o.help = true;
         return std::string();
     }},
    {"--version", "", "show the version",
     [](CommandLine& o, std::string_view) {
         o.version = true;
         return std::string();
     }},
}};

// Both given and the same file: the same path, or (when they exist) one
// file under two names.
bool namesSameFile(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return false;
    const std::filesystem::path a(first);
    const std::filesystem::path b(second);
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) return true;
    const auto normal = [](const std::filesystem::path& path) {
        std::error_code pathError;
        const std::filesystem::path absolute = std::filesystem::absolute(path, pathError);
        if (pathError) return path.lexically_normal();
        const std::filesystem::path canonical =
            std::filesystem::weakly_canonical(absolute, pathError);
        return pathError ? absolute.lexically_normal() : canonical;
    };
    return normal(a) == normal(b);
}

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& option : kOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

CommandLineResult parseCommandLine(int argc, const char* const* argv) {
    CommandLineResult result;
    for (int index = 1; index < argc; ++index) {
        std::string_view argument = argv[index];
        std::optional<std::string_view> attachedValue;
        if (const auto equals = argument.find('=');
            argument.starts_with("--") && equals != std::string_view::npos) {
            attachedValue = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        if (!argument.starts_with("-") && !attachedValue) {
            if (!result.options.insertPath.empty()) {
                result.error =
                    "only one file can be inserted, not also " + quotedThen(argument, "");
                return result;
            }
            if (insertKindOf(std::filesystem::path(argument)) == InsertKind::unknown) {
                result.error =
                    quotedThen(argument, " is not a game ROM (.rom, .bin) or a snapshot (.snp)");
                return result;
            }
            result.options.insertPath = argument;
            continue;
        }
        const OptionSpec* option = findOption(argument);
        if (option == nullptr) {
            result.error = "unknown option '" + std::string(argument) + "'";
            return result;
        }
        std::string_view value;
        if (option->valueName.empty()) {
            if (attachedValue) {
                result.error = std::string(argument) + " takes no value";
                return result;
            }
        } else if (attachedValue) {
            value = *attachedValue;
        } else if (index + 1 < argc) {
            value = argv[++index];
        } else {
            result.error = std::string(argument) + " needs " + std::string(option->valueName);
            return result;
        }
        // An empty file name would read as "not given": the run would go on
        // without the file it was asked for.
        if (option->valueName == "FILE" && value.empty()) {
            result.error = std::string(argument) + " needs a file name, not an empty one";
            return result;
        }
        result.error = option->apply(result.options, value);
        if (!result.ok()) return result;
    }
    if (!result.options.typeText.empty() && !result.options.typeFilePath.empty()) {
        result.error = "--type and --type-file cannot be used together";
    } else if (result.options.gdbPort != 0 &&
               (!result.options.playMoviePath.empty() || !result.options.recordMoviePath.empty())) {
        result.error = "--gdb-port cannot be used with --play-movie or --record-movie";
    } else if (namesSameFile(result.options.tapePath, result.options.recordTapePath)) {
        result.error =
            "--tape and --record-tape name the same file: the recording would "
            "replace the tape it plays";
    }
    return result;
}

std::string usageText() {
    std::string text =
        "Usage: vantorel [options] [FILE]\n\n"
        "FILE, a game ROM (.rom, .bin) or a snapshot (.snp), is inserted at start.\n\n"
        "Options:\n";
    for (const OptionSpec& option : kOptions) {
        std::string left = "  ";
        left += option.name;
        if (!option.valueName.empty()) {
            left += ' ';
            left += option.valueName;
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 20), ' ');
        text += left + std::string(option.help) + "\n";
    }
    text +=
        "\nA snapshot given with a game ROM replaces it. The exit status is 0 on\n"
        "success and 2 on a usage error or a file that cannot be used.\n"
        "Started in a folder holding VANTOREL.INI or default.ini, vantorel keeps its\n"
        "files there; otherwise in $XDG_DATA_HOME/vantorel, with the settings in\n"
        "$XDG_CONFIG_HOME/vantorel/default.ini (see --paths and 'man vantorel').\n";
    return text;
}

}  // namespace vantorel
