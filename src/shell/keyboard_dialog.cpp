#include "shell/keyboard_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>

#include "app/host_keyboard.h"
#include "config/settings_file.h"
#include "input/emulated_key_names.h"
#include "input/keyboard_assignment.h"
#include "shell/key_capture_box.h"
#include "shell/qt_key_mapping.h"

namespace vantorel {

namespace {

constexpr std::array<std::uint8_t, 3> kBoards = {kBoardNormal, kBoardShift, kBoardCtrl};
constexpr std::array<int, 3> kBoardButtonIds = {1216, 1219, 1220};
constexpr std::array<const char*, 3> kBoardButtonTexts = {
    "Assign host keys to Sorcerer keys alone",
    "Assign host keys to Sorcerer keys with SHIFT",
    "Assign host keys to Sorcerer keys with CTRL",
};
const char* const kSelectPrompt = "Double click a Sorcerer key in the list to edit it";
const char* const kCapturePrompt = "Hold down key combination and click HERE";

QString idName(int id) {
    return QStringLiteral("id%1").arg(id);
}

template <typename Widget>
Widget* named(Widget* widget, int id) {
    widget->setObjectName(idName(id));
    return widget;
}

int boardColumn(std::uint8_t board) {
    return board >> 6;  // 00 -> 0, 40 -> 1, 80 -> 2
}

}  // namespace

KeyboardDialog::KeyboardDialog(const MachineConfig& config, HostKeyboard& keyboard, QWidget* parent)
    : QDialog(parent),
      working_(config),
      keyboard_(keyboard),
      pcKeys_(resolvePcKeyNames(kPcKeyNameTable, keyboard)),
      useScanCodes_(platformHasEvdevScanCodes()) {
    setObjectName(QStringLiteral("configureKeyboard"));
    setWindowTitle(QStringLiteral("Configure Keyboard"));
    keyNameByCode_ = buildKeyNameByCode(pcKeys_);
    buildControls();
    (working_.emulatedflag ? emulatedButton_ : sensibleButton_)->setChecked(true);
    boardButtons_[0]->setChecked(true);
    fillEmulatedKeys();
    qApp->installEventFilter(this);
}

KeyboardDialog::~KeyboardDialog() {
    qApp->removeEventFilter(this);
}

void KeyboardDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);
    emulatedButton_ = named(
        new QRadioButton(QStringLiteral("Emulated layout (each host key is the Sorcerer key in "
                                        "its place)"),
                         this),
        1214);
    sensibleButton_ = named(new QRadioButton(QStringLiteral("Sensible"), this), 1215);
    layout->addWidget(emulatedButton_);
    layout->addWidget(sensibleButton_);

    auto* group = new QGroupBox(QStringLiteral("Assign Sensible Keys"), this);
    auto* groupLayout = new QVBoxLayout(group);
    auto* boards = new QButtonGroup(this);
    for (std::size_t i = 0; i < kBoards.size(); ++i) {
        boardButtons_[i] = named(new QRadioButton(QString::fromUtf8(kBoardButtonTexts[i]), group),
                                 kBoardButtonIds[i]);
        boards->addButton(boardButtons_[i]);
        groupLayout->addWidget(boardButtons_[i]);
        connect(boardButtons_[i], &QRadioButton::clicked, this,
                [this, board = kBoards[i]] { chooseBoard(board); });
    }

    auto* lists = new QGridLayout;
    auto* emulatedHeading =
        new QLabel(QStringLiteral("Sorcerer keys (double click to edit)"), group);
    auto* assignedHeading = new QLabel(QStringLiteral("PC keys (double click to delete)"), group);
    emulatedHeading->setWordWrap(true);
    assignedHeading->setWordWrap(true);
    emulatedKeys_ = named(new QListWidget(group), 1221);
    assignedKeys_ = named(new QListWidget(group), 1222);
    emulatedHeading->setBuddy(emulatedKeys_);
    for (QListWidget* list : {emulatedKeys_, assignedKeys_}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    lists->addWidget(emulatedHeading, 0, 0);
    lists->addWidget(assignedHeading, 0, 1);
    lists->addWidget(emulatedKeys_, 1, 0);
    lists->addWidget(assignedKeys_, 1, 1);
    groupLayout->addLayout(lists);
    captureBox_ = named(new KeyCaptureBox(group), 1223);
    groupLayout->addWidget(captureBox_);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    named(buttons->button(QDialogButtonBox::Ok), 1);
    named(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &KeyboardDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &KeyboardDialog::reject);
    layout->addWidget(buttons);

    addToolTips();
    connect(emulatedKeys_, &QListWidget::itemSelectionChanged, this,
            &KeyboardDialog::emulatedKeySelected);
    connect(emulatedKeys_, &QListWidget::itemDoubleClicked, this, &KeyboardDialog::editEmulatedKey);
    connect(assignedKeys_, &QListWidget::itemDoubleClicked, this,
            &KeyboardDialog::deleteAssignedKey);
    connect(captureBox_, &KeyCaptureBox::clicked, this, &KeyboardDialog::captureHeldKeys);
}

