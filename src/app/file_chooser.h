// The open-file and save-file dialogs, as the file commands need them.
//
// A command describes the dialog it wants (caption, filters, default suffix,
// starting folder; for opening, the file must exist; for saving, a suggested
// name) and gets back the chosen path, or nothing when the user cancelled; the cassette commands
// also learn the filter entry chosen, and Record asks for a file to write. The desktop passes
// QtFileChooser (qt_file_chooser.h); tests pass a fake that answers without a dialog and records
// what was asked.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantorel {

struct FileFilter {
    std::string label;                  // shown to the user, e.g. "Text Files (*.TXT)"
    std::vector<std::string> patterns;  // matched against names, e.g. "*.txt", "*.TXT"
};

struct FileDialogRequest {
    std::string caption;              // the dialog's title
    std::vector<FileFilter> filters;  // the first is selected at start
    std::string defaultSuffix;        // added to a typed name without extension, e.g. "bin"
    std::string startFolder;          // folder the dialog opens in; empty: the platform's choice
    std::string fileName = {};        // save dialogs: the name offered at first
};

// A chosen file and the filter entry in force when the dialog closed.
struct FileChoice {
    std::string path;
    std::size_t filterIndex = 0;  // index into the request's filters
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // Shows a modal dialog for an existing file; the chosen path, or nothing.
    virtual std::optional<std::string> chooseExistingFile(const FileDialogRequest& request) = 0;
    // Shows a modal dialog for a file to write (an existing one is replaced
    // once the user agreed); the chosen path, or nothing. A chooser without
    // one cancels.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogRequest&) {
        return std::nullopt;
    }
    // The same, telling which filter entry was in force (the first, unless
    // the chooser knows better).
    virtual std::optional<FileChoice> chooseExistingFileAndFilter(
        const FileDialogRequest& request) {
        std::optional<std::string> path = chooseExistingFile(request);
        if (!path) return std::nullopt;
        return FileChoice{*path, 0};
    }
    // Shows a modal dialog for a file to write (it need not exist; an
    // existing one is replaced); nothing when cancelled or not offered.
    virtual std::optional<FileChoice> chooseFileToWrite(const FileDialogRequest&) {
        return std::nullopt;
    }
};

}  // namespace vantorel
