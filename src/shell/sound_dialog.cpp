#include "shell/sound_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "config/settings_file.h"
#include "shell/dialog_controls.h"

namespace vantorel {

namespace {

constexpr int kClicker = 1400;
constexpr int kSoundChip = 1401;
constexpr int kClickerVolumeLabel = 1402;
constexpr int kSoundChipVolumeLabel = 1403;
constexpr int kClickerVolume = 1404;
constexpr int kSoundChipVolume = 1405;

QString volumeText(int percent) {
    return QString::asprintf("%d%% Volume", percent);
}

}  // namespace

SoundDialog::SoundDialog(const MachineConfig& config, QWidget* parent)
    : SettingsDialog(config, parent) {
    setObjectName(QStringLiteral("id133"));
    setWindowTitle(QStringLiteral("Configure Sound"));
    clicker_ = makeCheckBox(kClicker, QStringLiteral("Speaker Clicker Sound"), this);
    soundChip_ = makeCheckBox(kSoundChip, QStringLiteral("AY-3-8910 Sound Chip Sound"), this);
    soundChip_->setEnabled(false);
    QSlider* clickerVolume = makeSlider(kClickerVolume, 0, 100, 10, this);
    QSlider* chipVolume = makeSlider(kSoundChipVolume, 0, 100, 10, this);
    chipVolume->setEnabled(false);
    clickerVolume->setToolTip(QStringLiteral("Loudness of the speaker's clicks: 0% to 100%."));
    chipVolume->setToolTip(
        QStringLiteral("Loudness of the AY-3-8910 sound chip: 0% to 100% (no port reaches it)."));
    QLabel* clickerLabel = makeLabel(kClickerVolumeLabel, QString(), this);
    QLabel* chipLabel = makeLabel(kSoundChipVolumeLabel, QString(), this);
    clickerLabel->setMinimumWidth(clickerLabel->fontMetrics().horizontalAdvance(volumeText(100)));

    // Opening: the flags, the two volumes on their sliders and labels.
    clicker_->setChecked(working_.clickerflag);
    soundChip_->setChecked(working_.ayflag);
    clickerVolume->setValue(working_.clickervolpct);
    chipVolume->setValue(working_.ayvolpct);
    clickerLabel->setText(volumeText(working_.clickervolpct));
    chipLabel->setText(volumeText(working_.ayvolpct));
    connect(clickerVolume, &QSlider::valueChanged, this, [this, clickerLabel](int position) {
        volumeMoved(clickerLabel, working_.clickervolpct, position);
    });
    connect(chipVolume, &QSlider::valueChanged, this, [this, chipLabel](int position) {
        volumeMoved(chipLabel, working_.ayvolpct, position);
    });

    auto* grid = new QGridLayout;
    grid->addWidget(clicker_, 0, 0, 1, 2);
    grid->addWidget(clickerVolume, 1, 0);
    grid->addWidget(clickerLabel, 1, 1);
    grid->addWidget(soundChip_, 2, 0, 1, 2);
    grid->addWidget(chipVolume, 3, 0);
    grid->addWidget(chipLabel, 3, 1);
    grid->setColumnMinimumWidth(0, 200);
    grid->setRowMinimumHeight(2, 2 * clicker_->sizeHint().height());
    grid->setAlignment(soundChip_, Qt::AlignBottom);
    QDialogButtonBox* buttons = makeOkCancel(this, DefaultButton::cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SoundDialog::okPressed);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}

void SoundDialog::volumeMoved(QLabel* label, std::int32_t& volume, int position) {
    volume = position;
    label->setText(volumeText(position));
}

void SoundDialog::okPressed() {
    working_.clickerflag = clicker_->isChecked();
    working_.ayflag = soundChip_->isChecked();
    accept();
}

bool runSoundDialog(QWidget* parent, MachineConfig& config, const SettingsFiles& files) {
    SoundDialog dialog(config, parent);
    return runSettingsDialog(dialog, config, files, saveSoundSettings);
}

}  // namespace vantorel
