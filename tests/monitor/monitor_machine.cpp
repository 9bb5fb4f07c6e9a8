#include "monitor/monitor_machine.h"

#include <gtest/gtest.h>

#include <optional>

#include "machine/builtin_images.h"
#include "machine/screen_text.h"

namespace vantorel::testing {

namespace {

constexpr int kBootFrames = 10;
constexpr std::uint16_t kScreen = 0xF080;

struct KeyStroke {
    std::uint8_t hostKey = 0;
    bool shift = false;
};

// The host key that drives the emulated key typing `character`, unshifted
// if any key types it so.
std::optional<KeyStroke> strokeFor(const KeyboardMatrix& keyboard, char character) {
    if (character == '\n') return KeyStroke{kVirtualKeyEnter, false};
    const auto wanted = static_cast<std::uint8_t>(character);
    for (const KeyLayoutEntry& entry : keyboard.layout) {
        if (entry.typedCharacter == wanted) return KeyStroke{entry.hostKeyCode, false};
    }
    for (const KeyLayoutEntry& entry : keyboard.layout) {
        if (entry.shiftedCharacter == wanted) return KeyStroke{entry.hostKeyCode, true};
    }
    return std::nullopt;
}

}  // namespace

MonitorMachine::MonitorMachine(std::int32_t ramexpanders) {
    installBuiltinImages(machine().roms(), builtinRomImages());
    machine().config().ramexpanders = ramexpanders;
    hardReset();
}

void MonitorMachine::hardReset() {
    machine().hardReset();
    runFrames(kBootFrames);
}

void MonitorMachine::softReset() {
    machine().softReset();
    runFrames(kBootFrames);
}

void MonitorMachine::runFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        test_.nextFrameTime();
        const std::uint32_t before = machine().tstateCounter();
        machine().runFrame();
        if (machine().tstateCounter() == before) ADD_FAILURE() << "a frame did not run";
    }
}

void MonitorMachine::hold(std::initializer_list<std::uint8_t> virtualKeys, int frames) {
    for (std::uint8_t key : virtualKeys) keys().press(key);
    runFrames(frames);
    for (std::uint8_t key : virtualKeys) keys().release(key);
    runFrames(kFramesKeyUp);
}

void MonitorMachine::typeCharacter(char character) {
    const std::optional<KeyStroke> stroke = strokeFor(machine().keyboard(), character);
    if (!stroke) {
        ADD_FAILURE() << "no emulated key types '" << character << "'";
    } else if (stroke->shift) {
        hold({kVirtualKeyShift, stroke->hostKey});
    } else {
        hold({stroke->hostKey});
    }
}

void MonitorMachine::type(std::string_view text, int settleFrames) {
    for (char character : text) typeCharacter(character);
    runFrames(settleFrames);
}

std::vector<std::string> MonitorMachine::lines() const {
    const std::string text = screenText(test_.machine.memory());
    std::vector<std::string> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string row = text.substr(start, end - start);
        row.erase(row.find_last_not_of(' ') + 1);
        rows.push_back(row);
        start = end + 1;
    }
    return rows;
}

std::string MonitorMachine::screen() const {
    return screenText(test_.machine.memory());
}

int MonitorMachine::rowContaining(std::string_view text) const {
    const std::vector<std::string> rows = lines();
    for (int row = static_cast<int>(rows.size()) - 1; row >= 0; --row) {
        if (rows[static_cast<std::size_t>(row)].find(text) != std::string::npos) return row;
    }
    return -1;
}

std::uint8_t MonitorMachine::cell(int row, int column) const {
    return test_.machine.memory().image[static_cast<std::size_t>(kScreen + row * 64 + column)];
}

int MonitorMachine::promptRow() const {
    for (int row = 29; row >= 0; --row) {
        if (cell(row, 0) == '>') return row;
    }
    return -1;
}

void MonitorMachine::poke(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) machine().writeMemory(address++, byte);
}

}  // namespace vantorel::testing
