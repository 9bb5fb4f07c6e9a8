#include "shell/paste_typing.h"

#include <QList>
#include <string_view>

#include "machine/machine.h"

namespace vantorel {

namespace {

// Punctuation that has a plain ASCII form of one or more characters.
std::string_view asciiFormOf(char32_t character) {
    switch (character) {
        case 0x00A0:  // no-break space
        case 0x2002:
        case 0x2003:
        case 0x2009:
            return " ";
        case 0x2018:
        case 0x2019:
        case 0x201A:
        case 0x2032:
            return "'";
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x2033:
            return "\"";
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2013:
        case 0x2014:
        case 0x2212:
            return "-";
        case 0x2026:
            return "...";
        case 0x00D7:
            return "x";
        case 0x00DF:
            return "ss";
        default:
            return {};
    }
}

// The plain letter under an accented one ("e" for "é"), or 0.
char plainLetterOf(char32_t character) {
    const QString decomposed = QChar::decomposition(character);
    if (decomposed.isEmpty()) return 0;
    const char16_t base = decomposed.front().unicode();
    return base < 0x80 ? static_cast<char>(base) : 0;
}

}  // namespace

PasteText pasteText(const QString& text) {
    PasteText result;
    result.bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const uint code : text.toUcs4()) {
        const auto character = static_cast<char32_t>(code);
        if (character < 0x80) {
            result.bytes.push_back(static_cast<std::uint8_t>(character));
            continue;
        }
        ++result.changed;
        if (const std::string_view form = asciiFormOf(character); !form.empty()) {
            result.bytes.insert(result.bytes.end(), form.begin(), form.end());
        } else if (const char letter = plainLetterOf(character); letter != 0) {
            result.bytes.push_back(static_cast<std::uint8_t>(letter));
        } else {
            result.bytes.push_back('?');
        }
    }
    return result;
}

std::vector<std::uint8_t> pasteBytes(const QString& text) {
    return pasteText(text).bytes;
}

QuickTypeResult pasteAsTyping(Machine& machine, const QString& text, int* changed) {
    if (changed != nullptr) *changed = 0;
    if (machine.quickTypeActive()) return QuickTypeResult::alreadyActive;
    const PasteText paste = pasteText(text);
    if (changed != nullptr) *changed = paste.changed;
    return machine.startQuickTypeText(paste.bytes);
}

}  // namespace vantorel
