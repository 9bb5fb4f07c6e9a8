// The window as an installed program: started outside a portable folder,
// its menus write into the user's data folder and nothing into the folder
// it was started in; Help > Vantorel Manual opens the HTML manual of the
// installed layout (or of the build tree); the window icon is built in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>
#include <fstream>

#include "app/program_folders.h"
#include "app/start_folders.h"
#include "shell/about_dialog.h"
#include "shell/menu_table.h"
#include "shell/program_identity.h"
#include "shell_harness.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using testing::ShellHarness;
using testing::TempFolder;

// Takes the URLs QDesktopServices would hand to the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST(InstalledWindow, MenusWriteRamAndScreenshotsIntoTheDataFolderNotTheStartingFolder) {
    TempFolder temp;
    const fs::path launched = temp / "launched-from";
    fs::create_directories(launched);
    const std::string home = (temp / "home").string();  // and no XDG variables
    const ProgramFolders folders =
        findProgramFolders(launched, [&home](const char* name) -> const char* {
            return std::string_view(name) == "HOME" ? home.c_str() : nullptr;
        });
    ASSERT_FALSE(folders.portable);
    ASSERT_EQ(createProgramFolders(folders), "");

    ShellHarness shell;
    shell.window->setStartFolders(makeStartFolders(folders.startup));
    const fs::path previous = fs::current_path();
    fs::current_path(launched);
    shell.runFrame();
    shell.window->runCommand(kCommandSaveRam);
    shell.window->runCommand(kCommandSaveScreenshot);  // cancelled: shows what is offered
    ASSERT_EQ(shell.chooser.saveRequests.size(), 1u);
    const FileDialogRequest offered = shell.chooser.saveRequests[0];
    shell.chooser.saveAnswers.push_back(offered.startFolder + offered.fileName);
    shell.window->runCommand(kCommandSaveScreenshot);
    fs::current_path(previous);

    const fs::path data = temp / "home/.local/share/vantorel";
    EXPECT_EQ(fs::file_size(data / "ram.bin"), 65536u);
    EXPECT_EQ(offered.startFolder, (data / "screenshots").generic_string() + "/");
    EXPECT_TRUE(fs::is_regular_file(data / "screenshots" / offered.fileName));
    EXPECT_TRUE(fs::is_empty(launched));
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
}

TEST(InstalledWindow, TheManualIsLookedForInTheInstalledLayoutThenInTheBuildTree) {
    EXPECT_EQ(manualCandidates("/usr/bin"),
              (std::vector<fs::path>{"/usr/share/doc/vantorel/manual.html",
                                     "/share/doc/vantorel/manual.html"}));
    TempFolder prefix;
    EXPECT_FALSE(findManual(prefix / "bin"));
    fs::create_directories(prefix / "share/doc/vantorel");
    std::ofstream(prefix / "share/doc/vantorel/manual.html") << "<html></html>";
    EXPECT_EQ(findManual(prefix / "bin"), prefix / "share/doc/vantorel/manual.html");
    EXPECT_EQ(findManual(prefix / "build/src"), prefix / "share/doc/vantorel/manual.html");
}

TEST(InstalledWindow, HelpManualOpensTheHtmlManualInTheBrowser) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    ShellHarness shell;
    shell.window->runCommand(kCommandManual);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const auto manual = findManual(QCoreApplication::applicationDirPath().toStdString());
    if (!manual) {  // built without cmark-gfm: the user is told where it should be
        ASSERT_EQ(shell.messages.warnings.size(), 1);
        EXPECT_TRUE(shell.messages.warnings[0].contains("manual.html"));
        EXPECT_TRUE(catcher.urls.isEmpty());
        return;
    }
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(QString::fromStdString(manual->string())));
    std::ifstream page(*manual);
    const std::string html{std::istreambuf_iterator<char>(page), {}};
    EXPECT_NE(html.find("<title>Vantorel " VANTOREL_VERSION " manual</title>"), std::string::npos);
    EXPECT_NE(html.find("<table>"), std::string::npos);  // the README's tables came through
    EXPECT_TRUE(shell.messages.warnings.isEmpty());
}

TEST(InstalledWindow, TheIconIsBuiltInAndShownInTheAboutBox) {
    const QIcon icon = programIcon();
    if (icon.isNull()) GTEST_SKIP() << "built without rsvg-convert: no PNG icons";
    for (const int size : {16, 32, 48, 256}) {
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
    }
    setUpApplicationIdentity(*qApp);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("vantorel"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral(VANTOREL_VERSION));
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    QDialog* about = makeAboutDialog(nullptr);
    const auto* picture = about->findChild<QLabel*>(QStringLiteral("aboutIcon"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    delete about;
}

}  // namespace
}  // namespace vantorel

#include "installed_program_test.moc"
