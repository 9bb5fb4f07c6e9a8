// Building blocks shared by the settings dialogs.
//
// Every control a dialog's commands or tests reach carries its identifier
// as its object name ("id1214"); OK is id1 and Cancel id2. The helpers make
// such controls, the OK/Cancel row (with the dialog's default button), and
// convert between the settings record's text fields and Qt strings. Used by
// memory_dialog, printer_dialog, video_dialog, sound_dialog and
// timing_dialog.
#pragma once

#include <QString>
#include <cstdint>

#include "config/machine_config.h"

class QCheckBox;
class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

namespace vantorel {

inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

QString objectNameFor(int id);  // "id<id>"

QRadioButton* makeRadioButton(int id, const QString& text, QWidget* parent);
QCheckBox* makeCheckBox(int id, const QString& text, QWidget* parent);
QPushButton* makePushButton(int id, const QString& text, QWidget* parent);
QLabel* makeLabel(int id, const QString& text, QWidget* parent);
// A horizontal slider over [minimum, maximum] moving `page` per page step.
QSlider* makeSlider(int id, int minimum, int maximum, int page, QWidget* parent);
// An edit field that takes digits only.
QLineEdit* makeDigitsField(int id, QWidget* parent);

enum class DefaultButton { ok, cancel };

// OK (id1) and Cancel (id2), one of them the default button. Cancel (and
// Escape) rejects; the dialog connects accepted() to its own OK, which reads
// the controls and then accepts.
QDialogButtonBox* makeOkCancel(QDialog* dialog, DefaultButton defaultButton);

// The field's text read as an unsigned decimal number; 0 for text that is
// not one (empty, other characters, or more than 32 bits).
std::uint32_t unsignedNumberIn(const QString& text);

QString settingsTextToQString(const SettingsText& text);
// False, leaving `destination` as it was, when `text` takes more than 259
// bytes (a cut path would name another file).
bool storeSettingsText(const QString& text, SettingsText& destination);

}  // namespace vantorel
