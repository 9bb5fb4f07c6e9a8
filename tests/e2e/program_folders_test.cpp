// The real program's folders: started outside a portable folder it reads
// its settings from XDG_CONFIG_HOME/vantorel and takes relative ROM names
// from XDG_DATA_HOME/vantorel; in a folder with default.ini it keeps to that
// folder; run headless it writes only the files its options name.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::runVantorel;
using testing::TempFolder;
using testing::testHome;

// The printed screen, one row each, without the blanks at the ends.
std::vector<std::string> screenRows(const std::string& screen) {
    std::vector<std::string> rows;
    std::istringstream lines(screen);
    for (std::string row; std::getline(lines, row);) {
        rows.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    }
    return rows;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

class ProgramFolders : public ::testing::Test {
  protected:
    TempFolder folder;
    fs::path home = testHome(folder);
    fs::path userSettings = home / ".config/vantorel/default.ini";
    fs::path dataFolder = home / ".local/share/vantorel";

    // The user's settings: an 8K machine whose monitor ROM is a file named
    // relative to the start-up folder (and missing, so the run says where it
    // looked).
    void SetUp() override {
        writeText(userSettings,
                  "[MEMORY]\nramexpanders=0\nusebuiltinromflag=0\nROMfilename=rom/own.bin\n");
    }

    ProgramRun bootAndSaveRam() {
        return runVantorel(
            {"--headless", "--frames", "30", "--print-screen", "--save-ram", "saved-ram.bin"},
            folder);
    }
};

TEST_F(ProgramFolders, InstalledHeadlessRunUsesTheUsersFoldersAndWritesOnlyTheNamedFile) {
    const ProgramRun run = bootAndSaveRam();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> rows = screenRows(run.out);
    ASSERT_GE(rows.size(), 2u) << run.out;
    EXPECT_EQ(rows[1], "RAM TOP 1FFF  STACK 1FA0");  // the user's settings were read
    EXPECT_NE(run.err.find((dataFolder / "rom/own.bin").string()), std::string::npos) << run.err;
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"home", "saved-ram.bin", "stderr.txt", "stdout.txt"}));
    EXPECT_FALSE(fs::exists(dataFolder));  // headless makes no folders
    EXPECT_EQ(namesIn(home / ".config/vantorel"), std::vector<std::string>{"default.ini"});
}

TEST_F(ProgramFolders, APortableFolderKeepsItsOwnSettingsWhateverTheUsersSay) {
    writeText(folder / "default.ini", "[MEMORY]\nramexpanders=1\n");
    const ProgramRun run = bootAndSaveRam();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> rows = screenRows(run.out);
    ASSERT_GE(rows.size(), 2u) << run.out;
    EXPECT_EQ(rows[1], "RAM TOP 3FFF  STACK 3FA0");
    EXPECT_EQ(run.err, "");  // the built-in monitor, as this folder's settings say
}

TEST_F(ProgramFolders, PathsShowsTheRuleInUse) {
    ProgramRun run = runVantorel({"--paths"}, folder);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("start-up folder: " + dataFolder.string() + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("settings file: " + userSettings.string() + "\n"), std::string::npos)
        << run.out;
    writeText(folder / "VANTOREL.INI", "[CONFIG]\nini=portable.ini\n");
    run = runVantorel({"--paths"}, folder);
    EXPECT_NE(run.out.find("start-up folder: " + folder.path().string() + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("settings file: " + (folder / "portable.ini").string() + "\n"),
              std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace vantorel
