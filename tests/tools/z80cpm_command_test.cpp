// The z80cpm command line: arguments, file errors, exit statuses and the
// T-states line, running the CP/M programs of tools/z80cpm/testprogs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cpm_command.h"
#include "cpm_machine.h"

namespace vantorel::cpm {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

CommandRun runCommand(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    CommandRun run;
    run.status = runCpmCommand(arguments, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// A file in the temporary folder, removed again when the test ends.
class TemporaryFile {
  public:
    TemporaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
        : path_(fs::temp_directory_path() / ("vantorel_z80cpm_" + name)) {
        std::ofstream file(path_, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TemporaryFile() { fs::remove(path_); }
    std::string path() const { return path_.string(); }

  private:
    fs::path path_;
};

TEST(Z80CpmCommand, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--max-tstates"},
        {"--max-tstates", "ten", "a.com"},
        {"--max-tstates", "0", "a.com"},
        {"--max-tstates=-5", "a.com"},
        {"--max-tstates", "99999999999999999999999", "a.com"},
        {"--verbose", "a.com"},
        {"a.com", "b.com"},
    };
    for (const auto& arguments : wrong) {
        const CommandRun run = runCommand(arguments);
        EXPECT_EQ(run.status, kExitUsage) << "arguments: " << arguments.size();
        EXPECT_EQ(run.err, "usage: z80cpm [--max-tstates N] PROGRAM.COM\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(Z80CpmCommand, UnreadableOrOversizedFileExitsWithTwoNamingIt) {
    const std::string missing = (fs::temp_directory_path() / "vantorel_no_such.com").string();
    CommandRun run = runCommand({missing});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err, "z80cpm: cannot read " + missing + "\n");

    run = runCommand({fs::temp_directory_path().string()});
    EXPECT_EQ(run.status, kExitUsage);

    const TemporaryFile huge("huge.com", std::vector<std::uint8_t>(200'000, 0x00));
    run = runCommand({huge.path()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find(huge.path()), std::string::npos);
    EXPECT_NE(run.err.find("too large"), std::string::npos);
}

TEST(Z80CpmCommand, ProgramThatEndsExitsWithZeroAndReportsTStates) {
    // LD E,'!'; LD C,2; CALL 5; RET: 7 + 7 + 17 + 10 + 10 T-states.
    const TemporaryFile program("bang.com", {0x1E, '!', 0x0E, 0x02, 0xCD, 0x05, 0x00, 0xC9});
    const CommandRun run = runCommand({program.path()});
    EXPECT_EQ(run.status, kExitEnded);
    EXPECT_EQ(run.out, "!");
    EXPECT_EQ(run.err, "T-states: 51\n");
}

TEST(Z80CpmCommand, LimitReachedExitsWithOne) {
    const TemporaryFile program("spin.com", {0x18, 0xFE});  // JR to itself
    CommandRun run = runCommand({"--max-tstates", "100000", program.path()});
    EXPECT_EQ(run.status, kExitLimit);
    EXPECT_NE(run.err.find("T-states: 100000\n"), std::string::npos);

    run = runCommand({program.path(), "--max-tstates=2000"});
    EXPECT_EQ(run.status, kExitLimit);
}

#ifdef VANTOREL_Z80CPM_TESTPROGS
std::string testProgram(const char* name) {
    return std::string(VANTOREL_Z80CPM_TESTPROGS) + "/" + name;
}

TEST(Z80CpmCommand, AssembledTestProgramsPrintWhatTheyShould) {
    CommandRun run = runCommand({testProgram("hello.com")});
    EXPECT_EQ(run.status, kExitEnded);
    EXPECT_EQ(run.out, "Hello from Vantorel\r\n");

    run = runCommand({testProgram("digits.com")});
    EXPECT_EQ(run.status, kExitEnded);
    EXPECT_EQ(run.out, "0123456789");

    run = runCommand({testProgram("arith.com")});
    EXPECT_EQ(run.status, kExitEnded);
    EXPECT_EQ(run.out, "13BA copied\r\n3F");

    run = runCommand({"--max-tstates", "1000000", testProgram("forever.com")});
    EXPECT_EQ(run.status, kExitLimit);
    EXPECT_EQ(run.out, "");
}
#else
TEST(Z80CpmCommand, AssembledTestProgramsPrintWhatTheyShould) {
    GTEST_SKIP() << "pasmo was not found when building; the assembled programs are missing";
}
#endif

}  // namespace
}  // namespace vantorel::cpm
