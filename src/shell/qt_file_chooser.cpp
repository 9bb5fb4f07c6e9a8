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

// The suffix a filter stands for: "cvz" for "*.cvz"; empty for "*".
QString suffixOf(const FileFilter& filter) {
    if (filter.patterns.empty()) return {};
    const QString pattern = QString::fromStdString(filter.patterns.front());
    return pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2) : QString();
}

}  // namespace

qsizetype nameFilterIndex(const QStringList& filters, const QString& chosen) {
    const qsizetype exact = filters.indexOf(chosen);
    if (exact >= 0) return exact;
    // With HideNameFilterDetails the dialog may report the filter as shown:
    // its text without the last parenthesised group of patterns.
    for (qsizetype index = 0; index < filters.size(); ++index) {
        const QString& filter = filters[index];
        const qsizetype open = filter.lastIndexOf(QStringLiteral(" ("));
        if (open >= 0 && filter.left(open).simplified() == chosen.simplified()) return index;
    }
    return -1;
}

std::optional<std::string> QtFileChooser::chooseExistingFile(const FileDialogRequest& request) {
    std::optional<FileChoice> choice = runDialog(request, false);
    if (!choice) return std::nullopt;
    return choice->path;
}

std::optional<std::string> QtFileChooser::chooseSaveFile(const FileDialogRequest& request) {
    std::optional<FileChoice> choice = runDialog(request, true);
    if (!choice) return std::nullopt;
    return choice->path;
}

std::optional<FileChoice> QtFileChooser::chooseExistingFileAndFilter(
    const FileDialogRequest& request) {
    return runDialog(request, false);
}

std::optional<FileChoice> QtFileChooser::chooseFileToWrite(const FileDialogRequest& request) {
    return runDialog(request, true);
}

std::optional<FileChoice> QtFileChooser::runDialog(const FileDialogRequest& request, bool saving) {
    QFileDialog dialog(owner_, QString::fromStdString(request.caption));
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QStringList filters;
    for (const FileFilter& filter : request.filters) filters << nameFilterFor(filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (saving) {
        // A filter with one "*.ext" pattern makes "ext" the suffix of a bare name.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &filters, &request](const QString& chosen) {
                             const qsizetype index = nameFilterIndex(filters, chosen);
                             if (index < 0) return;
                             const QString suffix =
                                 suffixOf(request.filters[static_cast<std::size_t>(index)]);
                             if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
                         });
    }
    if (!request.startFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(request.startFolder));
    }
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    const qsizetype filter = nameFilterIndex(filters, dialog.selectedNameFilter());
    return FileChoice{chosen.first().toStdString(),
                      filter < 0 ? std::size_t{0} : static_cast<std::size_t>(filter)};
}

}  // namespace vantorel
