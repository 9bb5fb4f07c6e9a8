#include "app/printer_output.h"

#include <algorithm>
#include <system_error>

#include "machine/rom_files.h"

namespace vantorel {

namespace {

constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kFormFeed = 0x0C;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kRubout = 0x7F;
constexpr std::int32_t kTabStop = 8;

bool printable(std::uint8_t byte) {
    return byte >= 0x20 && byte < kRubout;
}

}  // namespace

std::filesystem::path printerFilePath(const MachineConfig& config,
                                      const std::filesystem::path& lprintFolder) {
    if (config.filename[0] == '\0') return {};
    return romFilePath(config.filename, lprintFolder);
}

PrinterOutput::~PrinterOutput() {
    close();
}

void PrinterOutput::configure(const MachineConfig& config, const std::filesystem::path& file) {
    close();
    path_ = file;
    autoLinefeed_ = config.autolinefeedflag;
    width_ = config.fixedwidthflag ? std::max(config.width, 1) : 0;
    column_ = 0;
    failed_ = false;
}

void PrinterOutput::printByte(std::uint8_t byte) {
    ++bytesReceived_;
    if (!connected() || failed_) return;
    switch (byte) {
        case kCarriageReturn:
            put('\r');
            if (autoLinefeed_) put('\n');
            lineEnd();
            return;
        case kLineFeed:
        case kFormFeed:
            put(static_cast<char>(byte));
            lineEnd();
            return;
        case kTab:
            putText('\t');
            column_ += kTabStop - 1 - column_ % kTabStop;  // putText counted one
            return;
        default:
            break;
    }
    if (printable(byte)) {
        putText(static_cast<char>(byte));
    } else if (byte > kRubout) {
        putText(kPrinterGraphicReplacement);
    }
}

// A character that would pass the fixed width goes on a new line, which
// ends as a carriage return would.
void PrinterOutput::putText(char character) {
    if (width_ > 0 && column_ >= width_) {
        if (autoLinefeed_) put('\r');
        put('\n');
        column_ = 0;
    }
    put(character);
    ++column_;
}

void PrinterOutput::lineEnd() {
    column_ = 0;
    flush();
}

void PrinterOutput::put(char character) {
    if (file_ == nullptr && !open()) return;
    if (std::fputc(character, file_) == EOF) fail("cannot be written");
}

bool PrinterOutput::open() {
    if (failed_) return false;
    std::error_code ignored;
    if (path_.has_parent_path()) std::filesystem::create_directories(path_.parent_path(), ignored);
    file_ = std::fopen(path_.c_str(), "ab");
    if (file_ == nullptr) fail("cannot be opened for writing");
    return file_ != nullptr;
}

void PrinterOutput::flush() {
    if (file_ != nullptr && std::fflush(file_) != 0) fail("cannot be written");
}

void PrinterOutput::close() {
    if (file_ == nullptr) return;
    flush();
    if (file_ != nullptr && std::fclose(file_) != 0 && !failed_) fail("cannot be written");
    file_ = nullptr;
}

// Reported once; the printer then drops what it is given until configured again.
void PrinterOutput::fail(const char* what) {
    if (failed_) return;
    failed_ = true;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (failure_) failure_("The printer file " + path_.string() + " " + what + ".");
}

}  // namespace vantorel
