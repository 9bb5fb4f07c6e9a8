// An INI document held in memory, edited in place.
//
// Models the file behind the Windows profile functions: "[section]" headers
// and "key=value" lines, both matched without regard to (ASCII) case. The
// settings code (settings_file.cpp) uses it as follows:
//   1. parse the file's bytes once (profile_file.h does the reading);
//   2. look values up with findValue, or through profile_values.h, which adds
//      the defaults and integer rules of GetPrivateProfileString/Int;
//   3. setValue replaces a value in place, appends a missing key to its
//      section or a missing section to the end;
//   4. serialize gives the bytes back: every line the program did not write,
//      comments, garbage, blank lines and line endings included, comes out
//      exactly as it went in.
// readsAsProfile tells whether the bytes were an INI file at all: a file
// holding anything else (a shell script, a text, a binary) is read, but a
// save never writes it back (profile_file.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantorel {

class ProfileDocument {
  public:
    // Splits `bytes` into lines (LF or CRLF, a missing final newline allowed,
    // a leading UTF-8 byte order mark kept aside) and indexes its sections.
    static ProfileDocument parse(std::string_view bytes);

    // The value of the first `key` found in a section named `section`, with
    // the blanks around it removed; nothing when either is missing. Sections
    // of the same name are searched in file order.
    std::optional<std::string_view> findValue(std::string_view section, std::string_view key) const;

    // Sets `key` in `section` to `value`, written as given up to its first line
    // break: replaces the existing line in place, else adds the key after the
    // section's last key, else adds the section at the end of the document.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // The document's bytes.
    std::string serialize() const;

    // True when every line parsed is a "[section]" header, a "key=value" line
    // inside a section, a comment (';' or '#' first) or blank.
    bool readsAsProfile() const { return readsAsProfile_; }

  private:
    enum class LineEnding { none, lf, crlf };

    struct Line {
        std::string text;   // the line without its terminator
        LineEnding ending;  // how the line was (or will be) terminated
    };

    // Where a key's line is: in `lines`, or among the keys added since parsing.
    struct LineRef {
        bool added = false;
        std::size_t index = 0;
    };

    struct Section {
        std::string name;  // between the brackets, blanks removed; empty before any header
        bool hasHeader = false;
        std::vector<Line> lines;  // the header line first when hasHeader
        // Keys added by setValue, written right after lines[lastKeyLine]. Kept
        // apart so that adding a key never shifts the lines of a long section.
        std::vector<Line> addedLines;
        std::unordered_map<std::string, LineRef> keyLines;  // lower-case key -> first line
        std::size_t lastKeyLine = 0;  // index of the last parsed key line; 0 (the header) if none
    };

    void addLine(std::string_view text, LineEnding ending);
    void startSection(std::string name);
    Section* findSectionWithKey(const std::string& lowerSection, const std::string& lowerKey);
    static Line& lineAt(Section& section, LineRef where);
    void insertKeyLine(Section& section, const std::string& lowerKey, std::string text);
    void appendSection(std::string_view name, std::string keyLine);
    void terminateLastLine();

    bool hasByteOrderMark_ = false;              // the file started with EF BB BF
    bool readsAsProfile_ = true;                 // no line of another kind was parsed
    LineEnding newLineEnding_ = LineEnding::lf;  // for lines the program adds
    std::vector<Section> sections_;  // in file order; [0] holds the lines before any header
    std::unordered_map<std::string, std::vector<std::size_t>> sectionsByName_;  // lower-case name
};

}  // namespace vantorel
