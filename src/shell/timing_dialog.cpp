#include "shell/timing_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>
#include <QVBoxLayout>
#include <utility>

#include "config/frame_timing.h"
#include "config/settings_file.h"
#include "shell/dialog_controls.h"

namespace vantorel {

namespace {

constexpr int kNtsc = 1500;  // 1500-1503: NTSC, PAL, Custom, Fast
constexpr int kMultiplier = 1504;
constexpr int kMultiplierLabel = 1505;
constexpr int kActiveScan = 1506;
constexpr int kVerticalBlank = 1507;
constexpr int kFramesPerSecond = 1508;
constexpr int kSpeedUpFiles = 1509;
constexpr int kLimitUpdates = 1510;
constexpr int kUpdates = 1511;
constexpr int kUpdatesLabel = 1512;
constexpr int kHundredPercent = 1513;
constexpr int kDefault = 1514;
constexpr int kFirstFieldLabel = 1515;  // 1515-1517

struct Standard {
    const char* labelFormat;
    std::int32_t activeScan;
    std::int32_t verticalBlank;
    int framesPerSecond;
};
constexpr Standard kNtscTiming{"NTSC * %d%%", 32097, 3009, 60};
constexpr Standard kPalTiming{"PAL * %d%%", 32354, 9773, 50};

const char* const kModeTexts[] = {"NTSC", "Pal", "Custom", "Fast!  (turns off sound)"};
const char* const kFieldTexts[] = {"cycles Active Scan", "cycles VBlank", "frames per second"};

QString scaledCycles(std::int32_t cycles, std::int32_t pct) {
    return QString::number(static_cast<std::int64_t>(cycles) * pct / 100);
}

QString updatesText(int perSecond) {
    return QString::asprintf("%d fps ", perSecond);
}

// The custom cycle counts a slice may have, shown under the fields.
QString sliceRangeText() {
    return QStringLiteral("Cycles: %1 to %2 in each")
        .arg(kFewestSliceTStates)
        .arg(kMostSliceTStates);
}

}  // namespace

TimingDialog::TimingDialog(const MachineConfig& config, QWidget* parent)
    : SettingsDialog(config, parent) {
    setObjectName(QStringLiteral("id134"));
    setWindowTitle(QStringLiteral("Configure CPU Timing"));
    buildControls();
    layOut();
    connectCommands();
    showSettings();
}

void TimingDialog::buildControls() {
    auto* modeGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        modes_[i] = makeRadioButton(kNtsc + i, QString::fromUtf8(kModeTexts[i]), this);
        modeGroup->addButton(modes_[i]);
    }
    multiplierSlider_ = makeSlider(kMultiplier, 1, 800, 20, this);
    multiplierLabel_ = makeLabel(kMultiplierLabel, QStringLiteral("speed * 800%"), this);
    multiplierLabel_->setMinimumWidth(
        multiplierLabel_->fontMetrics().horizontalAdvance(QStringLiteral("NTSC * 1000%  ")));
    hundred_ = makePushButton(kHundredPercent, QStringLiteral("100%"), this);
    activeScan_ = makeDigitsField(kActiveScan, this);
    verticalBlank_ = makeDigitsField(kVerticalBlank, this);
    framesPerSecond_ = makeDigitsField(kFramesPerSecond, this);
    for (int i = 0; i < 3; ++i) {
        fieldLabels_[i] = makeLabel(kFirstFieldLabel + i, QString::fromUtf8(kFieldTexts[i]), this);
    }
    sliceRange_ = new QLabel(sliceRangeText(), this);
    sliceRange_->setObjectName(QStringLiteral("sliceRange"));
    for (QLineEdit* field : {activeScan_, verticalBlank_}) field->setToolTip(sliceRangeText());
    correction_ = new QLabel(this);
    correction_->setObjectName(QStringLiteral("correction"));
    correction_->setWordWrap(true);
    multiplierSlider_->setToolTip(
        QStringLiteral("Speed of NTSC or PAL against the real machine: 1% to 800%."));
    framesPerSecond_->setToolTip(QStringLiteral("Custom frames per second: 1 to 600."));
    for (QRadioButton* mode : modes_) {
        mode->setToolTip(QStringLiteral(
            "NTSC: 60 frames a second; PAL: 50; Custom: the cycles and frames below; "
            "Fast: as fast as the host runs, without sound."));
    }

