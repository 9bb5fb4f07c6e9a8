// The "Configure Keyboard" dialog of the Configure menu: the keyboard mode
// and the host keys assigned to Sorcerer keys for sensible mode.
//
// Controls (object names carry their identifiers):
//   id1214 / id1215  radio buttons: emulated layout, or "Sensible";
//   id1216 / id1219 / id1220  the board whose keys list id1221 shows:
//                    the Sorcerer keys alone, with SHIFT, with CTRL;
//   id1221  the 48 Sorcerer keys of that board; choosing one lists its
//           host keys in id1222, a double click readies the capture box;
//   id1222  host keys assigned to the chosen key; a double click deletes one;
//   id1223  the capture box: hold a key combination, click it, and the
//           combination is assigned to the chosen key;
//   id1 / id2  OK and Cancel.
// The dialog edits a working copy of the settings record; key events
// anywhere in the dialog are noted in the shell's host key states, which a
// click on the capture box reads.
//
// runKeyboardDialog is the "Keyboard..." command of the main window: on OK
// the copy replaces the record and the "KEYBOARD" section is saved; Cancel
// changes nothing.
#pragma once

#include <QDialog>
#include <cstdint>
#include <filesystem>

#include "config/machine_config.h"
#include "input/pc_key_names.h"

class QListWidget;
class QRadioButton;

namespace vantorel {

class HostKeyboard;
class KeyCaptureBox;

class KeyboardDialog : public QDialog {
    Q_OBJECT

  public:
    KeyboardDialog(const MachineConfig& config, HostKeyboard& keyboard, QWidget* parent = nullptr);
    ~KeyboardDialog() override;

    const MachineConfig& workingCopy() const { return working_; }
    std::uint8_t currentBoard() const { return currentBoard_; }

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void addToolTips();
    void chooseBoard(std::uint8_t board);
    void fillEmulatedKeys();
    void emulatedKeySelected();
    void editEmulatedKey();
    void refreshAssignedKeys();
    void deleteAssignedKey();
    void captureHeldKeys();
    int selectedEmulatedKey() const;

    MachineConfig working_;
    HostKeyboard& keyboard_;
    KeyNameByCode keyNameByCode_;
    PcKeyNameTable pcKeys_;
    std::uint8_t currentBoard_ = 0x00;
    bool useScanCodes_;
    QRadioButton* emulatedButton_ = nullptr;
    QRadioButton* sensibleButton_ = nullptr;
    QRadioButton* boardButtons_[3] = {};
    QListWidget* emulatedKeys_ = nullptr;
    QListWidget* assignedKeys_ = nullptr;
    KeyCaptureBox* captureBox_ = nullptr;
};

// Runs the dialog modally on `config`; on OK copies the working copy back
// and saves the keyboard settings to `settingsPath` (unless it is empty).
// True when the dialog closed with OK.
bool runKeyboardDialog(QWidget* parent, MachineConfig& config,
                       const std::filesystem::path& settingsPath, HostKeyboard& keyboard);

}  // namespace vantorel
