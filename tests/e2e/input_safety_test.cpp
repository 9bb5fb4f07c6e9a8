// What the command line and the settings may name, tried as an attacker or
// a careless script would: a pipe (or a folder) for every file the program
// reads ends the run at once with the usual message instead of waiting for
// a writer; an empty file name is an error, not "not given"; a recording
// may not replace the tape it plays; a recording that cannot be written
// fails the run, saying so.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_runner.h"
#include "e2e/run_program.h"
#include "files/write_faults.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::kTimedOut;
using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;

constexpr int kPatienceSeconds = 20;  // a run that reads no pipe ends in well under a second

void makePipe(const fs::path& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct PipeCase {
    std::vector<std::string> arguments;  // the pipe's name is "pipe" + its extension
    const char* extension;
    const char* message;  // on standard error
};

TEST(InputSafety, APipeForAnyInputFileEndsTheRunWithItsMessage) {
    const PipeCase cases[] = {
        {{"--rom"}, ".rom", "cannot open the file"},
        {{"--snapshot"}, ".snp", "cannot open the file"},
        {{"--tape"}, ".cvz", "cannot open the tape"},
        {{"--tape"}, ".wav", "cannot open the tape"},
        {{"--type-file"}, ".txt", "cannot open the file"},
        {{}, ".rom", "cannot open the file"},  // the FILE argument
        {{}, ".snp", "cannot open the file"},
        {{"--settings"}, ".ini", "cannot open the settings file"},
    };
    for (const PipeCase& c : cases) {
        TempFolder folder;
        const fs::path pipe = folder / (std::string("pipe") + c.extension);
        makePipe(pipe);
        std::vector<std::string> arguments = {"--headless", "--frames", "1"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.push_back(pipe.string());
        const ProgramRun run = runVantorel(arguments, folder, kPatienceSeconds);
        ASSERT_NE(run.exitStatus, kTimedOut) << arguments[3] << " " << c.extension << " hangs";
        EXPECT_EQ(run.exitStatus, 2) << c.extension;
        EXPECT_NE(run.err.find(pipe.string()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

// The monitor and character ROMs the settings name, and the settings file
// the pointer file names: a pipe is not taken, the built-in image runs (or
// the defaults hold), and the run goes on.
TEST(InputSafety, APipeNamedInTheSettingsIsNotWaitedFor) {
    TempFolder folder;
    makePipe(folder / "monitor.bin");
    makePipe(folder / "chars.bin");
    writeText(folder / "default.ini",
              "[MEMORY]\nusebuiltinromflag=0\nusebuiltincharflag=0\n"
              "ROMfilename=monitor.bin\nCHARfilename=chars.bin\n");
    ProgramRun run = runVantorel({"--headless", "--frames", "1"}, folder, kPatienceSeconds);
    ASSERT_NE(run.exitStatus, kTimedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("monitor.bin cannot be opened"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("chars.bin cannot be opened"), std::string::npos) << run.err;

    TempFolder pointed;
    writeText(pointed / "VANTOREL.INI", "[CONFIG]\nini=pipe.ini\n");
    makePipe(pointed / "pipe.ini");
    run = runVantorel({"--headless", "--frames", "1"}, pointed, kPatienceSeconds);
    ASSERT_NE(run.exitStatus, kTimedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
}

TEST(InputSafety, AnEmptyFileNameIsAnErrorForEveryFileOption) {
    TempFolder folder;
    for (const char* option : {"--settings", "--rom", "--snapshot", "--save-ram", "--save-snapshot",
                               "--type-file", "--tape", "--record-tape", "--screenshot", "--wav",
                               "--printer-file", "--record-movie", "--play-movie"}) {
        for (const bool attached : {false, true}) {
            const std::vector<std::string> arguments =
                attached ? std::vector<std::string>{"--headless", std::string(option) + "="}
                         : std::vector<std::string>{"--headless", option, ""};
            const ProgramRun run = runVantorel(arguments, folder);
            EXPECT_EQ(run.exitStatus, 2) << option;
            EXPECT_NE(run.err.find(std::string(option) + " needs a file name"), std::string::npos)
                << run.err;
        }
    }
    const ProgramRun typed = runVantorel({"--headless", "--frames", "0", "--type", ""}, folder);
    EXPECT_EQ(typed.exitStatus, 0) << "an empty text to type is no file name";
}

TEST(InputSafety, TheTapeAndTheRecordingCannotBeOneFile) {
    TempFolder folder;
    writeText(folder / "tape.cvz", "abc");
    fs::create_symlink("tape.cvz", folder / "link.cvz");
    const std::string tape = (folder / "tape.cvz").string();
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {tape, tape},
        {tape, (folder / "." / "tape.cvz").string()},
        {(folder / "link.cvz").string(), tape},
        {(folder / "new.wav").string(), (folder / "sub" / ".." / "new.wav").string()},
    };
    for (const auto& [played, recorded] : pairs) {
        const char* argv[] = {"vantorel",     "--headless",    "--tape",
                              played.c_str(), "--record-tape", recorded.c_str()};
        const CommandLineResult parsed = parseCommandLine(6, argv);
        EXPECT_FALSE(parsed.ok()) << played << " / " << recorded;
        EXPECT_NE(parsed.error.find("the same file"), std::string::npos) << parsed.error;
    }
    const ProgramRun run =
        runVantorel({"--headless", "--tape", tape, "--record-tape", "tape.cvz"}, folder);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(testing::fileText(folder / "tape.cvz"), "abc") << "the tape is as it was";

    const char* apart[] = {"vantorel", "--tape", "a.cvz", "--record-tape", "b.cvz"};
    EXPECT_TRUE(parseCommandLine(5, apart).ok());
}

// A recording whose file cannot be made is refused at once; one whose file
// fails at the end fails the run, naming the file, and leaves no file.
TEST(InputSafety, ARecordingThatCannotBeWrittenFailsTheRun) {
    TempFolder folder;
    CommandLine options;
    options.headless = true;
    options.frames = 5;
    options.settingsPath = (folder / "settings.ini").string();
    writeText(options.settingsPath, "");
    options.recordTapePath = (folder / "no-folder" / "out.wav").string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runHeadless(options, out, err), 2);
    EXPECT_NE(err.str().find("out.wav: cannot write the recording"), std::string::npos)
        << err.str();

    options.recordTapePath = (folder / "out.wav").string();
    for (const WriteStep step : {WriteStep::flush, WriteStep::rename}) {
        FailingStep fault(step, 2 - (step == WriteStep::rename ? 1 : 0));
        ScopedWriteFaults installed(fault);
        std::ostringstream stepErr;
        EXPECT_EQ(runHeadless(options, out, stepErr), 2) << writeStepName(step);
        EXPECT_TRUE(fault.fired());
        EXPECT_NE(stepErr.str().find("out.wav: cannot write the recording"), std::string::npos)
            << stepErr.str();
        EXPECT_FALSE(fs::exists(options.recordTapePath));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}), 1)
            << "nothing but the settings file";
    }
}

}  // namespace
}  // namespace vantorel
