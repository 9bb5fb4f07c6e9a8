#include "shell/program_identity.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <system_error>

#include "app/command_line.h"
#include "shell/message_sink.h"

namespace vantorel {

namespace {

constexpr const char* kProgramName = "vantorel";
constexpr const char* kManualFolder = "share/doc/vantorel";
constexpr const char* kManualName = "manual.html";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : kIconSizes) {
        const QString file = QStringLiteral(":/icons/%1x%1/vantorel.png").arg(size);
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

void setUpApplicationIdentity(QApplication& application) {
    QApplication::setApplicationName(QString::fromUtf8(kProgramName));
    QApplication::setApplicationVersion(QStringLiteral(VANTOREL_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kProgramName));
    QIcon icon = programIcon();
    if (icon.isNull()) icon = QIcon::fromTheme(QString::fromUtf8(kProgramName));
    application.setWindowIcon(icon);
}

std::vector<std::filesystem::path> manualCandidates(const std::filesystem::path& programDirectory) {
    return {programDirectory.parent_path() / kManualFolder / kManualName,
            programDirectory.parent_path().parent_path() / kManualFolder / kManualName};
}

std::optional<std::filesystem::path> findManual(const std::filesystem::path& programDirectory) {
    for (const std::filesystem::path& candidate : manualCandidates(programDirectory)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

void openManual(MessageSink& messages) {
    const std::filesystem::path programDirectory =
        QCoreApplication::applicationDirPath().toStdString();
    const auto manual = findManual(programDirectory);
    if (!manual) {
        messages.warn(
            QStringLiteral("The manual is not installed: %1 is missing.")
                .arg(QString::fromStdString(manualCandidates(programDirectory).front().string())));
        return;
    }
    const QString path = QString::fromStdString(manual->string());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        messages.warn(QStringLiteral("No browser could open the manual: %1").arg(path));
    }
}

}  // namespace vantorel
