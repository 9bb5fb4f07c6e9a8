// The "Configure Sound" dialog of the Configure menu's "Sound..." item.
//
// Check box 1400 "Speaker Clicker Sound" with its volume slider 1404 and
// label 1402 ("50% Volume"); check box 1401 for the AY-3-8910 add-on with
// slider 1405 and label 1403, both disabled (the sound chip is reached by no
// port). Sliders run 0-100 in steps of 10 and store their position at once
// in the working copy. OK takes the two check boxes and writes "SOUND";
// Cancel is the default button. The main window restarts the sound output
// after OK.
#pragma once

#include <filesystem>

#include "shell/settings_dialog.h"

class QCheckBox;
class QLabel;
class QSlider;

namespace vantorel {

class SoundDialog : public SettingsDialog {
  public:
    SoundDialog(const MachineConfig& config, QWidget* parent);

  private:
    void volumeMoved(QLabel* label, std::int32_t& volume, int position);
    void okPressed();

    QCheckBox* clicker_;
    QCheckBox* soundChip_;
};

// True when it closed with OK (the record and "SOUND" then hold the change).
bool runSoundDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files);

}  // namespace vantorel
