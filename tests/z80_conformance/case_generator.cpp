#include "case_generator.h"

#include <cstdio>

namespace vantorel::conformance {

namespace {

// Register values where flags and loops change their behaviour.
constexpr std::array<std::uint16_t, 12> kEdgeWords = {
    0x0000, 0x0001, 0x0002, 0xFFFF, 0x8000, 0x7FFF, 0x00FF, 0x0100, 0x0080, 0x007F, 0xFF00, 0x0F0F};

}  // namespace

std::string describeBytes(const ConformanceCase& testCase) {
    const RunShape shape = testCase.shape();
    const DecodedInstruction& last = shape.instructions[static_cast<std::size_t>(shape.count - 1)];
    const int used = last.offset + 4;
    std::string text;
    for (int index = 0; index < used && index < ConformanceCase::kByteCount; ++index) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", testCase.bytes[static_cast<std::size_t>(index)]);
        if (index) text += ' ';
        text += hex;
    }
    return text;
}

std::uint16_t CaseGenerator::randomWord() {
    const std::uint64_t bits = random_();
    if ((bits & 3) == 0) return kEdgeWords[(bits >> 8) % kEdgeWords.size()];
    return static_cast<std::uint16_t>(bits >> 32);
}

CpuSnapshot CaseGenerator::randomRegisters() {
    CpuSnapshot s;
    s.af = static_cast<std::uint16_t>((randomWord() & 0xFF00) | randomByte());
    s.bc = randomWord();
    s.de = randomWord();
    s.hl = randomWord();
    s.ix = randomWord();
    s.iy = randomWord();
    s.pc = static_cast<std::uint16_t>(random_() >> 40);
    s.sp = randomWord();
    s.af2 = static_cast<std::uint16_t>(random_() >> 40);
    s.bc2 = static_cast<std::uint16_t>(random_() >> 40);
    s.de2 = static_cast<std::uint16_t>(random_() >> 40);
    s.hl2 = static_cast<std::uint16_t>(random_() >> 40);
    const std::uint64_t bits = random_();
    s.iff1 = static_cast<std::uint8_t>(bits & 1);
    s.iff2 = static_cast<std::uint8_t>((bits >> 1) & 1);
    s.im = static_cast<std::uint8_t>(((bits >> 8) & 0xFF) % 3);
    s.i = static_cast<std::uint8_t>(bits >> 16);
    s.r = static_cast<std::uint8_t>(bits >> 24);
    s.halted = 0;
    return s;
}

Page CaseGenerator::randomPage() {
    // Out of 32: unprefixed 9, CB 4, ED 6, DD 4, FD 4, DD CB 3, FD CB 2.
    const unsigned pick = static_cast<unsigned>(random_() >> 59);
    if (pick < 9) return Page::Base;
    if (pick < 13) return Page::CB;
    if (pick < 19) return Page::ED;
    if (pick < 23) return Page::DD;
    if (pick < 27) return Page::FD;
    if (pick < 30) return Page::DDCB;
    return Page::FDCB;
}

int CaseGenerator::placeInstruction(ConformanceCase& testCase, int at, Page page,
                                    std::uint8_t opcode) {
    auto put = [&testCase](int index, std::uint8_t value) {
        testCase.bytes[static_cast<std::size_t>(index)] = value;
    };
    switch (page) {
        case Page::Base:
            put(at, opcode);
            return 1;
        case Page::CB:
            put(at, 0xCB);
            put(at + 1, opcode);
            return 2;
        case Page::ED:
            put(at, 0xED);
            put(at + 1, opcode);
            return 2;
        case Page::DD:
            put(at, 0xDD);
            put(at + 1, opcode);
            return 2;
        case Page::FD:
            put(at, 0xFD);
            put(at + 1, opcode);
            return 2;
        case Page::DDCB:
        case Page::FDCB:
            put(at, page == Page::DDCB ? 0xDD : 0xFD);
            put(at + 1, 0xCB);
            put(at + 3, opcode);  // the displacement at + 2 stays random
            return 4;
    }
    return 1;
}

void CaseGenerator::placeJunkPrefixes(ConformanceCase& testCase, int count) {
    for (int index = 0; index < count; ++index) {
        testCase.bytes[static_cast<std::size_t>(index)] = (random_() & 1) ? 0xDD : 0xFD;
    }
}

// Makes one run of the core cover a known, short sequence: a zero-cost ED
// opcode gets a NOP after it, and an EI with IFF1 clear gets an instruction
// after it that is neither a dropped prefix nor a zero-cost opcode.
bool CaseGenerator::completeRun(ConformanceCase& testCase) {
    const int available = ConformanceCase::kByteCount;
    const DecodedInstruction first = decodeInstruction(testCase.bytes.data(), available);
    if (first.offset + 8 > available) return false;
    if (isZeroCostEd(first)) {
        testCase.bytes[static_cast<std::size_t>(first.offset + 2)] = 0x00;
        return true;
    }
    if (!isEi(first) || testCase.start.iff1) return true;
    const int at = first.offset + 1;
    for (;;) {
        for (int index = at; index < available; ++index) {
            testCase.bytes[static_cast<std::size_t>(index)] = randomByte();
        }
        placeInstruction(testCase, at, randomPage(), randomByte());
        const DecodedInstruction after =
            decodeInstruction(testCase.bytes.data() + at, available - at);
        if (after.droppedPrefixes == 0 && !isZeroCostEd(after)) return true;
    }
}

ConformanceCase CaseGenerator::build(Page page, std::uint8_t opcode, int junkPrefixes,
                                     bool interruptsOff) {
    for (;;) {
        ConformanceCase testCase;
        for (auto& byte : testCase.bytes) byte = randomByte();
        testCase.start = randomRegisters();
        if (interruptsOff) testCase.start.iff1 = 0;
        testCase.portSalt = static_cast<std::uint32_t>(random_());
        placeJunkPrefixes(testCase, junkPrefixes);
        placeInstruction(testCase, junkPrefixes, page, opcode);
        if (completeRun(testCase)) return testCase;
    }
}

ConformanceCase CaseGenerator::next() {
    const std::uint64_t bits = random_();
    const int junk = (bits & 7) == 0 ? 1 + static_cast<int>((bits >> 8) % 3) : 0;
    const Page page = randomPage();
    return build(page, randomByte(), junk);
}

ConformanceCase CaseGenerator::nextFor(Page page, std::uint8_t opcode) {
    return build(page, opcode, 0);
}

ConformanceCase CaseGenerator::nextPrefixChain() {
    const int junk = 2 + static_cast<int>(random_() % 3);
    return build(randomPage(), randomByte(), junk);
}

ConformanceCase CaseGenerator::nextWithInterruptsOff() {
    for (;;) {
        ConformanceCase testCase = build(randomPage(), randomByte(), 0, true);
        const DecodedInstruction first = testCase.shape().instructions[0];
        if (first.droppedPrefixes == 0 && !isZeroCostEd(first)) return testCase;
    }
}

}  // namespace vantorel::conformance
