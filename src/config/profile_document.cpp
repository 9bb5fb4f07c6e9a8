#include "config/profile_document.h"

#include "config/profile_text.h"

namespace vantorel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// "[name]" (blanks allowed around it): the text between the bracket and the
// last closing bracket, blanks removed. Anything else is no header.
std::optional<std::string_view> sectionHeaderName(std::string_view lineText) {
    const std::string_view trimmed = trimProfileBlanks(lineText);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const std::size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    return trimProfileBlanks(trimmed.substr(1, close - 1));
}

// "name=value": the name before the first '=', blanks removed. Comment lines
// (starting with ';'), headers and lines without '=' or without a name are no
// keys; they stay in the document untouched.
std::optional<std::string_view> keyName(std::string_view lineText) {
    const std::string_view trimmed = trimProfileBlanks(lineText);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = trimProfileBlanks(trimmed.substr(0, equals));
    if (name.empty()) return std::nullopt;
    return name;
}

std::string_view keyValue(std::string_view keyLineText) {
    return trimProfileBlanks(keyLineText.substr(keyLineText.find('=') + 1));
}

bool isBlankLine(std::string_view lineText) {
    return trimProfileBlanks(lineText).empty();
}

bool isCommentLine(std::string_view lineText) {
    const std::string_view trimmed = trimProfileBlanks(lineText);
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

}  // namespace

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
    ProfileDocument document;
    document.sections_.emplace_back();  // the lines before the first header
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        document.hasByteOrderMark_ = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    bool endingChosen = false;
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        std::string_view text = bytes.substr(0, newline);
        LineEnding ending = LineEnding::none;
        if (newline == std::string_view::npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(newline + 1);
            ending = LineEnding::lf;
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                ending = LineEnding::crlf;
            }
            if (!endingChosen) {
                document.newLineEnding_ = ending;  // new lines follow the file's own style
                endingChosen = true;
            }
        }
        document.addLine(text, ending);
    }
    return document;
}

void ProfileDocument::addLine(std::string_view text, LineEnding ending) {
    const auto header = sectionHeaderName(text);
    if (header) startSection(std::string(*header));
    Section& section = sections_.back();
    section.lines.push_back(Line{std::string(text), ending});
    const auto key = keyName(text);
    if (!header && !isBlankLine(text) && !isCommentLine(text) && !(key && section.hasHeader)) {
        readsAsProfile_ = false;  // garbage, or a key before any section
    }
    if (!section.hasHeader) return;  // keys before any header belong to no section
    if (const auto name = key) {
        const std::size_t index = section.lines.size() - 1;
        // A repeated key is kept in the file, but the first one counts.
        section.keyLines.try_emplace(toLowerAscii(*name), LineRef{false, index});
        section.lastKeyLine = index;
    }
}

void ProfileDocument::startSection(std::string name) {
    sectionsByName_[toLowerAscii(name)].push_back(sections_.size());
    Section section;
    section.name = std::move(name);
    section.hasHeader = true;
    sections_.push_back(std::move(section));
}

std::optional<std::string_view> ProfileDocument::findValue(std::string_view section,
                                                           std::string_view key) const {
    const auto named = sectionsByName_.find(toLowerAscii(section));
    if (named == sectionsByName_.end()) return std::nullopt;
    const std::string lowerKey = toLowerAscii(key);
    for (const std::size_t index : named->second) {
        const Section& candidate = sections_[index];
        const auto line = candidate.keyLines.find(lowerKey);
        if (line == candidate.keyLines.end()) continue;
        const LineRef where = line->second;
        const auto& lines = where.added ? candidate.addedLines : candidate.lines;
        return keyValue(lines[where.index].text);
    }
    return std::nullopt;
}

void ProfileDocument::setValue(std::string_view section, std::string_view key,
                               std::string_view value) {
    // A line break inside a value would end the line early and let the rest of
    // the value pose as keys or sections of its own: the value stops there.
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::string lowerSection = toLowerAscii(section);
    const std::string lowerKey = toLowerAscii(key);
    if (Section* holder = findSectionWithKey(lowerSection, lowerKey)) {
        // Keep the key as the file spells it; only the value changes.
        std::string& text = lineAt(*holder, holder->keyLines.at(lowerKey)).text;
        text = std::string(*keyName(text)) + "=" + std::string(value);
        return;
    }
    std::string keyLine = std::string(key) + "=" + std::string(value);
    const auto named = sectionsByName_.find(lowerSection);
    if (named != sectionsByName_.end()) {
        insertKeyLine(sections_[named->second.front()], lowerKey, std::move(keyLine));
    } else {
        appendSection(section, std::move(keyLine));
    }
}

ProfileDocument::Section* ProfileDocument::findSectionWithKey(const std::string& lowerSection,
                                                              const std::string& lowerKey) {
    const auto named = sectionsByName_.find(lowerSection);
    if (named == sectionsByName_.end()) return nullptr;
    for (const std::size_t index : named->second) {
        if (sections_[index].keyLines.contains(lowerKey)) return &sections_[index];
    }
    return nullptr;
}

ProfileDocument::Line& ProfileDocument::lineAt(Section& section, LineRef where) {
    return where.added ? section.addedLines[where.index] : section.lines[where.index];
}

void ProfileDocument::insertKeyLine(Section& section, const std::string& lowerKey,
                                    std::string text) {
    Line& previous = section.lines[section.lastKeyLine];
    if (previous.ending == LineEnding::none) previous.ending = newLineEnding_;
    section.keyLines.emplace(lowerKey, LineRef{true, section.addedLines.size()});
    section.addedLines.push_back(Line{std::move(text), newLineEnding_});
}

void ProfileDocument::appendSection(std::string_view name, std::string keyLine) {
    terminateLastLine();
    const Line* last = nullptr;
    for (const Section& section : sections_) {
        if (!section.lines.empty()) last = &section.lines.back();
    }
    // A blank line between sections, as the Windows functions leave it.
    if (last != nullptr && !isBlankLine(last->text)) {
        sections_.back().lines.push_back(Line{"", newLineEnding_});
    }
    std::string header = "[";
    header.append(name).append("]");
    addLine(header, newLineEnding_);  // opens the section
    addLine(keyLine, newLineEnding_);
}

void ProfileDocument::terminateLastLine() {
    for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
        if (section->lines.empty()) continue;
        Line& last = section->lines.back();
        if (last.ending == LineEnding::none) last.ending = newLineEnding_;
        return;
    }
}

std::string ProfileDocument::serialize() const {
    std::string bytes;
    if (hasByteOrderMark_) bytes += kByteOrderMark;
    const auto emit = [&bytes](const Line& line) {
        bytes += line.text;
        if (line.ending == LineEnding::lf) bytes += '\n';
        if (line.ending == LineEnding::crlf) bytes += "\r\n";
    };
    for (const Section& section : sections_) {
        for (std::size_t index = 0; index < section.lines.size(); ++index) {
            emit(section.lines[index]);
            if (index == section.lastKeyLine) {
                for (const Line& added : section.addedLines) emit(added);
            }
        }
    }
    return bytes;
}

}  // namespace vantorel
