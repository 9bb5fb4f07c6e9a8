#include "shell/memory_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/file_chooser.h"
#include "config/settings_file.h"
#include "files/binary_file.h"
#include "machine/machine_memory.h"
#include "machine/rom_files.h"
#include "shell/dialog_controls.h"

namespace vantorel {

namespace {

constexpr int kNormal = 1000;
constexpr int kEnhanced = 1001;
constexpr int kFirstRam = 1002;  // 1002-1005: 8K, 16K, 32K, almost 48K
constexpr int kWriteRom = 1006;
constexpr int kMonitorBuiltin = 1007;
constexpr int kMonitorFile = 1008;
constexpr int kMonitorBrowse = 1009;
constexpr int kMonitorName = 1010;
constexpr int kCharactersBuiltin = 1011;
constexpr int kCharactersFile = 1012;
constexpr int kCharactersBrowse = 1013;
constexpr int kCharactersName = 1014;

const char* const kRamTexts[] = {"Unexpanded 8K RAM", "16K RAM", "32K RAM", "Almost 48K RAM"};

QButtonGroup* exclusiveGroup(QObject* parent, std::initializer_list<QRadioButton*> buttons) {
    auto* group = new QButtonGroup(parent);
    for (QRadioButton* button : buttons) group->addButton(button);
    return group;
}

}  // namespace

MemoryDialog::MemoryDialog(const MachineConfig& config, FileChooser& chooser,
                           const SettingsFiles& files, QWidget* parent)
    : SettingsDialog(config, parent), chooser_(chooser), files_(files) {
    setObjectName(QStringLiteral("id129"));
    setWindowTitle(QStringLiteral("Configure Exidy Sorcerer Memory"));
    buildControls();
    showSettings();
    connectCommands();
    layOut();
}

void MemoryDialog::buildControls() {
    normal_ = makeRadioButton(kNormal, QStringLiteral("Normal (as sold in stores)"), this);
    enhanced_ = makeRadioButton(kEnhanced, QStringLiteral("Enhanced"), this);
    enhanced_->setEnabled(false);
    exclusiveGroup(this, {normal_, enhanced_});
    for (int i = 0; i < 4; ++i) {
        ram_[i] = makeRadioButton(kFirstRam + i, QString::fromUtf8(kRamTexts[i]), this);
    }
    exclusiveGroup(this, {ram_[0], ram_[1], ram_[2], ram_[3]});
    writeRom_ = makeCheckBox(kWriteRom, QStringLiteral("Make ROM writeable"), this);
    writeRom_->setEnabled(false);
    monitor_ = {
        makeRadioButton(kMonitorBuiltin, QStringLiteral("Use built-in 4K Monitor ROM"), this),
        makeRadioButton(kMonitorFile, QStringLiteral("Load 4K Monitor ROM from disk"), this),
        makePushButton(kMonitorBrowse, QStringLiteral("Browse"), this),
        makeLabel(kMonitorName, QStringLiteral("(none)"), this)};
    characters_ = {
        makeRadioButton(kCharactersBuiltin, QStringLiteral("Use built-in 1K Character  ROM"), this),
        makeRadioButton(kCharactersFile, QStringLiteral("Load 1K Character ROM from disk"), this),
        makePushButton(kCharactersBrowse, QStringLiteral("Browse"), this),
        makeLabel(kCharactersName, QStringLiteral("(none)"), this)};
    for (const RomRow* row : {&monitor_, &characters_}) {
        exclusiveGroup(this, {row->builtin, row->fromFile});
        row->name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    addToolTips();
}

// What each choice does to the machine, with the addresses and sizes it
// takes; the plain radio buttons' own texts say the rest.
void MemoryDialog::addToolTips() {
    const char* const kRamTips[] = {
        "8K of RAM at 0000-1FFF; addresses above it read FF.",
        "16K of RAM at 0000-3FFF; addresses above it read FF.",
        "32K of RAM at 0000-7FFF; addresses above it read FF.",
        "47K of RAM at 0000-BBFF; a 16K ROM PAC (A000-DFFF) takes the place of the RAM "
        "under it."};
    for (int i = 0; i < 4; ++i) ram_[i]->setToolTip(QString::fromUtf8(kRamTips[i]));
    normal_->setToolTip(QStringLiteral("The machine as sold: the RAM chosen below."));
    enhanced_->setToolTip(QStringLiteral("Not available: there is no enhanced machine."));
    writeRom_->setToolTip(QStringLiteral("Not available: the ROMs always stay as they are."));
    monitor_.builtin->setToolTip(
        QStringLiteral("The program's own monitor at E000-EFFF (prompt, tape, DU, EN, GO ...)."));
    monitor_.fromFile->setToolTip(
        QStringLiteral("A monitor ROM image of exactly 4096 bytes, at E000-EFFF; any other file "
                       "leaves the built-in one in place."));
    monitor_.browse->setToolTip(QStringLiteral(
        "Chooses the monitor ROM file in the rom folder; it is taken only if it can be opened."));
    characters_.builtin->setToolTip(
        QStringLiteral("The program's own character set for codes 00-7F (F800-FBFF)."));
    characters_.fromFile->setToolTip(
        QStringLiteral("A character ROM image of exactly 1024 bytes (codes 00-7F, 8 bytes "
                       "each); any other file leaves the built-in one in place."));
    characters_.browse->setToolTip(QStringLiteral(
        "Chooses the character ROM file in the rom folder; it is taken only if it can be "
        "opened."));
    for (const RomRow* row : {&monitor_, &characters_}) {
        row->name->setToolTip(QStringLiteral("The file last chosen with Browse."));
    }
}

// Opening: the RAM fitted, the memory kind, the two ROM sources and names.
void MemoryDialog::showSettings() {
    const int ram = std::clamp(working_.ramexpanders, 0, 3);
    ram_[ram]->setChecked(true);
    writeRom_->setChecked(working_.writeROMflag);
    if (working_.enhancedflag) {
        enhanced_->setChecked(true);
        for (QRadioButton* button : ram_) button->setEnabled(false);
    } else {
        normal_->setChecked(true);
    }
    monitor_.name->setText(settingsTextToQString(working_.ROMfilename));
    characters_.name->setText(settingsTextToQString(working_.CHARfilename));
    chooseRomSource(monitor_, working_.usebuiltinromflag);
    chooseRomSource(characters_, working_.usebuiltincharflag);
}

void MemoryDialog::connectCommands() {
    connect(normal_, &QRadioButton::clicked, this, [this] { chooseMemoryKind(false); });
    connect(enhanced_, &QRadioButton::clicked, this, [this] { chooseMemoryKind(true); });
    for (const RomRow* row : {&monitor_, &characters_}) {
        connect(row->builtin, &QRadioButton::clicked, this, [row] { chooseRomSource(*row, true); });
        connect(row->fromFile, &QRadioButton::clicked, this,
                [row] { chooseRomSource(*row, false); });
    }
    connect(monitor_.browse, &QPushButton::clicked, this, [this] {
        if (browseRomFile(working_.ROMfilename)) {
            monitor_.name->setText(settingsTextToQString(working_.ROMfilename));
        }
    });
    connect(characters_.browse, &QPushButton::clicked, this, [this] {
        if (browseRomFile(working_.CHARfilename)) {
            characters_.name->setText(settingsTextToQString(working_.CHARfilename));
        }
    });
    // 1002-1005 need no command of their own: their group keeps one selected.
}

void MemoryDialog::layOut() {
    auto* ramGroup = new QGroupBox(QStringLiteral("RAM"), this);
    auto* ramLayout = new QGridLayout(ramGroup);
    ramLayout->addWidget(normal_, 0, 0);
    ramLayout->addWidget(enhanced_, 1, 0);
    for (int i = 0; i < 4; ++i) ramLayout->addWidget(ram_[i], i, 1);
    ramLayout->setColumnMinimumWidth(0, 200);
    auto* cartridgeNote =
        new QLabel(QStringLiteral("Note:  ROM cartridges will always supplant RAM."), ramGroup);
    ramLayout->addWidget(cartridgeNote, 4, 0, 1, 2);

    auto* romGroup = new QGroupBox(QStringLiteral("ROM"), this);
    auto* romLayout = new QGridLayout(romGroup);
    romLayout->addWidget(writeRom_, 0, 0, 1, 3);
    int line = 1;
    for (const RomRow* row : {&monitor_, &characters_}) {
        romLayout->setRowMinimumHeight(line++, 6);
        romLayout->addWidget(row->builtin, line++, 0, 1, 3);
        romLayout->addWidget(row->fromFile, line++, 0, 1, 3);
        romLayout->addWidget(row->browse, line, 1);
        romLayout->addWidget(row->name, line++, 2);
    }
    romLayout->setColumnMinimumWidth(0, 16);
    romLayout->setColumnStretch(2, 1);

    auto* resetNote =
        new QLabel(QStringLiteral("NOTE:  Clicking \"OK\" will hard reset the emulator."), this);
    QDialogButtonBox* buttons = makeOkCancel(this, DefaultButton::cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &MemoryDialog::okPressed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ramGroup);
    layout->addWidget(romGroup);
    layout->addWidget(resetNote);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

// 1000 (normal): the RAM choice opens, ROM writing closes; 1001 the reverse.
void MemoryDialog::chooseMemoryKind(bool enhanced) {
    for (QRadioButton* button : ram_) button->setEnabled(!enhanced);
    writeRom_->setEnabled(enhanced);
    (enhanced ? enhanced_ : normal_)->setChecked(true);
}

void MemoryDialog::chooseRomSource(const RomRow& row, bool builtin) {
    (builtin ? row.builtin : row.fromFile)->setChecked(true);
    row.browse->setEnabled(!builtin);
    row.name->setEnabled(!builtin);
}

// An existing file from rom/ under the start-up folder, taken only when it
// opens for reading (and its path fits the settings).
bool MemoryDialog::browseRomFile(SettingsText& destination) {
    const FileDialogRequest request{
        "Open",
        {{"ROM OS Files (*.ROM, *.BIN)", {"*.rom", "*.bin", "*.ROM", "*.BIN"}},
         {"All Files (*.*)", {"*"}}},
        "bin",
        (files_.startupDirectory / "rom").generic_string() + "/"};
    const std::optional<std::string> chosen = chooser_.chooseExistingFile(request);
    if (!chosen || !openBinaryFile(*chosen)) return false;
    return storeSettingsText(QString::fromStdString(*chosen), destination);
}

void MemoryDialog::okPressed() {
    working_.enhancedflag = enhanced_->isChecked();
    working_.ramexpanders = 0;
    for (int i = 1; i < 4; ++i) {
        if (ram_[i]->isChecked()) working_.ramexpanders = i;
    }
    working_.writeROMflag = writeRom_->isChecked();
    working_.usebuiltinromflag = monitor_.builtin->isChecked();
    working_.usebuiltincharflag = characters_.builtin->isChecked();
    accept();
}

bool runMemoryDialog(QWidget* parent, MachineConfig& config, MachineRoms& roms,
                     FileChooser& chooser, const SettingsFiles& files,
                     std::vector<std::string>& romProblems) {
    MemoryDialog dialog(config, chooser, files, parent);
    if (!runSettingsDialog(dialog, config, files, saveMemorySettings)) return false;
    romProblems = installBuiltinImages(roms, config, files.builtinImages, files.startupDirectory);
    return true;
}

}  // namespace vantorel