    limitUpdates_ = makeCheckBox(kLimitUpdates,
                                 QStringLiteral("Try to update this many times per second:"), this);
    updatesSlider_ = makeSlider(kUpdates, 1, 600, 5, this);
    updatesLabel_ = makeLabel(kUpdatesLabel, QStringLiteral("800%"), this);
    updatesLabel_->setMinimumWidth(
        updatesLabel_->fontMetrics().horizontalAdvance(QStringLiteral("600 fps  ")));
    speedUpFiles_ =
        makeCheckBox(kSpeedUpFiles, QStringLiteral("Speed up when accessing files"), this);
    limitUpdates_->setToolTip(
        QStringLiteral("Draw the screen at most this many times a second: 1 to 600."));
    speedUpFiles_->setToolTip(QStringLiteral(
        "While a tape or a typed text feeds the machine, run it as fast as the host can."));
    default_ = makePushButton(kDefault, QStringLiteral("Default"), this);
}

void TimingDialog::layOut() {
    auto* cpuGroup = new QGroupBox(QStringLiteral("CPU Timing"), this);
    auto* modes = new QVBoxLayout;
    for (QRadioButton* mode : modes_) modes->addWidget(mode);
    modes->addStretch();
    auto* numbers = new QGridLayout;
    numbers->addWidget(multiplierSlider_, 0, 0, 1, 2);
    numbers->addWidget(multiplierLabel_, 1, 0);
    numbers->addWidget(hundred_, 1, 1, Qt::AlignRight);
    QLineEdit* fields[] = {activeScan_, verticalBlank_, framesPerSecond_};
    for (int i = 0; i < 3; ++i) {
        numbers->addWidget(fields[i], 2 + i, 0);
        numbers->addWidget(fieldLabels_[i], 2 + i, 1);
    }
    numbers->addWidget(sliceRange_, 5, 0, 1, 2);
    numbers->addWidget(correction_, 6, 0, 1, 2);
    numbers->setColumnMinimumWidth(0, 160);
    auto* cpuLayout = new QHBoxLayout(cpuGroup);
    cpuLayout->addLayout(modes);
    cpuLayout->addSpacing(12);
    cpuLayout->addLayout(numbers, 1);

    auto* videoGroup = new QGroupBox(QStringLiteral("Video Updating"), this);
    auto* videoLayout = new QGridLayout(videoGroup);
    videoLayout->addWidget(limitUpdates_, 0, 0, 1, 2);
    videoLayout->addWidget(updatesSlider_, 1, 0);
    videoLayout->addWidget(updatesLabel_, 1, 1);

    auto* otherGroup = new QGroupBox(QStringLiteral("Other"), this);
    auto* otherLayout = new QVBoxLayout(otherGroup);
    otherLayout->addWidget(speedUpFiles_);

    QDialogButtonBox* buttons = makeOkCancel(this, DefaultButton::cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &TimingDialog::okPressed);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(default_);
    bottom->addWidget(buttons, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cpuGroup);
    layout->addWidget(videoGroup);
    layout->addWidget(otherGroup);
    layout->addLayout(bottom);
    setMinimumWidth(460);
}

void TimingDialog::connectCommands() {
    connect(modes_[0], &QRadioButton::clicked, this, [this] { standardMode(kNtsc); });
    connect(modes_[1], &QRadioButton::clicked, this, [this] { standardMode(kNtsc + 1); });
    connect(modes_[2], &QRadioButton::clicked, this, &TimingDialog::customMode);
    connect(modes_[3], &QRadioButton::clicked, this, &TimingDialog::fastMode);
    connect(limitUpdates_, &QCheckBox::toggled, this, [this](bool checked) {
        updatesSlider_->setEnabled(checked);
        updatesLabel_->setEnabled(checked);
    });
    connect(multiplierSlider_, &QSlider::valueChanged, this, &TimingDialog::multiplierMoved);
    connect(updatesSlider_, &QSlider::valueChanged, this, &TimingDialog::updatesMoved);
    connect(hundred_, &QPushButton::clicked, this, &TimingDialog::hundredPercent);
    connect(default_, &QPushButton::clicked, this, &TimingDialog::defaults);
}

