// The name Save Screenshot... offers: "vantorel-" and the local date and
// time, "vantorel-2026-12-09-110203.png", in the screenshots folder.
#pragma once

#include <QDateTime>
#include <string>

#include "app/file_chooser.h"
#include "app/start_folders.h"

namespace vantorel {

std::string screenshotFileName(const QDateTime& when);

// The save dialog for a PNG file, offering screenshotFileName(when) in the
// screenshot folder.
FileDialogRequest screenshotDialog(const StartFolders& folders, const QDateTime& when);

}  // namespace vantorel
