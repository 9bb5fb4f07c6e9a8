#include "instruction_shape.h"

namespace vantorel::conformance {

namespace {

constexpr std::array<std::uint8_t, 86> kIndexOpcodes = {
    0x09, 0x19, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x34,
    0x35, 0x36, 0x39, 0x44, 0x45, 0x46, 0x4C, 0x4D, 0x4E, 0x54, 0x55, 0x56, 0x5C, 0x5D, 0x5E,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E,
    0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x77, 0x7C, 0x7D, 0x7E, 0x84, 0x85, 0x86, 0x8C,
    0x8D, 0x8E, 0x94, 0x95, 0x96, 0x9C, 0x9D, 0x9E, 0xA4, 0xA5, 0xA6, 0xAC, 0xAD, 0xAE, 0xB4,
    0xB5, 0xB6, 0xBC, 0xBD, 0xBE, 0xCB, 0xE1, 0xE3, 0xE5, 0xE9, 0xF9};

bool isPrefix(std::uint8_t byte) {
    return byte == 0xDD || byte == 0xFD;
}

}  // namespace

const char* pageName(Page page) {
    switch (page) {
        case Page::Base:
            return "unprefixed";
        case Page::CB:
            return "CB";
        case Page::ED:
            return "ED";
        case Page::DD:
            return "DD";
        case Page::FD:
            return "FD";
        case Page::DDCB:
            return "DD CB";
        case Page::FDCB:
            return "FD CB";
    }
    return "?";
}

bool isIndexInstruction(std::uint8_t opcode) {
    for (std::uint8_t entry : kIndexOpcodes) {
        if (entry == opcode) return true;
    }
    return false;
}

bool edCostsNothing(std::uint8_t opcode) {
    if (opcode >= 0x40 && opcode <= 0x7F) return opcode == 0x77 || opcode == 0x7F;
    const std::uint8_t column = opcode & 0x07;
    const bool blockRow = opcode >= 0xA0 && opcode <= 0xBF;
    return !(blockRow && column <= 3);
}

DecodedInstruction decodeInstruction(const std::uint8_t* bytes, int available) {
    DecodedInstruction decoded;
    int at = 0;
    // A DD or FD that does not lead into an IX/IY instruction is dropped;
    // the byte after it starts the instruction again.
    while (at + 4 < available && isPrefix(bytes[at]) && !isIndexInstruction(bytes[at + 1])) {
        ++decoded.droppedPrefixes;
        ++at;
    }
    decoded.offset = at;
    const std::uint8_t first = bytes[at];
    if (first == 0xCB) {
        decoded.page = Page::CB;
        decoded.opcode = bytes[at + 1];
    } else if (first == 0xED) {
        decoded.page = Page::ED;
        decoded.opcode = bytes[at + 1];
    } else if (isPrefix(first) && bytes[at + 1] == 0xCB) {
        decoded.page = first == 0xDD ? Page::DDCB : Page::FDCB;
        decoded.displacement = bytes[at + 2];
        decoded.opcode = bytes[at + 3];
    } else if (isPrefix(first)) {
        decoded.page = first == 0xDD ? Page::DD : Page::FD;
        decoded.opcode = bytes[at + 1];
    } else {
        decoded.page = Page::Base;
        decoded.opcode = first;
    }
    return decoded;
}

bool isEi(const DecodedInstruction& instruction) {
    return instruction.page == Page::Base && instruction.opcode == 0xFB;
}

bool isZeroCostEd(const DecodedInstruction& instruction) {
    return instruction.page == Page::ED && edCostsNothing(instruction.opcode);
}

RunShape shapeOfRun(const std::uint8_t* bytes, int available, bool iff1) {
    RunShape shape;
    DecodedInstruction first = decodeInstruction(bytes, available);
    shape.instructions[0] = first;
    shape.count = 1;
    if (isZeroCostEd(first)) {
        shape.instructions[1] =
            decodeInstruction(bytes + first.offset + 2, available - first.offset - 2);
        shape.instructions[1].offset += first.offset + 2;
        shape.count = 2;
    } else if (isEi(first) && !iff1) {
        shape.instructions[1] =
            decodeInstruction(bytes + first.offset + 1, available - first.offset - 1);
        shape.instructions[1].offset += first.offset + 1;
        shape.count = 2;
    }
    return shape;
}

}  // namespace vantorel::conformance