// Opening: everything mode-dependent disabled, then the commands of the
// present mode and check boxes, as if the user had clicked them.
void TimingDialog::showSettings() {
    multiplier_ = {};
    {
        const QSignalBlocker blocker(updatesSlider_);
        updatesSlider_->setValue(working_.videoupdatesps);
    }
    setMultiplierEnabled(false);
    setFieldsEnabled(false);
    for (QLabel* label : fieldLabels_) label->setEnabled(false);  // nothing enables them again
    updatesSlider_->setEnabled(false);
    updatesLabel_->setEnabled(false);
    speedUpFiles_->setChecked(false);
    limitUpdates_->setChecked(false);
    switch (working_.cpuspeedopt) {
        case kTimingNtsc:
            standardMode(kNtsc);
            break;
        case kTimingPal:
            standardMode(kNtsc + 1);
            break;
        case kTimingCustom:
            customMode();
            break;
        case kTimingFast:
            fastMode();
            break;
        default:
            break;
    }
    if (working_.speedupfilesflag) speedUpFiles_->toggle();
    if (working_.usevideoupdatepsflag) limitUpdates_->toggle();
    updatesLabel_->setText(updatesText(working_.videoupdatesps));
}

// 1500 NTSC, 1501 PAL: the slider edits that mode's multiplier; the fields
// show the cycles it gives.
void TimingDialog::standardMode(int id) {
    const bool ntsc = id == kNtsc;
    const Standard& standard = ntsc ? kNtscTiming : kPalTiming;
    modes_[ntsc ? 0 : 1]->setChecked(true);
    setMultiplierEnabled(true);
    setFieldsEnabled(false);
    multiplier_ = {ntsc ? &working_.ntscmultiplierpct : &working_.palmultiplierpct,
                   standard.activeScan, standard.verticalBlank};
    const std::int32_t pct = *multiplier_.pct;
    {
        const QSignalBlocker blocker(multiplierSlider_);  // the slider may not reach pct
        multiplierSlider_->setValue(pct);
    }
    multiplierLabel_->setText(QString::asprintf(standard.labelFormat, pct));
    showScaledCycles(pct);
    framesPerSecond_->setText(QString::number(standard.framesPerSecond));
}

void TimingDialog::customMode() {
    modes_[2]->setChecked(true);
    setMultiplierEnabled(false);
    setFieldsEnabled(true);
    activeScan_->setText(QString::number(working_.activescancust));
    verticalBlank_->setText(QString::number(working_.vblankcust));
    framesPerSecond_->setText(QString::number(working_.fpscust));
}

void TimingDialog::fastMode() {
    modes_[3]->setChecked(true);
    setMultiplierEnabled(false);
    setFieldsEnabled(false);
    for (QLineEdit* field : {activeScan_, verticalBlank_, framesPerSecond_}) {
        field->setText(QStringLiteral("n/a"));
    }
}

void TimingDialog::setFieldsEnabled(bool enabled) {
    for (QLineEdit* field : {activeScan_, verticalBlank_, framesPerSecond_}) {
        field->setEnabled(enabled);
    }
}

void TimingDialog::setMultiplierEnabled(bool enabled) {
    multiplierSlider_->setEnabled(enabled);
    multiplierLabel_->setEnabled(enabled);
    hundred_->setEnabled(enabled);
}

void TimingDialog::showScaledCycles(std::int32_t pct) {
    activeScan_->setText(scaledCycles(multiplier_.activeScan, pct));
    verticalBlank_->setText(scaledCycles(multiplier_.verticalBlank, pct));
}

