// The printer behind the parallel port: what the machine prints lands in the
// printer file.
//
// Takes each byte the machine strobes (hostapi's PrinterSink) and appends it
// to the file the Printer settings name, as a text a desktop viewer shows:
//   - CR ends a line: with "Automatic linefeed following carriage return" it
//     is written as CR LF, otherwise as a lone CR;
//   - LF, FF (a form feed: a new page) and TAB pass through;
//   - other control bytes (00-1F, 7F) are dropped;
//   - 80-FF, the Sorcerer's graphics, have no text form and print as '?';
//   - "Fixed width at N characters" starts a new line (written as a CR would
//     be, at least LF) before a character that would be the N+1th; "Unlimited
//     width" never breaks.
// The file is opened for appending at the first byte, flushed at every line
// end and page, and by flush() (the window calls it on a reset and at exit),
// so that a killed program loses at most the line being printed. A file that
// cannot be opened or written is reported once through the failure callback;
// the machine runs on and the bytes are dropped until the settings change.
//
// Owned by the program (the window or the headless runner), which attaches it
// to the machine as MachineHost::printer while a printer file is set:
//   1. PrinterOutput printer;
//      printer.configure(config, printerFilePath(config, lprintFolder));
//   2. the machine calls printByte for every strobe
//   3. flush() on a reset, close() at exit or before configure() again
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr char kPrinterGraphicReplacement = '?';  // bytes 80-FF

class PrinterOutput : public PrinterSink {
  public:
    using FailureReport = std::function<void(const std::string& message)>;

    PrinterOutput() = default;
    ~PrinterOutput() override;
    PrinterOutput(const PrinterOutput&) = delete;
    PrinterOutput& operator=(const PrinterOutput&) = delete;

    // Takes the line feed and width settings and the printer file (see
    // printerFilePath); an empty path disconnects the printer. Closes the
    // file of the previous settings first.
    void configure(const MachineConfig& config, const std::filesystem::path& file);
    void onFailure(FailureReport report) { failure_ = std::move(report); }

    // True while a printer file is set: the machine's printer is connected.
    bool connected() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

    // PrinterSink: one byte strobed by the machine; a reset flushes.
    void printByte(std::uint8_t byte) override;
    void machineReset() override { flush(); }

    // Everything printed so far reaches the file.
    void flush();
    // Flushes and closes the file; the next byte opens it again.
    void close();

    // Bytes the machine has strobed (the window shows "Printing" while it grows).
    std::uint64_t bytesReceived() const { return bytesReceived_; }

  private:
    void lineEnd();
    void put(char character);
    void putText(char character);
    bool open();
    void fail(const char* what);

    std::filesystem::path path_;
    bool autoLinefeed_ = true;
    std::int32_t width_ = 0;  // characters per line; 0: unlimited
    std::int32_t column_ = 0;
    std::FILE* file_ = nullptr;
    bool failed_ = false;  // reported once; bytes dropped until configure()
    FailureReport failure_;
    std::uint64_t bytesReceived_ = 0;
};

// The printer file the settings name: a relative name under `lprintFolder`,
// an absolute one as it is; empty when no file is set.
std::filesystem::path printerFilePath(const MachineConfig& config,
                                      const std::filesystem::path& lprintFolder);

}  // namespace vantorel
