// Help > Keyboard Map: the Sorcerer's keyboard drawn by the program, each
// key cap with what the Sorcerer prints on it and, below, the host key that
// gives it in the keyboard mode of now (input/keyboard_map.h), or, with
// "Show the GRAPHIC codes" ticked, the code GRAPHIC gives with the key
// (SHIFT adds 40) and its shape as the machine's character memory holds it
// now (FC00-FDFF, which the monitor fills at every reset).
//
// Object names: keyboardMapDialog, keyboardMapView (the drawing),
// keyboardMapMode (the line naming the mode), keyboardMapGraphic (the
// check box), keyboardMapClose. It changes nothing.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <cstdint>

#include "config/machine_config.h"
#include "input/pc_key_names.h"

class QCheckBox;

namespace vantorel {

class Machine;

// The drawing: one cap per entry of sorcererKeyCaps().
class KeyboardMapView : public QWidget {
    Q_OBJECT

  public:
    KeyboardMapView(const Machine& machine, const KeyNameByCode& names, QWidget* parent = nullptr);

    // What the cap of matrix position `position` shows below its legend.
    QString hostText(std::uint8_t position) const;
    void setShowGraphic(bool show);
    bool showGraphic() const { return showGraphic_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void drawGlyph(QPainter& painter, const QRect& area, std::uint8_t code) const;

    const Machine& machine_;
    std::array<QString, 80> hostTexts_;  // by matrix position
    bool showGraphic_ = false;
};

class KeyboardMapDialog : public QDialog {
    Q_OBJECT

  public:
    // `keys` answers which host key types a character (the keyboard
    // dialog's names).
    KeyboardMapDialog(const Machine& machine, KeyStateSource& keys, QWidget* parent = nullptr);

    KeyboardMapView& view() const { return *view_; }

  private:
    KeyboardMapView* view_;
    QCheckBox* graphic_;
};

// Shows the map modally.
void runKeyboardMapDialog(QWidget* parent, const Machine& machine, KeyStateSource& keys);

}  // namespace vantorel
