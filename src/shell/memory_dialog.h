// The Memory dialog of the Configure menu's "Memory...".
//
// "RAM": 1000 "Normal (as sold in stores)" or 1001 "Enhanced" (disabled:
// there is no enhanced machine), and the RAM fitted, 1002-1005 (8K to almost
// 48K). "ROM": 1006 "Make ROM writeable" (disabled), the monitor ROM built in
// (1007) or from a file (1008, with 1009 "Browse" and the name in 1010), and
// the character ROM likewise (1011-1014). Browse asks for an existing file
// in rom/ under the start-up folder and takes it only when it can be opened.
// Cancel is the default button. OK writes "MEMORY" and installs the ROM
// images the new settings choose; the main window then hard-resets the
// machine, once the dialog has closed.
#pragma once

#include <vector>

#include "shell/settings_dialog.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QCheckBox;

namespace vantorel {

class FileChooser;
struct MachineRoms;

class MemoryDialog : public SettingsDialog {
  public:
    MemoryDialog(const MachineConfig& config, FileChooser& chooser, const SettingsFiles& files,
                 QWidget* parent);

  private:
    // One ROM row: its built-in / from-file buttons, Browse and the name.
    struct RomRow {
        QRadioButton* builtin;
        QRadioButton* fromFile;
        QPushButton* browse;
        QLabel* name;
    };

    void buildControls();
    void addToolTips();
    void showSettings();
    void connectCommands();
    void layOut();
    void chooseMemoryKind(bool enhanced);
    static void chooseRomSource(const RomRow& row, bool builtin);
    bool browseRomFile(SettingsText& destination);
    void okPressed();

    FileChooser& chooser_;
    const SettingsFiles& files_;
    QRadioButton* normal_;
    QRadioButton* enhanced_;
    QRadioButton* ram_[4];  // 8K, 16K, 32K, almost 48K
    QCheckBox* writeRom_;
    RomRow monitor_;
    RomRow characters_;
};

// Runs the dialog; on OK the record takes the change, "MEMORY" is written
// and the ROM images are installed into `roms` again. `romProblems` gets
// a line for each ROM file that was not taken.
bool runMemoryDialog(QWidget* parent, MachineConfig& config, MachineRoms& roms,
                     FileChooser& chooser, const SettingsFiles& files,
                     std::vector<std::string>& romProblems);

}  // namespace vantorel
