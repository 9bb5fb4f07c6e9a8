// The window program ends on SIGTERM, SIGINT and SIGHUP as File > Exit
// does: started for real (Qt's offscreen platform, SDL's dummy audio) with
// a tape recording in progress, it exits by itself within a second of the
// signal, with the recording's file written.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "e2e/run_program.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

#ifdef VANTOREL_HAS_WINDOW

using namespace std::chrono_literals;
using testing::TempFolder;

int linesIn(const std::filesystem::path& path) {
    std::ifstream file(path);
    int lines = 0;
    for (std::string line; std::getline(file, line);) ++lines;
    return lines;
}

// Starts the window in `folder` (portable: its settings there), recording
// the tape into rec.wav, and waits until it has run half a second of frames.
pid_t startWindowRecording(const TempFolder& folder) {
    std::ofstream(folder / "default.ini").close();
    const std::string frameLog = (folder / "frames.log").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("VANTOREL_FRAME_LOG", frameLog.c_str(), 1);
        ::setenv("HOME", (folder / "home").c_str(), 1);
        ::unsetenv("VANTOREL_DEBUG");
        ::execl(VANTOREL_EXECUTABLE, VANTOREL_EXECUTABLE, "--record-tape", "rec.wav",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int tries = 0; tries < 300 && linesIn(frameLog) < 30; ++tries) {
        std::this_thread::sleep_for(100ms);
    }
    return pid;
}

struct Ending {
    bool exited = false;  // by itself, within the time given
    int status = -1;
    std::chrono::milliseconds took{0};
};

// Sends `signalNumber` and waits up to `limit` for the program to end; kills
// it if it does not.
Ending signalAndWait(pid_t pid, int signalNumber, std::chrono::milliseconds limit) {
    Ending ending;
    const auto start = std::chrono::steady_clock::now();
    ::kill(pid, signalNumber);
    int status = 0;
    while (std::chrono::steady_clock::now() - start < limit) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ending.exited = WIFEXITED(status);
            ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            ending.took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            return ending;
        }
        std::this_thread::sleep_for(10ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return ending;
}

TEST(WindowSignals, SigtermClosesTheWindowWithTheRecordingWritten) {
    TempFolder folder;
    const pid_t pid = startWindowRecording(folder);
    ASSERT_GT(pid, 0);
    ASSERT_GE(linesIn(folder / "frames.log"), 30) << "the window never ran its frames";
    const Ending ending = signalAndWait(pid, SIGTERM, 1000ms);
    ASSERT_TRUE(ending.exited) << "not ended by itself within a second of SIGTERM (status "
                               << ending.status << ")";
    EXPECT_EQ(ending.status, 0);
    const std::string wav = testing::fileText(folder / "rec.wav");
    ASSERT_GT(wav.size(), 44u) << "the recording was not written";
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 4), "WAVE");
    const auto dataBytes = static_cast<std::uint32_t>(static_cast<unsigned char>(wav[40])) |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[41])) << 8 |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[42])) << 16 |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[43])) << 24;
    EXPECT_EQ(dataBytes, wav.size() - 44) << "the header says how long the recording is";
}

TEST(WindowSignals, SigintAndSighupCloseItToo) {
    for (const int signalNumber : {SIGINT, SIGHUP}) {
        TempFolder folder;
        const pid_t pid = startWindowRecording(folder);
        ASSERT_GT(pid, 0);
        const Ending ending = signalAndWait(pid, signalNumber, 1000ms);
        EXPECT_TRUE(ending.exited) << "signal " << signalNumber;
        EXPECT_EQ(ending.status, 0) << "signal " << signalNumber;
        EXPECT_GT(testing::fileText(folder / "rec.wav").size(), 44u) << "signal " << signalNumber;
    }
}

#endif

}  // namespace
}  // namespace vantorel
