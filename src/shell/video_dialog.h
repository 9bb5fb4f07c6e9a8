// The "Colors" dialog of the Configure menu's "Video and Colors...".
//
// Three colour buttons, each drawn filled with its colour: 1327 "Border
// (black)" (entry 2), 1326 "Background (dark gray)" (entry 1), 1325
// "Foreground (light gray)" (entry 0); a click opens the colour picker
// starting from the entry's colour and offering the run's 16 custom colours.
// "Window size": X 1370-1372 and Y 1373-1375, 100% to 300%. "Window": 1380
// "Show messages on the screen", 1381 "Fit the picture to the window", 1382
// "Any size, not only whole steps" (only while fitting). OK (the default
// button) writes "VIDEO" and "COLOR"; the main window then resizes itself
// when the scale changed, rebuilds the display and follows the window
// choices.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <array>

#include "shell/settings_dialog.h"

namespace vantorel {

// The colour picker's 16 custom colours, kept for the whole run (not
// saved); the first Colors dialog fills entries 0-11 with a starting set.
struct CustomColours {
    std::array<QColor, 16> colours{};  // black until filled
    bool filled = false;
};

// A button drawn as one rectangle in its colour.
class ColourButton : public QAbstractButton {
  public:
    ColourButton(const RgbColour& colour, QWidget* parent);
    QSize sizeHint() const override { return {48, 24}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const RgbColour& colour_;  // the working copy's entry
};

class VideoDialog : public SettingsDialog {
  public:
    VideoDialog(const MachineConfig& config, CustomColours& customColours, QWidget* parent);

  private:
    void chooseColour(ColourButton* button, RgbColour& colour);

    CustomColours& customColours_;
};

// The starting set of custom colours (entries 0-11; 12-15 black).
std::array<QColor, 16> startingCustomColours();

bool runVideoDialog(QWidget* parent, MachineConfig& config, CustomColours& customColours,
                    const SettingsFiles& files);

}  // namespace vantorel