// How the modes differ and how an assignment is made, where the controls'
// own texts do not say it.
void KeyboardDialog::addToolTips() {
    emulatedButton_->setToolTip(QStringLiteral(
        "Each host key presses the Sorcerer key in its place on a US keyboard, whatever the "
        "host's layout: ' is the @ key, - the : key, F1 GRAPHIC. Help, Keyboard Map shows them."));
    sensibleButton_->setToolTip(QStringLiteral(
        "Host keys type what they show on the host's own layout; keys assigned below press "
        "their Sorcerer key instead. Keys that type nothing (Esc, F1, the keypad) keep their "
        "place."));
    const char* const kBoardTips[] = {
        "Lists the Sorcerer keys pressed alone.",
        "Lists the Sorcerer keys pressed with SHIFT: a host key assigned here types the "
        "shifted character.",
        "Lists the Sorcerer keys pressed with CTRL: a host key assigned here types the "
        "control code."};
    for (std::size_t i = 0; i < kBoards.size(); ++i) {
        boardButtons_[i]->setToolTip(QString::fromUtf8(kBoardTips[i]));
    }
    emulatedKeys_->setToolTip(QStringLiteral(
        "The 48 Sorcerer keys that type a character; choose one to see its host keys, double "
        "click it to get the capture box ready."));
    assignedKeys_->setToolTip(QStringLiteral(
        "The host keys (alone, with Shift or with Ctrl) that press the chosen Sorcerer key in "
        "sensible mode; double click one to take it away."));
    captureBox_->setToolTip(QStringLiteral(
        "Hold the host key (with Shift or Ctrl if wanted) and click here: the key is assigned "
        "to the chosen Sorcerer key, replacing what it had."));
}

// The list of host keys stays as it is until a Sorcerer key is chosen.
void KeyboardDialog::chooseBoard(std::uint8_t board) {
    currentBoard_ = board;
    boardButtons_[boardColumn(board)]->setChecked(true);
    fillEmulatedKeys();
}

void KeyboardDialog::fillEmulatedKeys() {
    const QSignalBlocker quiet(emulatedKeys_);
    emulatedKeys_->clear();
    const int column = boardColumn(currentBoard_);
    for (const EmulatedKeyName& key : kEmulatedKeyNameTable) {
        emulatedKeys_->addItem(QString::fromUtf8(key.names[static_cast<std::size_t>(column)]));
    }
}

void KeyboardDialog::emulatedKeySelected() {
    captureBox_->setText(QString::fromUtf8(kSelectPrompt));
    refreshAssignedKeys();
}

void KeyboardDialog::editEmulatedKey() {
    captureBox_->setFocus(Qt::OtherFocusReason);
    captureBox_->setText(QString::fromUtf8(kCapturePrompt));
}

int KeyboardDialog::selectedEmulatedKey() const {
    const QList<QListWidgetItem*> selected = emulatedKeys_->selectedItems();
    return selected.isEmpty() ? -1 : emulatedKeys_->row(selected.first());
}

void KeyboardDialog::refreshAssignedKeys() {
    assignedKeys_->clear();
    const int index = selectedEmulatedKey();
    if (index < 0) return;
    for (const HostKeyCombination& combination :
         assignedCombinations(working_, keyNameByCode_, currentBoard_, index)) {
        assignedKeys_->addItem(
            QString::fromStdString(combinationText(combination, keyNameByCode_)));
    }
}

void KeyboardDialog::deleteAssignedKey() {
    const int index = selectedEmulatedKey();
    const QList<QListWidgetItem*> selected = assignedKeys_->selectedItems();
    if (index < 0 || selected.isEmpty()) return;
    deleteAssignment(working_, keyNameByCode_, currentBoard_, index,
                     assignedKeys_->row(selected.first()));
    refreshAssignedKeys();
}

// The highest named key held now, with Shift or else Ctrl; stored for the
// chosen Sorcerer key, if one is chosen.
void KeyboardDialog::captureHeldKeys() {
    const int index = selectedEmulatedKey();
    std::array<std::uint8_t, kVirtualKeyCount> states{};
    keyboard_.copyHeldKeys(states);
    const auto held = heldCombination(states, keyNameByCode_);
    if (held) {
        captureBox_->setText(QString::fromStdString(combinationText(*held, keyNameByCode_)));
        if (index >= 0) {
            assignCombination(working_, *held, currentBoard_, index);
            refreshAssignedKeys();
        }
    }
    captureBox_->setFocus(Qt::MouseFocusReason);
}

void KeyboardDialog::accept() {
    working_.emulatedflag = emulatedButton_->isChecked();
    QDialog::accept();
}

// Keys pressed and released anywhere in the dialog go into the host key
// states, so the capture box sees what is held whichever control had the
// keyboard. Caps Lock's toggle is left to the main window.
bool KeyboardDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->isAutoRepeat() || key->key() == Qt::Key_CapsLock) return false;
    const auto virtualKey = virtualKeyForEvent(*key, useScanCodes_);
    if (!virtualKey) return false;
    if (type == QEvent::KeyPress) {
        keyboard_.keyDown(*virtualKey);
    } else {
        keyboard_.keyUp(*virtualKey);
    }
    return false;
}

bool runKeyboardDialog(QWidget* parent, MachineConfig& config,
                       const std::filesystem::path& settingsPath, HostKeyboard& keyboard) {
    KeyboardDialog dialog(config, keyboard, parent);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    keyboard.releaseAll();  // no key stays down whose release the window may not see
    if (!confirmed) return false;
    config = dialog.workingCopy();
    if (!settingsPath.empty()) saveKeyboardSettings(settingsPath, config);
    return true;
}

}  // namespace vantorel
