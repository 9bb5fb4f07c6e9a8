// What every settings dialog shares: a working copy and the run-and-save.
//
// A settings dialog copies the whole settings record when it opens and
// edits only that copy; OK copies the copy back and writes the dialog's own
// sections of the settings file; Cancel (or Escape, or closing) leaves the
// record and the file as they were. The run functions of memory_dialog,
// printer_dialog, video_dialog, sound_dialog and timing_dialog go through
// runSettingsDialog; the main window then applies the change.
#pragma once

#include <QDialog>
#include <filesystem>

#include "app/settings_files.h"
#include "config/machine_config.h"

namespace vantorel {

class SettingsDialog : public QDialog {
  public:
    SettingsDialog(const MachineConfig& config, QWidget* parent)
        : QDialog(parent), working_(config) {}

    // The record as the dialog's controls have it now.
    const MachineConfig& working() const { return working_; }

  protected:
    MachineConfig working_;
};

using SaveSettings = bool (*)(const std::filesystem::path&, const MachineConfig&);

// Runs `dialog` modally. On OK: `config` takes the working copy and `save`
// writes its sections (unless no settings file is named); true. Otherwise
// nothing changes; false.
bool runSettingsDialog(SettingsDialog& dialog, MachineConfig& config,
                       const std::filesystem::path& settingsPath, SaveSettings save);

}  // namespace vantorel
