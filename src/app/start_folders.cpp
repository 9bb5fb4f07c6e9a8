#include "app/start_folders.h"

namespace vantorel {

namespace {

std::string folderUnder(const std::filesystem::path& directory, const char* name) {
    return (directory / name).generic_string() + "/";
}

}  // namespace

StartFolders makeStartFolders(const std::filesystem::path& startupDirectory) {
    StartFolders folders;
    folders.cassette = folderUnder(startupDirectory, "cassette");
    folders.printer = folderUnder(startupDirectory, "lprint");
    folders.quickType = folderUnder(startupDirectory, "quicktyp");
    folders.rom = folderUnder(startupDirectory, "rom");
    folders.screenshot = folderUnder(startupDirectory, "screenshots");
    folders.startup = startupDirectory;
    return folders;
}

}  // namespace vantorel