void TimingDialog::multiplierMoved(int position) {
    if (multiplier_.pct == nullptr) return;
    *multiplier_.pct = position;
    showScaledCycles(position);
    if (modes_[0]->isChecked()) {
        multiplierLabel_->setText(QString::asprintf(kNtscTiming.labelFormat, position));
    } else if (modes_[1]->isChecked()) {
        multiplierLabel_->setText(QString::asprintf(kPalTiming.labelFormat, position));
    } else {
        multiplierLabel_->setText(QStringLiteral(" "));
    }
}

void TimingDialog::hundredPercent() {
    {
        const QSignalBlocker blocker(multiplierSlider_);
        multiplierSlider_->setValue(100);
    }
    multiplierMoved(100);
}

// NTSC at 100% with both check boxes cleared.
void TimingDialog::defaults() {
    standardMode(kNtsc);
    hundredPercent();
    if (limitUpdates_->isChecked()) limitUpdates_->toggle();
    if (speedUpFiles_->isChecked()) speedUpFiles_->toggle();
}

void TimingDialog::updatesMoved(int position) {
    working_.videoupdatesps = position;
    updatesLabel_->setText(updatesText(position));
}

// Custom numbers a frame cannot run with are put right in the fields:
// 0 frames per second becomes 1, fewer than 24 cycles a frame (the sum)
// 24 in each slice, and a slice above the machine's own second is lowered
// to it (a frame would hold the window for seconds). True when something
// was put right.
bool TimingDialog::customValuesCorrected() {
    std::uint32_t activeScan = unsignedNumberIn(activeScan_->text());
    std::uint32_t verticalBlank = unsignedNumberIn(verticalBlank_->text());
    const std::uint32_t framesPerSecond = unsignedNumberIn(framesPerSecond_->text());
    QStringList why;
    if (framesPerSecond == 0) {
        framesPerSecond_->setText(QStringLiteral("1"));
        why << QStringLiteral("A frame rate of 0 was raised to 1 per second.");
    }
    for (auto [field, value] :
         {std::pair{activeScan_, &activeScan}, {verticalBlank_, &verticalBlank}}) {
        if (*value <= kMostSliceTStates) continue;
        *value = kMostSliceTStates;
        field->setText(QString::number(kMostSliceTStates));
        why << QStringLiteral(
                   "A slice holds at most %1 cycles (the machine's second): "
                   "lowered to that.")
                   .arg(kMostSliceTStates);
    }
    if (std::uint64_t{activeScan} + verticalBlank < kFewestSliceTStates) {
        activeScan_->setText(QString::number(kFewestSliceTStates));
        verticalBlank_->setText(QString::number(kFewestSliceTStates));
        why << QStringLiteral("A frame needs at least %1 cycles: %1 in each slice.")
                   .arg(kFewestSliceTStates);
    }
    correction_->setText(why.join(QLatin1Char(' ')) +
                         (why.isEmpty() ? QString() : QStringLiteral(" Check and press OK.")));
    if (!why.isEmpty()) return true;
    working_.activescancust = activeScan;
    working_.vblankcust = verticalBlank;
    working_.fpscust = static_cast<std::int32_t>(framesPerSecond);
    return false;
}

void TimingDialog::okPressed() {
    working_.speedupfilesflag = speedUpFiles_->isChecked();
    working_.usevideoupdatepsflag = limitUpdates_->isChecked();
    if (modes_[0]->isChecked()) working_.cpuspeedopt = kTimingNtsc;
    if (modes_[1]->isChecked()) working_.cpuspeedopt = kTimingPal;
    if (modes_[3]->isChecked()) {
        working_.cpuspeedopt = kTimingFast;
        working_.ayflag = false;  // Fast turns the sound off
        working_.clickerflag = false;
    }
    if (modes_[2]->isChecked()) {
        working_.cpuspeedopt = kTimingCustom;
        if (customValuesCorrected()) return;  // the dialog stays open, showing them
    }
    accept();
}

bool runTimingDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files) {
    TimingDialog dialog(config, parent);
    return runSettingsDialog(dialog, config, files, saveSpeedSettings);
}

}  // namespace vantorel
