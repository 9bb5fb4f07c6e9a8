#include "shell/dialog_controls.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <algorithm>
#include <limits>

namespace vantorel {

namespace {

template <class Control>
Control* named(Control* control, int id) {
    control->setObjectName(objectNameFor(id));
    return control;
}

}  // namespace

QString objectNameFor(int id) {
    return QStringLiteral("id%1").arg(id);
}

QRadioButton* makeRadioButton(int id, const QString& text, QWidget* parent) {
    return named(new QRadioButton(text, parent), id);
}

QCheckBox* makeCheckBox(int id, const QString& text, QWidget* parent) {
    return named(new QCheckBox(text, parent), id);
}

QPushButton* makePushButton(int id, const QString& text, QWidget* parent) {
    auto* button = named(new QPushButton(text, parent), id);
    button->setAutoDefault(false);  // Enter belongs to the dialog's default button
    return button;
}

QLabel* makeLabel(int id, const QString& text, QWidget* parent) {
    return named(new QLabel(text, parent), id);
}

QSlider* makeSlider(int id, int minimum, int maximum, int page, QWidget* parent) {
    auto* slider = named(new QSlider(Qt::Horizontal, parent), id);
    slider->setRange(minimum, maximum);
    slider->setPageStep(page);
    return slider;
}

QLineEdit* makeDigitsField(int id, QWidget* parent) {
    auto* field = named(new QLineEdit(parent), id);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

QDialogButtonBox* makeOkCancel(QDialog* dialog, DefaultButton defaultButton) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setObjectName(objectNameFor(kOkId));
    cancel->setObjectName(objectNameFor(kCancelId));
    ok->setDefault(defaultButton == DefaultButton::ok);
    cancel->setDefault(defaultButton == DefaultButton::cancel);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

std::uint32_t unsignedNumberIn(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return 0;
    std::uint64_t value = 0;
    for (const QChar character : trimmed) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) return 0;
        value = value * 10 + static_cast<std::uint64_t>(character.unicode() - u'0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return 0;
    }
    return static_cast<std::uint32_t>(value);
}

QString settingsTextToQString(const SettingsText& text) {
    const auto end = std::find(text.begin(), text.end(), '\0');
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(end - text.begin()));
}

bool storeSettingsText(const QString& text, SettingsText& destination) {
    const QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() >= kSettingsTextBytes || bytes.contains('\0')) return false;
    destination.fill('\0');
    std::copy(bytes.begin(), bytes.end(), destination.begin());
    return true;
}

}  // namespace vantorel
