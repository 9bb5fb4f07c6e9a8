// Where the program keeps its files: the portable rule (a folder holding
// default.ini or VANTOREL.INI) and the installed rule (the XDG folders under
// a home of the test's own), the folders made on first use, and --paths.
#include "app/program_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

void touch(const fs::path& path, const std::string& text = {}) {
    std::ofstream(path) << text;
}

// A home folder, a folder the program is started in, and the environment
// the program would see.
class ProgramFoldersTest : public ::testing::Test {
  protected:
    TempFolder temp;
    fs::path home = temp / "home";
    fs::path current = temp / "work";
    std::map<std::string, std::string> variables{{"HOME", home.string()}};

    void SetUp() override {
        fs::create_directories(home);
        fs::create_directories(current);
    }

    ProgramFolders find() const {
        return findProgramFolders(current, [this](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        });
    }

    // Everything under the start-up folder, as relative names.
    std::vector<std::string> entriesOf(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            names.push_back(fs::relative(entry.path(), folder).generic_string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ProgramFoldersTest, AFolderWithDefaultIniOrAPointerFileIsAPortableInstallation) {
    touch(current / "default.ini");
    ProgramFolders folders = find();
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.startup, current);
    EXPECT_EQ(folders.settingsFile, current / "default.ini");

    fs::remove(current / "default.ini");
    touch(current / "vantorel.ini", "[CONFIG]\nini=mine.ini\n");  // any case, file not there yet
    folders = find();
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.startup, current);
    EXPECT_EQ(folders.settingsFile, current / "mine.ini");
    EXPECT_TRUE(createProgramFolders(folders).empty());
    EXPECT_EQ(entriesOf(current), std::vector<std::string>{"vantorel.ini"});  // nothing made
}

TEST_F(ProgramFoldersTest, ElsewhereTheXdgFoldersHoldTheStartUpFolderAndTheSettings) {
    variables["XDG_DATA_HOME"] = (temp / "data").string();
    variables["XDG_CONFIG_HOME"] = (temp / "config").string();
    touch(current / "other.ini");  // only default.ini and VANTOREL.INI count
    const ProgramFolders folders = find();
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.startup, temp / "data" / "vantorel");
    EXPECT_EQ(folders.settingsDir, temp / "config" / "vantorel");
    EXPECT_EQ(folders.settingsFile, temp / "config" / "vantorel" / "default.ini");
}

TEST_F(ProgramFoldersTest, UnsetEmptyOrRelativeXdgVariablesTakeTheDefaultsUnderHome) {
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        if (value == nullptr) {
            variables.erase("XDG_DATA_HOME");
            variables.erase("XDG_CONFIG_HOME");
        } else {
            variables["XDG_DATA_HOME"] = value;
            variables["XDG_CONFIG_HOME"] = value;
        }
        const ProgramFolders folders = find();
        EXPECT_FALSE(folders.portable);
        EXPECT_EQ(folders.startup, home / ".local/share/vantorel") << (value ? value : "unset");
        EXPECT_EQ(folders.settingsFile, home / ".config/vantorel/default.ini");
    }
}

TEST_F(ProgramFoldersTest, WithoutHomeOrXdgVariablesTheCurrentFolderIsUsed) {
    variables.clear();
    ProgramFolders folders = find();
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.startup, current);
    variables["XDG_DATA_HOME"] = (temp / "data").string();  // the settings still have no home
    folders = find();
    EXPECT_TRUE(folders.portable);
}

TEST_F(ProgramFoldersTest, FirstUseMakesTheDataFoldersAndTheSettingsFolderOnly) {
    const ProgramFolders folders = find();
    ASSERT_EQ(createProgramFolders(folders), "");
    EXPECT_EQ(entriesOf(home / ".local/share/vantorel"),
              (std::vector<std::string>{"cassette", "lprint", "quicktyp", "rom", "screenshots",
                                        "states"}));
    EXPECT_TRUE(fs::is_directory(home / ".config/vantorel"));
    EXPECT_TRUE(fs::is_empty(current));
    EXPECT_EQ(createProgramFolders(folders), "");  // a second start finds them there
}

TEST_F(ProgramFoldersTest, AFolderThatCannotBeMadeIsNamed) {
    touch(temp / "blocked");  // a file where the data folder would go
    variables["XDG_DATA_HOME"] = (temp / "blocked").string();
    const std::string problem = createProgramFolders(find());
    EXPECT_NE(problem.find((temp / "blocked" / "vantorel" / "cassette").string()),
              std::string::npos)
        << problem;
    EXPECT_TRUE(fs::is_directory(home / ".config/vantorel"));  // the rest is still made
}

TEST_F(ProgramFoldersTest, PathsListsTheRuleTheStartUpFolderAndTheSettingsFile) {
    const ProgramFolders installed = find();
    std::string text = programFoldersText(installed, {});
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "installed: the user's folders (the current folder holds no VANTOREL.INI or "
              "default.ini)");
    const fs::path data = home / ".local/share/vantorel";
    for (const fs::path& path : {data, home / ".config/vantorel/default.ini", data / "rom",
                                 data / "cassette", data / "screenshots", data / "ram.bin"}) {
        EXPECT_NE(text.find(": " + path.string() + "\n"), std::string::npos) << path;
    }
    text = programFoldersText(installed, "given.ini");
    EXPECT_NE(text.find("settings file: given.ini\n"), std::string::npos) << text;

    touch(current / "default.ini");
    text = programFoldersText(find(), {});
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "portable: the start-up folder is the current folder");
    EXPECT_NE(text.find("start-up folder: " + current.string() + "\n"), std::string::npos);
}

TEST(CommandLineInstalled, PathsAndVersionAreSwitchesThatHelpLists) {
    const char* argv[] = {"vantorel", "--paths"};
    const CommandLineResult parsed = parseCommandLine(2, argv);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_TRUE(parsed.options.paths);
    const char* withValue[] = {"vantorel", "--paths=x"};
    EXPECT_EQ(parseCommandLine(2, withValue).error, "--paths takes no value");
    EXPECT_EQ(std::string(kVersionText), std::string("Vantorel ") + VANTOREL_VERSION);
    const std::string usage = usageText();
    EXPECT_NE(usage.find("  --paths "), std::string::npos);
    EXPECT_NE(usage.find("  --version "), std::string::npos);
}

}  // namespace
}  // namespace vantorel
