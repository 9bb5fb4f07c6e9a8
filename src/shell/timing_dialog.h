// The "Configure CPU Timing" dialog of the Configure menu's "System
// Timing...".
//
// "CPU Timing": 1500 "NTSC", 1501 "Pal", 1502 "Custom", 1503 "Fast!  (turns
// off sound)"; for NTSC and PAL the speed multiplier slider 1504 (1-800%)
// with its label 1505 and the "100%" button 1513, and the cycle counts they
// give in 1506 (active scan) and 1507 (vertical blank) with the frame rate
// in 1508; for Custom those three fields take the user's numbers; Fast shows
// "n/a". "Video Updating": 1510 limits the screen updates to the rate of
// slider 1511 (1-600, label 1512 "60 fps "). "Other": 1509 "Speed up when
// accessing files". 1514 "Default" is NTSC at 100% with both check boxes
// cleared. Cancel is the default button.
//
// Under the fields a line shows the range of a slice's cycles (24 to
// 2,106,360, the machine's own second), also the fields' tooltip.
//
// OK stores the mode (Fast also turns both sounds off); Custom numbers that
// cannot run (no frames per second, fewer than 24 cycles a frame, a slice
// above 2,106,360 cycles) are corrected in the fields and OK is refused
// once. OK writes "SPEED"; the main window then recomputes the timing and
// restarts the sound output.
#pragma once

#include "shell/settings_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vantorel {

class TimingDialog : public SettingsDialog {
  public:
    TimingDialog(const MachineConfig& config, QWidget* parent);

  private:
    // The multiplier the slider edits and the cycle counts it scales.
    struct Multiplier {
        std::int32_t* pct = nullptr;  // working ntscmultiplierpct or palmultiplierpct
        std::int32_t activeScan = 0;
        std::int32_t verticalBlank = 0;
    };

    void buildControls();
    void layOut();
    void connectCommands();
    void showSettings();
    void standardMode(int id);  // 1500 NTSC, 1501 PAL
    void customMode();
    void fastMode();
    void setFieldsEnabled(bool enabled);
    void setMultiplierEnabled(bool enabled);
    void showScaledCycles(std::int32_t pct);
    void multiplierMoved(int position);
    void hundredPercent();
    void defaults();
    void updatesMoved(int position);
    bool customValuesCorrected();
    void okPressed();

    Multiplier multiplier_;
    QRadioButton* modes_[4];  // NTSC, PAL, Custom, Fast
    QSlider* multiplierSlider_;
    QLabel* multiplierLabel_;
    QPushButton* hundred_;
    QLineEdit* activeScan_;
    QLineEdit* verticalBlank_;
    QLineEdit* framesPerSecond_;
    QLabel* fieldLabels_[3];
    QLabel* sliceRange_;
    QLabel* correction_;  // why a custom number was put right ("correction")
    QCheckBox* limitUpdates_;
    QSlider* updatesSlider_;
    QLabel* updatesLabel_;
    QCheckBox* speedUpFiles_;
    QPushButton* default_;
};

bool runTimingDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files);

}  // namespace vantorel
