#include "shell/paste_typing.h"

#include "machine/machine.h"

namespace vantorel {

std::vector<std::uint8_t> pasteBytes(const QString& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar character : text) {
        if (character.unicode() < 0x80)
            bytes.push_back(static_cast<std::uint8_t>(character.unicode()));
    }
    return bytes;
}

QuickTypeResult pasteAsTyping(Machine& machine, const QString& text) {
    if (machine.quickTypeActive()) return QuickTypeResult::alreadyActive;
    return machine.startQuickTypeText(pasteBytes(text));
}

}  // namespace vantorel
