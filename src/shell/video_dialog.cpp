#include "shell/video_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/settings_file.h"
#include "shell/dialog_controls.h"

namespace vantorel {

namespace {

constexpr int kFirstColourButton = 1325;  // 1325 + entry
constexpr int kFirstScaleX = 1370;        // 1370-1372: 100% to 300%
constexpr int kFirstScaleY = 1373;        // 1373-1375
constexpr int kShowMessages = 1380;
constexpr int kFitPicture = 1381;
constexpr int kFitSmooth = 1382;

struct ColourRow {
    int entry;
    const char* label;
};
// Top to bottom as the dialog shows them.
constexpr ColourRow kColourRows[] = {
    {2, "Border (black)"},
    {1, "Background (dark gray)"},
    {0, "Foreground (light gray)"},
};

QColor toColour(const RgbColour& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// One column of scale buttons (100%, 200%, 300%) setting `scale` to 1-3.
QGroupBox* scaleColumn(QDialog* dialog, const QString& title, int firstId, std::int32_t& scale) {
    auto* column = new QGroupBox(title, dialog);
    auto* layout = new QVBoxLayout(column);
    auto* group = new QButtonGroup(column);
    for (int factor = 1; factor <= 3; ++factor) {
        QRadioButton* button =
            makeRadioButton(firstId + factor - 1, QStringLiteral("%1%").arg(factor * 100), column);
        group->addButton(button);
        layout->addWidget(button);
        button->setChecked(scale == factor);
        QObject::connect(button, &QRadioButton::clicked, dialog,
                         [&scale, factor] { scale = factor; });
    }
    return column;
}

// A check box that follows `flag` in the working copy.
QCheckBox* flagBox(QDialog* dialog, int id, const QString& text, const QString& tip, bool& flag) {
    QCheckBox* box = makeCheckBox(id, text, dialog);
    box->setChecked(flag);
    box->setToolTip(tip);
    QObject::connect(box, &QCheckBox::toggled, dialog, [&flag](bool on) { flag = on; });
    return box;
}

}  // namespace

std::array<QColor, 16> startingCustomColours() {
    return {
        QColor(16, 16, 16),   QColor(40, 224, 40),   QColor(240, 240, 112), QColor(32, 32, 216),
        QColor(168, 32, 32),  QColor(240, 240, 240), QColor(40, 168, 168),  QColor(211, 97, 250),
        QColor(240, 136, 40), QColor(16, 96, 16),    QColor(128, 48, 16),   QColor(240, 176, 64),
        QColor(0, 0, 0),      QColor(0, 0, 0),       QColor(0, 0, 0),       QColor(0, 0, 0)};
}

ColourButton::ColourButton(const RgbColour& colour, QWidget* parent)
    : QAbstractButton(parent), colour_(colour) {
    setFocusPolicy(Qt::StrongFocus);
}

void ColourButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(hasFocus() ? palette().color(QPalette::Highlight)
                              : palette().color(QPalette::WindowText));
    painter.setBrush(toColour(colour_));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

VideoDialog::VideoDialog(const MachineConfig& config, CustomColours& customColours, QWidget* parent)
    : SettingsDialog(config, parent), customColours_(customColours) {
    setObjectName(QStringLiteral("id132"));
    setWindowTitle(QStringLiteral("Colors"));
    if (!customColours_.filled) {
        customColours_.colours = startingCustomColours();
        customColours_.filled = true;
    }
    auto* colourGrid = new QGridLayout;
    int line = 0;
    for (const ColourRow& row : kColourRows) {
        RgbColour& colour = working_.colours[static_cast<std::size_t>(row.entry)];
        auto* button = new ColourButton(colour, this);
        button->setObjectName(objectNameFor(kFirstColourButton + row.entry));
        connect(button, &ColourButton::clicked, this,
                [this, button, &colour] { chooseColour(button, colour); });
        colourGrid->addWidget(button, line, 0);
        colourGrid->addWidget(new QLabel(QString::fromUtf8(row.label), this), line++, 1);
    }
    colourGrid->setColumnStretch(1, 1);

    auto* sizeGroup = new QGroupBox(QStringLiteral("Window size"), this);
    auto* sizeLayout = new QHBoxLayout(sizeGroup);
    sizeLayout->addWidget(
        scaleColumn(this, QStringLiteral("X"), kFirstScaleX, working_.windowscalingX));
    sizeLayout->addWidget(
        scaleColumn(this, QStringLiteral("Y"), kFirstScaleY, working_.windowscalingY));

    sizeGroup->setToolTip(QStringLiteral(
        "The picture's scale across (X) and down (Y): at 100% each the window's picture "
        "with its border is 544 x 272 pixels; the window is never smaller."));
    auto* windowGroup = new QGroupBox(QStringLiteral("Window"), this);
    auto* windowLayout = new QVBoxLayout(windowGroup);
    windowLayout->addWidget(
        flagBox(this, kShowMessages, QStringLiteral("Show messages on the screen"),
                QStringLiteral("Short messages over the border for about two seconds: Paused, Tape "
                               "ended, Snapshot saved, ... Never part of screenshots."),
                working_.showmessagesflag));
    QCheckBox* fit = flagBox(
        this, kFitPicture, QStringLiteral("Fit the picture to the window"),
        QStringLiteral("A larger window shows a larger picture, its proportions kept and "
                       "centred on the border colour; off, the picture keeps the size above."),
        working_.fitpictureflag);
    QCheckBox* smooth = flagBox(
        this, kFitSmooth, QStringLiteral("Any size, not only whole steps"),
        QStringLiteral("Fitted pictures grow smoothly (softened); otherwise only to 2, 3, ... "
                       "times the size above, every pixel sharp."),
        working_.fitsmoothflag);
    smooth->setEnabled(working_.fitpictureflag);
    connect(fit, &QCheckBox::toggled, smooth, &QWidget::setEnabled);
    windowLayout->addWidget(fit);
    windowLayout->addWidget(smooth);

    QDialogButtonBox* buttons = makeOkCancel(this, DefaultButton::ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(colourGrid);
    layout->addWidget(sizeGroup);
    layout->addWidget(windowGroup);
    layout->addWidget(buttons);
}

// The picker, owned by this dialog, with the run's custom colours; the
// custom colours the user changes there last for the run. The button is
// redrawn either way.
void VideoDialog::chooseColour(ColourButton* button, RgbColour& colour) {
    for (int i = 0; i < 16; ++i) {
        QColorDialog::setCustomColor(i, customColours_.colours[static_cast<std::size_t>(i)]);
    }
    QColorDialog picker(toColour(colour), this);
    picker.setOption(QColorDialog::DontUseNativeDialog);
    const bool confirmed = picker.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i) {
        customColours_.colours[static_cast<std::size_t>(i)] = QColorDialog::customColor(i);
    }
    if (confirmed) {
        const QColor chosen = picker.selectedColor();
        colour = RgbColour{static_cast<std::uint8_t>(chosen.red()),
                           static_cast<std::uint8_t>(chosen.green()),
                           static_cast<std::uint8_t>(chosen.blue())};
    }
    button->update();
}

bool runVideoDialog(QWidget* parent, MachineConfig& config, CustomColours& customColours,
                    const SettingsFiles& files) {
    VideoDialog dialog(config, customColours, parent);
    return runSettingsDialog(dialog, config, files, saveVideoSettings);
}

}  // namespace vantorel
