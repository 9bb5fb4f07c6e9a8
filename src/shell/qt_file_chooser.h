// The file dialogs on the desktop: a modal QFileDialog for an existing file
// or a file to save, with the request's filters, default suffix, start
// folder and suggested name.
//
// Filters are shown with the labels the commands give ("Text Files
// (*.TXT)") while matching the request's patterns in both cases. Owned by
// the program, used by the file commands through FileChooser.
#pragma once

#include <QStringList>
#include <QWidget>

#include "app/file_chooser.h"

namespace vantorel {

// The index in `filters` of the filter the dialog reports as chosen, whether
// it reports the whole filter or only the label it shows; -1 when none fits.
qsizetype nameFilterIndex(const QStringList& filters, const QString& chosen);

class QtFileChooser : public FileChooser {
  public:
    explicit QtFileChooser(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    std::optional<std::string> chooseExistingFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<FileChoice> chooseExistingFileAndFilter(
        const FileDialogRequest& request) override;
    std::optional<FileChoice> chooseFileToWrite(const FileDialogRequest& request) override;

  private:
    std::optional<FileChoice> runDialog(const FileDialogRequest& request, bool saving);

    QWidget* owner_;
};

}  // namespace vantorel
