#include "shell/qt_file_chooser.h"

#include <QFileDialog>
#include <QStringList>

namespace vantorel {

namespace {

// "Label (patterns)": Qt takes the last parenthesised group as the patterns
// and, with HideNameFilterDetails, shows only the label.
QString nameFilterFor(const FileFilter& filter) {
    QStringList patterns;
    for (const std::string& pattern : filter.patterns) patterns << QString::fromStdString(pattern);
    return QString::fromStdString(filter.label) + QStringLiteral(" (") + patterns.join(' ') +
           QStringLiteral(")");
}

}  // namespace

std::optional<std::string> QtFileChooser::chooseExistingFile(const FileDialogRequest& request) {
    return runDialog(request, false);
}

std::optional<std::string> QtFileChooser::chooseSaveFile(const FileDialogRequest& request) {
    return runDialog(request, true);
}

std::optional<std::string> QtFileChooser::runDialog(const FileDialogRequest& request, bool saving) {
    QFileDialog dialog(owner_, QString::fromStdString(request.caption));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QStringList filters;
    for (const FileFilter& filter : request.filters) filters << nameFilterFor(filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (!request.startFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(request.startFolder));
    }
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.first().toStdString();
}

}  // namespace vantorel
