#include "shell/printer_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/settings_file.h"
#include "shell/dialog_controls.h"

namespace vantorel {

namespace {

constexpr int kAutoLinefeed = 1107;
constexpr int kUnlimitedWidth = 1108;
constexpr int kFixedWidth = 1109;
constexpr int kWidth = 1111;
constexpr int kBrowse = 1112;
constexpr int kFileName = 1113;
constexpr int kLongestName = kSettingsTextBytes - 1;  // characters label 1113 gives OK

}  // namespace

std::int32_t printerWidthFor(std::uint32_t typed) {
    if (typed < 2) return 32;
    if (typed > 65535) return 65535;
    return static_cast<std::int32_t>(typed);
}

PrinterDialog::PrinterDialog(const MachineConfig& config, const SettingsFiles& files,
                             QWidget* parent)
    : SettingsDialog(config, parent), files_(files) {
    setObjectName(QStringLiteral("id130"));
    setWindowTitle(QStringLiteral("Configure Printer"));
    auto* note = new QLabel(QStringLiteral("NOTE:  This emulator sends all printer output to a "
                                           "file.  It does NOT attempt to print to a real "
                                           "printer."),
                            this);
    note->setWordWrap(true);
    autoLinefeed_ = makeCheckBox(
        kAutoLinefeed, QStringLiteral("Automatic linefeed following carriage return"), this);
    autoLinefeed_->setEnabled(false);

    auto* widthGroup = new QGroupBox(QStringLiteral("Printer Width"), this);
    QRadioButton* unlimited =
        makeRadioButton(kUnlimitedWidth, QStringLiteral("Unlimited width"), widthGroup);
    fixedWidth_ = makeRadioButton(kFixedWidth, QStringLiteral("Fixed width at "), widthGroup);
    width_ = makeDigitsField(kWidth, widthGroup);
    width_->setToolTip(
        QStringLiteral("Characters on a printed line before a new line is started (digits only)."));
    width_->setMaximumWidth(width_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(fixedWidth_);
    widthRow->addWidget(width_);
    widthRow->addWidget(new QLabel(QStringLiteral("characters"), widthGroup));
    widthRow->addStretch();
    auto* widthLayout = new QVBoxLayout(widthGroup);
    widthLayout->addWidget(unlimited);
    widthLayout->addLayout(widthRow);

    auto* fileGroup = new QGroupBox(QStringLiteral("Filename for Printer Output"), this);
    QPushButton* browse = makePushButton(kBrowse, QStringLiteral("Browse"), fileGroup);
    fileName_ = makeLabel(kFileName, QStringLiteral("(Under Construction)"), fileGroup);
    fileName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* fileLayout = new QHBoxLayout(fileGroup);
    fileLayout->addWidget(browse);
    fileLayout->addWidget(fileName_, 1);

    // Opening.
    autoLinefeed_->setChecked(working_.autolinefeedflag);
    width_->setText(QString::number(static_cast<std::uint32_t>(working_.width)));
    if (working_.fixedwidthflag) {
        fixedWidth_->setChecked(true);
    } else {
        unlimited->setChecked(true);
        width_->setEnabled(false);
    }
    fileName_->setText(settingsTextToQString(working_.filename));

    // Commands.
    connect(unlimited, &QRadioButton::clicked, this, [this] { width_->setEnabled(false); });
    connect(fixedWidth_, &QRadioButton::clicked, this, [this] { width_->setEnabled(true); });
    connect(browse, &QPushButton::clicked, this, &PrinterDialog::browsePrinterFile);

    QDialogButtonBox* buttons = makeOkCancel(this, DefaultButton::ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrinterDialog::okPressed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(autoLinefeed_);
    layout->addWidget(widthGroup);
    layout->addWidget(fileGroup);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

// The save-file dialog, starting in lprint/ with the present file name; a
// confirmed choice replaces the working file name (unless it is too long
// for the settings to hold).
void PrinterDialog::browsePrinterFile() {
    QFileDialog dialog(this, QStringLiteral("Save As"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Text Files (*.TXT) (*.txt *.TXT)"),
                           QStringLiteral("All Files (*.*) (*)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QString::fromStdString((files_.startupDirectory / "lprint").string()));
    dialog.selectFile(settingsTextToQString(working_.filename));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        storeSettingsText(dialog.selectedFiles().first(), working_.filename);
    }
    fileName_->setText(settingsTextToQString(working_.filename));
}

void PrinterDialog::okPressed() {
    working_.autolinefeedflag = autoLinefeed_->isChecked();
    working_.width = printerWidthFor(unsignedNumberIn(width_->text()));
    storeSettingsText(fileName_->text().left(kLongestName), working_.filename);
    working_.fixedwidthflag = fixedWidth_->isChecked();
    accept();
}

bool runPrinterDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files) {
    PrinterDialog dialog(config, files, parent);
    return runSettingsDialog(dialog, config, files, savePrinterSettings);
}

}  // namespace vantorel
