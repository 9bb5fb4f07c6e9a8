#include "shell/screenshot_name.h"

namespace vantorel {

std::string screenshotFileName(const QDateTime& when) {
    return "vantorel-" + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toStdString() + ".png";
}

FileDialogRequest screenshotDialog(const StartFolders& folders, const QDateTime& when) {
    FileDialogRequest request{
        "Save Screenshot", {{"PNG Images (*.PNG)", {"*.png", "*.PNG"}}}, "png", folders.screenshot};
    request.fileName = screenshotFileName(when);
    return request;
}

}  // namespace vantorel
