#include "app/fed_files.h"

#include <string_view>
#include <utility>

#include "cassette/tape_files.h"
#include "files/binary_file.h"
#include "machine/machine.h"

namespace vantorel {

TapePlayResult playCassetteFile(Machine& machine, const std::filesystem::path& path,
                                TapeFormat format) {
    TapePlayResult result;
    std::optional<std::ifstream> file = openBinaryFile(path);
    if (!file) return result;
    result.opened = true;
    machine.stopCassette();
    if (format == TapeFormat::raw) {
        RawTapeFile tape = readRawTape(*file);
        result.playing =
            tape.result == RawTapeRead::loaded && machine.playTapeBytes(std::move(tape.bytes));
        return result;
    }
    WavReadResult wav = readWav(*file);
    result.error = wav.error;
    if (wav.error != WavError::none) return result;
    machine.playTapeWav(std::move(wav.tape));
    result.playing = true;
    return result;
}

std::string tapePlayProblem(const TapePlayResult& result) {
    if (!result.opened) return "cannot open the tape";
    if (result.error != WavError::none) return wavErrorMessage(result.error);
    if (!result.playing) return "empty or unreadable tape";
    return {};
}

bool hasWavHeader(const std::filesystem::path& path) {
    std::optional<std::ifstream> file = openBinaryFile(path);
    if (!file) return false;
    char header[12] = {};
    if (!file->read(header, sizeof header)) return false;
    const std::string_view text(header, sizeof header);
    return text.substr(0, 4) == "RIFF" && text.substr(8, 4) == "WAVE";
}

TapeFormat tapeFormatForFile(const std::filesystem::path& path) {
    if (tapeFormatForName(path) == TapeFormat::wav || hasWavHeader(path)) return TapeFormat::wav;
    return TapeFormat::raw;
}

QuickTypeResult startQuickTypeFile(Machine& machine, const std::filesystem::path& path) {
    if (machine.quickTypeActive()) return QuickTypeResult::alreadyActive;
    const QuickTypeFile file = readQuickTypeFile(path);
    DebugOutputSink* debug = machine.host().debug;
    if (file.result == QuickTypeResult::cannotOpen && debug != nullptr) {
        debug->debugOutput("Could not open file\n");
    }
    if (file.result != QuickTypeResult::ok) return file.result;
    return machine.startQuickTypeText(file.bytes);
}

}  // namespace vantorel
