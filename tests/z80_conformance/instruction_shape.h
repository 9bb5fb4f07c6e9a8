// How our core splits a run of opcode bytes into steps: which opcode page the
// instruction ends in, how many DD/FD prefixes before it are dropped (each
// is a step of its own costing nothing), and which ED opcodes do nothing at
// no cost. The differential test uses this to know what one run of the core
// covers and which of its deliberate departures from libz80ex apply.
#pragma once

#include <array>
#include <cstdint>

namespace vantorel::conformance {

enum class Page : std::uint8_t { Base, CB, ED, DD, FD, DDCB, FDCB };

const char* pageName(Page page);

struct DecodedInstruction {
    Page page = Page::Base;         // the page whose table holds the instruction
    std::uint8_t opcode = 0;        // the byte that selects the handler in that page
    int droppedPrefixes = 0;        // DD/FD bytes dropped before it
    int offset = 0;                 // of its first byte (after the dropped prefixes)
    std::uint8_t displacement = 0;  // d of the DD CB / FD CB forms
};

// True for the 86 DD/FD entries that name an IX/IY instruction (CB included).
bool isIndexInstruction(std::uint8_t opcode);

// ED entries that cost nothing: the undefined ones, ED 77, ED 7F and the
// ED FE trap.
bool edCostsNothing(std::uint8_t opcode);

// The instruction at the start of `bytes`. A chain of prefixes longer than
// the bytes available ends with a prefix as the opcode of the DD/FD page.
DecodedInstruction decodeInstruction(const std::uint8_t* bytes, int available);

// The instructions one run of the core with a budget of 1 executes from the
// start of the bytes: a zero-cost ED opcode is followed by the next
// instruction, and an EI with IFF1 clear executes the next instruction in
// its own step.
struct RunShape {
    std::array<DecodedInstruction, 2> instructions{};  // in execution order
    int count = 0;                                     // 1 or 2
};

RunShape shapeOfRun(const std::uint8_t* bytes, int available, bool iff1);

// Helpers for the departure rules.
bool isEi(const DecodedInstruction& instruction);
bool isZeroCostEd(const DecodedInstruction& instruction);

}  // namespace vantorel::conformance
