// Driving the settings dialogs as a user does: the main window's Configure
// command opens the dialog modally, and the test works on it (by the
// controls' object names, id<number>) while it is open.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/dialog_controls.h"
#include "shell/main_window.h"
#include "shell_harness.h"
#include "support/temp_folder.h"

namespace vantorel::testing {

// The control with identifier `id` in `dialog`; fails the test when missing.
template <class Control>
Control* control(QWidget& dialog, int id) {
    auto* found = dialog.findChild<Control*>(objectNameFor(id));
    EXPECT_NE(found, nullptr) << "no control id" << id;
    return found;
}

inline void click(QWidget& dialog, int id) {
    if (auto* button = control<QAbstractButton>(dialog, id)) button->click();
}

// Runs `act` on the next modal dialog once it is open; whatever `act`
// leaves open is cancelled. Call before the code that opens the dialog.
inline void whenDialogOpens(std::function<void(QDialog&)> act, bool& opened) {
    QTimer::singleShot(0, [act = std::move(act), &opened] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        opened = true;
        act(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

// A shell whose dialogs save to settings.ini in a fresh folder, which is
// also the start-up folder.
struct SettingsShell {
    TempFolder folder;
    ShellHarness shell;

    SettingsShell() {
        shell.window->settings().setFiles(
            {folder / "settings.ini", folder.path(), shell.roms.images()});
    }

    MachineConfig& config() { return shell.machine->config(); }

    // Runs the Configure command `id`; `act` works on its dialog.
    void run(int id, std::function<void(QDialog&)> act) {
        bool opened = false;
        whenDialogOpens(std::move(act), opened);
        shell.window->runCommand(id);
        EXPECT_TRUE(opened) << "command " << id << " opened no dialog";
    }

    bool settingsFileExists() const { return std::filesystem::exists(folder / "settings.ini"); }

    // The section headers of the settings file, in order.
    std::vector<std::string> sections() const {
        std::ifstream file(folder / "settings.ini");
        std::vector<std::string> result;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line.front() == '[') result.push_back(line);
        }
        return result;
    }
};

}  // namespace vantorel::testing
