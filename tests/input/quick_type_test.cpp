// Quick type: loading a text, and the keys it holds down frame by frame.
#include "input/quick_type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/fed_files.h"
#include "input/keyboard_matrix.h"
#include "input/quick_type_keys.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"
#include "support/test_machine.h"

namespace vantorel {
namespace {

using testing::FakeKeys;
using testing::RecordingDebugOutput;
using testing::TempFolder;
using testing::TestMachine;

constexpr std::int64_t kNtscFrameTStates = 35106;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void writeFile(const std::filesystem::path& path, std::string_view text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The matrix positions (row * 5 + column) that read as down, written as
// "r2c2" and joined by '+', or "-" when none is.
std::string pressedPositions(const KeyboardMatrix& keyboard) {
    std::string text;
    for (int row = 0; row < kKeyboardRows; ++row) {
        const std::uint8_t bits = keyboard.readKeyboardRow(row);
        for (int column = 0; column < kKeyboardColumns; ++column) {
            if (bits & (1 << column)) continue;
            if (!text.empty()) text += '+';
            text += 'r';
            text += std::to_string(row);
            text += 'c';
            text += std::to_string(column);
        }
    }
    return text.empty() ? "-" : text;
}

// A quick type and a keyboard with its layout resolved on the US layout;
// the text is kept beside the quick type, as the machine keeps it.
class QuickTypeTest : public ::testing::Test {
  protected:
    FakeKeys keys;
    KeyboardMatrix keyboard;
    QuickType quickType;
    std::vector<std::uint8_t> text;

    void SetUp() override { keyboard.initKeyLayout(keys); }

    void start(std::string_view typed) {
        ASSERT_EQ(quickType.start(typed.size()), QuickTypeResult::ok);
        text = bytesOf(typed);
    }

    // Runs frames of `tstates` until the typing ends; one entry per frame,
    // the keys that frame's row reads see ("end" once typing has finished).
    std::vector<std::string> typeAll(std::int64_t tstates = kNtscFrameTStates) {
        std::vector<std::string> frames;
        for (int frame = 0; frame < 1000000 && quickType.active(); ++frame) {
            quickType.typeFrame(keyboard, text, tstates);
            frames.push_back(quickType.active() ? pressedPositions(keyboard) : "end");
        }
        return frames;
    }

    // The runs of equal key states, as "state x frames", in order.
    std::vector<std::string> runsOf(const std::vector<std::string>& frames) {
        std::vector<std::string> runs;
        std::string last;
        int count = 0;
        for (const std::string& state : frames) {
            if (state == last) {
                ++count;
                continue;
            }
            if (count > 0) runs.push_back(last + " x" + std::to_string(count));
            last = state;
            count = 1;
        }
        if (count > 0) runs.push_back(last + " x" + std::to_string(count));
        return runs;
    }

    // The key presses of a whole text, releases and timing left out.
    std::vector<std::string> pressesOf(std::string_view typed) {
        start(typed);
        std::vector<std::string> presses;
        for (const std::string& run : runsOf(typeAll())) {
            if (run.starts_with("- ") || run.starts_with("end ")) continue;
            presses.push_back(run.substr(0, run.find(' ')));
        }
        return presses;
    }
};

// --- Which key types which character ---

TEST_F(QuickTypeTest, CharactersMapToTheEmulatedKeysThatTypeThem) {
    const QuickTypeKeyMap map = buildQuickTypeKeyMap(keyboard.layout);
    struct Expected {
        char character;
        std::uint8_t hostKey;
        bool shift;
    };
    // The emulated key differs from the host key for @ ` : * ^ ~ - =, and
    // the 0 key types 0 with or without SHIFT.
    const Expected expected[] = {
        {'a', 'A', false},  {'A', 'A', true},     {'z', 'Z', false},   {'0', '0', false},
        {'1', '1', false},  {'!', '1', true},     {'@', 0xDE, false},  {'`', 0xDE, true},
        {':', 0xBD, false}, {'*', 0xBD, true},    {'^', 0xC0, false},  {'~', 0xC0, true},
        {'-', 0xBB, false}, {'=', 0xBB, true},    {'+', 0xBA, true},   {';', 0xBA, false},
        {' ', 0x20, false}, {'\r', 0x0D, false},  {'\\', 0xDC, false}, {'|', 0xDC, true},
        {'_', 0x08, false}, {'\x7F', 0x08, true},
    };
    for (const Expected& e : expected) {
        const QuickTypeKey& key = map.keys[static_cast<std::uint8_t>(e.character)];
        EXPECT_TRUE(key.typeable) << e.character;
        EXPECT_EQ(key.hostKeyCode, e.hostKey) << e.character;
        EXPECT_EQ(key.shift, e.shift) << e.character;
    }
    EXPECT_EQ(map.shiftHostKeyCode, kVirtualKeyShift);
    for (int character : {0x00, 0x09, 0x0A, 0x1B, 0x80, 0xFF}) {
        EXPECT_FALSE(map.keys[character].typeable) << character;
    }
}

TEST_F(QuickTypeTest, EveryTypeableCharacterPressesOnlyItsKeyAndShift) {
    const QuickTypeKeyMap map = buildQuickTypeKeyMap(keyboard.layout);
    int typeable = 0;
    for (int character = 0x20; character <= 0x7E; ++character) {
        const QuickTypeKey& key = map.keys[character];
        if (!key.typeable) continue;
        ++typeable;
        int downPositions = 0;
        for (int position = 0; position < kKeyLayoutEntries; ++position) {
            if (keyboard.layout[position].hostKeyCode != key.hostKeyCode) continue;
            ++downPositions;
            const KeyLayoutEntry& entry = keyboard.layout[position];
            EXPECT_EQ(key.shift ? entry.shiftedCharacter : entry.typedCharacter, character);
        }
        EXPECT_EQ(downPositions, 1) << character;
    }
    EXPECT_EQ(typeable, 95) << "every printable character has a key";
}

TEST_F(QuickTypeTest, KeysSharedBySeveralPositionsAreNotUsed) {
    // Unresolved, every character key still has host key 0: only the fixed
    // keys (space, RETURN, the Backspace key) can be pressed alone.
    const QuickTypeKeyMap map = buildQuickTypeKeyMap(kKeyLayoutTable);
    EXPECT_FALSE(map.keys['a'].typeable);
    EXPECT_FALSE(map.keys['A'].typeable);
    EXPECT_TRUE(map.keys[' '].typeable);
    EXPECT_TRUE(map.keys['\r'].typeable);
    EXPECT_TRUE(map.keys['_'].typeable);

    KeyLayoutTable layout = keyboard.layout;
    layout[kShiftKeyPosition + 1].hostKeyCode =
        kVirtualKeyShift;  // Shift also drives row 1 column 0
    const QuickTypeKeyMap noShift = buildQuickTypeKeyMap(layout);
    EXPECT_TRUE(noShift.keys['a'].typeable);
    EXPECT_FALSE(noShift.keys['A'].typeable);
}

// --- Starting ---

TEST_F(QuickTypeTest, StartNamesTheTextByItsLengthAndRefusesWhatCannotBeTyped) {
    EXPECT_EQ(quickType.start(0), QuickTypeResult::emptyFile);
    EXPECT_EQ(quickType.start(kQuickTypeMaxBytes + 1), QuickTypeResult::tooBig);
    EXPECT_FALSE(quickType.active());
    start("first");
    EXPECT_EQ(quickType.textBytes(), 5u);
    EXPECT_EQ(quickType.readPosition(), 0u);
    EXPECT_EQ(quickType.currentCharacter(), -1);
    quickType.typeFrame(keyboard, text, kNtscFrameTStates);
    EXPECT_EQ(quickType.start(3), QuickTypeResult::alreadyActive);
    EXPECT_EQ(quickType.textBytes(), 5u);
}

// --- Typing, frame by frame ---

TEST_F(QuickTypeTest, KeysAreHeldThenReleasedForTheMonitorsScans) {
    // Frames of 35,106 T-states (NTSC 100%): a first release of 2 frames,
    // each key held 3 frames and released 2, RETURN released 18.
    start("aB\r");
    EXPECT_EQ(runsOf(typeAll()),
              (std::vector<std::string>{"- x2", "r2c2 x3", "- x2", "r0c4+r5c0 x3", "- x2",
                                        "r11c1 x3", "- x18", "end x1"}));
}

TEST_F(QuickTypeTest, HoldsAndReleasesLastLongEnoughWhateverTheFrameLength) {
    for (const std::int64_t tstates :
         {std::int64_t{1000}, std::int64_t{21000}, std::int64_t{50000}, std::int64_t{500000}}) {
        start("xx");
        const std::vector<std::string> frames = typeAll(tstates);
        std::vector<std::string> runs = runsOf(frames);
        ASSERT_EQ(runs.size(), 6u) << tstates;  // release, x, release, x, release, end
        auto framesOf = [&](std::size_t run) {
            return std::stoll(runs[run].substr(runs[run].rfind('x') + 1));
        };
        EXPECT_GE(framesOf(1) * tstates, kKeyHoldTStates) << tstates;
        EXPECT_GE(framesOf(2) * tstates, kKeyReleaseTStates) << tstates;
        EXPECT_LT((framesOf(1) - 1) * tstates, kKeyHoldTStates) << "no longer than needed";
        EXPECT_GE(framesOf(4) * tstates, kKeyReleaseTStates) << tstates;
        EXPECT_LE(static_cast<std::int64_t>(frames.size()), quickTypeFrameLimit(2, tstates));
    }
}

TEST_F(QuickTypeTest, FrameLimitCoversTheSlowestText) {
    const std::string returns(50, '\r');
    for (const std::int64_t tstates :
         {std::int64_t{1000}, std::int64_t{35106}, std::int64_t{1000000}}) {
        start(returns);
        const auto frames = static_cast<std::int64_t>(typeAll(tstates).size());
        EXPECT_LE(frames, quickTypeFrameLimit(returns.size(), tstates)) << tstates;
        EXPECT_GT(frames * 2, quickTypeFrameLimit(returns.size(), tstates)) << "not far above";
    }
}

TEST_F(QuickTypeTest, FramesThatRunNoTStatesStillMoveTheTypingOn) {
    start("q");
    std::vector<std::string> frames = typeAll(0);
    EXPECT_FALSE(quickType.active());
    EXPECT_EQ(runsOf(frames).size(), 4u);
}

TEST_F(QuickTypeTest, EachLineEndIsOneReturn) {
    const std::string ret = "r11c1";
    EXPECT_EQ(pressesOf("a\r\nb"), (std::vector<std::string>{"r2c2", ret, "r5c0"}));
    EXPECT_EQ(pressesOf("a\nb"), (std::vector<std::string>{"r2c2", ret, "r5c0"}));
    EXPECT_EQ(pressesOf("a\rb"), (std::vector<std::string>{"r2c2", ret, "r5c0"}));
    // Two line ends of any kind are two RETURNs; RETURN repeated is
    // released in between like any key.
    EXPECT_EQ(pressesOf("\r\n\r\n"), (std::vector<std::string>{ret, ret}));
    EXPECT_EQ(pressesOf("\n\r"), (std::vector<std::string>{ret, ret}));
    EXPECT_EQ(pressesOf("\r\r\n\n"), (std::vector<std::string>{ret, ret, ret}));
}

TEST_F(QuickTypeTest, CharactersNoKeyTypesAreSkipped) {
    EXPECT_EQ(pressesOf(std::string("\t\x1B\x00\x80\xFFq", 6)), (std::vector<std::string>{"r2c3"}));
    start(std::string("\t\x80", 2));
    EXPECT_EQ(runsOf(typeAll()), (std::vector<std::string>{"- x2", "end x1"}));
}

TEST_F(QuickTypeTest, ShiftIsHeldOnlyWithCharactersThatNeedIt) {
    EXPECT_EQ(pressesOf("0@`:*"),
              (std::vector<std::string>{"r9c4", "r10c1", "r0c4+r10c1", "r10c4", "r0c4+r10c4"}));
}

TEST_F(QuickTypeTest, TypingBeginsWithEveryHostKeyReleased) {
    keys.press('Q');
    keys.press(kVirtualKeyCapsLock);
    keys.toggle(kVirtualKeyCapsLock);
    keyboard.scanHostKeyboard(keys, false, true);
    ASSERT_NE(pressedPositions(keyboard), "-");
    start("a");
    quickType.typeFrame(keyboard, text, kNtscFrameTStates);
    EXPECT_EQ(pressedPositions(keyboard), "-");
}

TEST_F(QuickTypeTest, EndFreesTheTextAndReleasesEveryKey) {
    start("ab");
    typeAll();
    EXPECT_FALSE(quickType.active());
    EXPECT_EQ(quickType.textBytes(), 0u) << "the text is no longer named";
    EXPECT_EQ(quickType.readPosition(), 0u);
    EXPECT_EQ(quickType.currentCharacter(), -1);
    EXPECT_EQ(pressedPositions(keyboard), "-");
    quickType.typeFrame(keyboard, text, kNtscFrameTStates);  // idle: changes nothing
    EXPECT_EQ(pressedPositions(keyboard), "-");
    start("again");
    EXPECT_TRUE(quickType.active()) << "a new text can start";
}

// --- Quick type in the machine ---

class MachineQuickTypeTest : public ::testing::Test {
  protected:
    TestMachine test;
    Machine& machine = test.machine;

    void runFrames(int count) {
        for (int frame = 0; frame < count; ++frame) {
            test.nextFrameTime();
            machine.runFrame();
        }
    }
};

TEST_F(MachineQuickTypeTest, TypingReplacesTheHostKeyboardUntilTheTextEnds) {
    ASSERT_EQ(machine.startQuickTypeText(bytesOf("z")), QuickTypeResult::ok);
    EXPECT_TRUE(machine.quickTypeActive());
    test.keys.press('Q');  // host Q: row 2 column 3
    std::vector<std::uint8_t> row2;
    for (int frame = 0; frame < 20 && machine.quickTypeActive(); ++frame) {
        runFrames(1);
        row2.push_back(machine.keyboard().readKeyboardRow(2));
    }
    EXPECT_FALSE(machine.quickTypeActive());
    EXPECT_TRUE(machine.quickTypeText().empty()) << "the text was let go";
    // The typed Z (row 2 column 1) appears; the host's Q never does while
    // typing, and is seen as soon as the typing has ended.
    EXPECT_EQ(std::count(row2.begin(), row2.end(), std::uint8_t{0xFD}), 3);
    EXPECT_EQ(row2.back(), 0xF7);
    EXPECT_EQ(std::count(row2.begin(), row2.end(), std::uint8_t{0xF7}), 1);
}

TEST_F(MachineQuickTypeTest, FileLoadsWholeAndStartsAtItsFirstByte) {
    TempFolder folder;
    const std::string text("LIST\r\n\x00\xFF end", 12);
    writeFile(folder / "prog.txt", text);
    ASSERT_EQ(startQuickTypeFile(machine, folder / "prog.txt"), QuickTypeResult::ok);
    EXPECT_TRUE(machine.quickTypeActive());
    const auto typed = machine.quickTypeText();
    EXPECT_EQ(std::vector<std::uint8_t>(typed.begin(), typed.end()), bytesOf(text))
        << "bytes kept as they are";
    EXPECT_EQ(machine.quickType().textBytes(), text.size());
    EXPECT_EQ(machine.quickType().readPosition(), 0u);
    EXPECT_EQ(machine.quickType().currentCharacter(), -1);
    EXPECT_TRUE(test.debug.text.empty());
}

TEST_F(MachineQuickTypeTest, FailedLoadsLeaveQuickTypeIdle) {
    TempFolder folder;
    writeFile(folder / "empty.txt", "");
    std::filesystem::create_directory(folder / "folder.txt");
    { std::ofstream huge(folder / "huge.txt", std::ios::binary); }
    std::filesystem::resize_file(folder / "huge.txt", kQuickTypeMaxBytes + 1);  // sparse

    struct Case {
        std::string name;
        QuickTypeResult result;
        std::string debugText;
    };
    const Case cases[] = {
        {"missing.txt", QuickTypeResult::cannotOpen, "Could not open file\n"},
        {"folder.txt", QuickTypeResult::cannotOpen, "Could not open file\n"},
        {"empty.txt", QuickTypeResult::emptyFile, ""},
        {"huge.txt", QuickTypeResult::tooBig, ""},
    };
    for (const Case& c : cases) {
        test.debug.text.clear();
        EXPECT_EQ(startQuickTypeFile(machine, folder / c.name), c.result) << c.name;
        EXPECT_EQ(test.debug.text, c.debugText) << c.name;
        EXPECT_FALSE(machine.quickTypeActive()) << c.name;
        EXPECT_TRUE(machine.quickTypeText().empty()) << c.name;
    }
    Machine withoutDebugOutput;
    EXPECT_EQ(startQuickTypeFile(withoutDebugOutput, folder / "missing.txt"),
              QuickTypeResult::cannotOpen);
    EXPECT_EQ(machine.startQuickTypeText({}), QuickTypeResult::emptyFile);
    EXPECT_FALSE(machine.quickTypeActive());
}

TEST_F(MachineQuickTypeTest, SecondStartWhileTypingDoesNothing) {
    ASSERT_EQ(machine.startQuickTypeText(bytesOf("first")), QuickTypeResult::ok);
    runFrames(1);
    TempFolder folder;
    writeFile(folder / "second.txt", "second");
    EXPECT_EQ(startQuickTypeFile(machine, folder / "second.txt"), QuickTypeResult::alreadyActive);
    EXPECT_EQ(startQuickTypeFile(machine, folder / "missing.txt"), QuickTypeResult::alreadyActive);
    EXPECT_EQ(machine.startQuickTypeText(bytesOf("third")), QuickTypeResult::alreadyActive);
    EXPECT_TRUE(test.debug.text.empty()) << "no file is even opened";
    const auto typed = machine.quickTypeText();
    EXPECT_EQ(std::vector<std::uint8_t>(typed.begin(), typed.end()), bytesOf("first"));
}

TEST_F(MachineQuickTypeTest, FailuresReachTheDebugOutputAndChangeNothing) {
    TempFolder folder;
    EXPECT_EQ(startQuickTypeFile(machine, folder / "none.txt"), QuickTypeResult::cannotOpen);
    EXPECT_EQ(test.debug.text, "Could not open file\n");
    writeFile(folder / "empty.txt", "");
    EXPECT_EQ(startQuickTypeFile(machine, folder / "empty.txt"), QuickTypeResult::emptyFile);
    EXPECT_FALSE(machine.quickTypeActive());
    writeFile(folder / "text.txt", "hello");
    EXPECT_EQ(startQuickTypeFile(machine, folder / "text.txt"), QuickTypeResult::ok);
    EXPECT_EQ(startQuickTypeFile(machine, folder / "none.txt"), QuickTypeResult::alreadyActive);
    EXPECT_EQ(test.debug.text, "Could not open file\n") << "one line, from the first try";
    EXPECT_TRUE(machine.quickTypeActive());
}

TEST_F(MachineQuickTypeTest, ResetsDoNotStopTheTyping) {
    ASSERT_EQ(machine.startQuickTypeText(bytesOf("abc")), QuickTypeResult::ok);
    runFrames(4);
    machine.hardReset();
    machine.softReset();
    EXPECT_TRUE(machine.quickTypeActive());
    const auto typed = machine.quickTypeText();
    EXPECT_EQ(std::vector<std::uint8_t>(typed.begin(), typed.end()), bytesOf("abc"));
}

}  // namespace
}  // namespace vantorel
