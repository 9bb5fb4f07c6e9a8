// The "Configure Printer" dialog of the Configure menu's "Printer...".
//
// A note that printer output goes to a file; check box 1107 "Automatic
// linefeed following carriage return" (disabled: nothing is printed yet);
// "Printer Width": 1108 "Unlimited width" or 1109 "Fixed width at " the
// digits of field 1111 "characters"; "Filename for Printer Output": 1112
// "Browse" opens a save-file dialog (in lprint/ under the start-up folder,
// "Text Files (*.TXT)") and label 1113 shows the file. OK (the default
// button) takes the controls, forcing the width into 2-65535 (below 2 is
// 32), and writes "PRINTER".
#pragma once

#include "shell/settings_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vantorel {

class PrinterDialog : public SettingsDialog {
  public:
    PrinterDialog(const MachineConfig& config, const SettingsFiles& files, QWidget* parent);

  private:
    void browsePrinterFile();
    void okPressed();

    const SettingsFiles& files_;
    QCheckBox* autoLinefeed_;
    QRadioButton* fixedWidth_;
    QLineEdit* width_;
    QLabel* fileName_;
};

// The printer width a typed number stands for: below 2 is 32, above 65535
// is 65535.
std::int32_t printerWidthFor(std::uint32_t typed);

bool runPrinterDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files);

}  // namespace vantorel
