// Template expansion of the Z80 disassembler (see z80_disassembler.h).
#include "z80/z80_disassembler.h"

#include <cstdio>
#include <cstring>

namespace vantorel {
namespace {

constexpr std::size_t kMnemonicWidth = 5;  // columns before the operands
constexpr const char* kNoIndexName = "INTERNAL PROGRAM ERROR";

// Appends to a caller's buffer, never past its end.
class TextBuilder {
  public:
    TextBuilder(char* text, std::size_t capacity) : text_(text), capacity_(capacity) {
        if (capacity_ > 0) text_[0] = '\0';
    }

    std::size_t length() const { return length_; }

    void append(const char* piece) {
        for (; *piece != '\0'; ++piece) appendChar(*piece);
    }

    void appendChar(char character) {
        if (length_ + 1 >= capacity_) return;
        text_[length_++] = character;
        text_[length_] = '\0';
    }

    void clear() {
        length_ = 0;
        if (capacity_ > 0) text_[0] = '\0';
    }

  private:
    char* text_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

// Reads operand bytes in address order, each once.
class OperandReader {
  public:
    OperandReader(InstructionByteReader read, void* context, std::uint16_t position)
        : read_(read), context_(context), position_(position) {}

    std::uint32_t nextByte() { return read_(context_, position_++); }

    std::uint32_t nextWord() {
        const std::uint32_t low = nextByte();
        return low | (nextByte() << 8);
    }

    std::uint16_t position() const { return position_; }

  private:
    InstructionByteReader read_;
    void* context_;
    std::uint16_t position_;  // address of the next operand byte
};

// "(ix+$05)" or "(iy-$05)".
void appendIndexed(TextBuilder& text, const char* indexName, std::uint32_t displacement) {
    const bool negative = displacement > 0x7F;
    char piece[48];
    std::snprintf(piece, sizeof piece, "(%s%c$%02x)", indexName, negative ? '-' : '+',
                  negative ? 256 - displacement : displacement);
    text.append(piece);
}

void appendHex(TextBuilder& text, const char* format, std::uint32_t value) {
    char piece[24];
    std::snprintf(piece, sizeof piece, format, value);
    text.append(piece);
}

}  // namespace

int disassembleZ80(char* textBuffer, std::size_t capacity, std::uint16_t address,
                   InstructionByteReader readByte, void* context) {
    TextBuilder text(textBuffer, capacity);
    const std::uint32_t first = readByte(context, address);
    const char* pattern = nullptr;
    const char* indexName = kNoIndexName;
    std::uint32_t second = 0;
    std::uint32_t bitDisplacement = 0;
    std::uint16_t operands = static_cast<std::uint16_t>(address + 1);

    if (first == 0xCB || first == 0xED) {
        second = readByte(context, operands);
        pattern = (first == 0xCB ? cbTemplates : edTemplates)[second];
        operands = static_cast<std::uint16_t>(address + 2);
    } else if (first == 0xDD || first == 0xFD) {
        indexName = first == 0xDD ? "ix" : "iy";
        second = readByte(context, operands);
        if (second == 0xCB) {
            bitDisplacement = readByte(context, static_cast<std::uint16_t>(address + 2));
            pattern = indexBitTemplates[readByte(context, static_cast<std::uint16_t>(address + 3))];
            operands = static_cast<std::uint16_t>(address + 4);
        } else {
            pattern = indexTemplates[second];
            operands = static_cast<std::uint16_t>(address + 2);
        }
    } else {
        pattern = baseTemplates[first];
    }

    OperandReader reader(readByte, context, operands);
    for (const char* at = pattern; *at != '\0'; ++at) {
        switch (*at) {
            case ' ':
                if (text.length() >= kMnemonicWidth - 1) {
                    text.appendChar(' ');
                } else {
                    while (text.length() < kMnemonicWidth) text.appendChar(' ');
                }
                break;
            case '!':
                text.clear();
                appendHex(text, "db     $ed,$%02x", second);
                return 2;
            case '@':
                text.clear();
                appendHex(text, "db     $%02x", first);
                return 1;
            case 'B':
                appendHex(text, "$%02x", reader.nextByte());
                break;
            case 'W':
                appendHex(text, "$%04x", reader.nextWord());
                break;
            case 'R': {
                const std::uint32_t offset = reader.nextByte();
                appendHex(text, "$%04x", (address + 2 + signExtend(offset)) & 0xFFFF);
                break;
            }
            case 'X':
                appendIndexed(text, indexName, reader.nextByte());
                break;
            case 'Y':
                appendIndexed(text, indexName, bitDisplacement);
                break;
            case 'I':
                text.append(indexName);
                break;
            default:
                text.appendChar(*at);
                break;
        }
    }
    return static_cast<std::uint16_t>(reader.position() - address);
}

}  // namespace vantorel
