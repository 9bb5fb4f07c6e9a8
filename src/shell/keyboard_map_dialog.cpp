#include "shell/keyboard_map_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "input/keyboard_map.h"
#include "machine/machine.h"

namespace vantorel {

namespace {

constexpr int kKeyUnit = 46;                       // pixels a key unit
constexpr int kKeyGap = 3;                         // between caps
constexpr int kMargin = 8;                         // around the keyboard
constexpr int kGlyphCell = 2;                      // pixels a dot of a graphic's shape
constexpr std::uint16_t kGraphicsMemory = 0xFC00;  // codes 80-BF, 8 bytes each

const QColor kBoard(70, 62, 52);
const QColor kCap(226, 220, 204);
const QColor kNamedCap(150, 140, 124);
const QColor kLegend(20, 20, 20);
const QColor kHostKey(16, 64, 170);
const QColor kGraphic(150, 30, 30);

QString modeText(const MachineConfig& config) {
    return config.emulatedflag ? QStringLiteral(
                                     "Emulated keyboard: each Sorcerer key is the host key in its "
                                     "place (US positions), shown in blue.")
                               : QStringLiteral(
                                     "Sensible keyboard: host keys type what they show; the blue "
                                     "text is the host keys assigned to a key, then the characters "
                                     "that reach it.");
}

QRect capRect(const SorcererKeyCap& cap) {
    const int left = kMargin + static_cast<int>(cap.x * kKeyUnit);
    const int right = kMargin + static_cast<int>((cap.x + cap.width) * kKeyUnit);
    const int top = kMargin + cap.row * kKeyUnit;
    return {left, top, right - left - kKeyGap, kKeyUnit - kKeyGap};
}

}  // namespace

KeyboardMapView::KeyboardMapView(const Machine& machine, const KeyNameByCode& names,
                                 QWidget* parent)
    : QWidget(parent), machine_(machine) {
    setObjectName(QStringLiteral("keyboardMapView"));
    for (std::size_t position = 0; position < hostTexts_.size(); ++position) {
        hostTexts_[position] = QString::fromStdString(
            hostKeyLabel(static_cast<std::uint8_t>(position), machine.config(), names));
    }
}

QString KeyboardMapView::hostText(std::uint8_t position) const {
    return position < hostTexts_.size() ? hostTexts_[position] : QString();
}

void KeyboardMapView::setShowGraphic(bool show) {
    showGraphic_ = show;
    update();
}

QSize KeyboardMapView::sizeHint() const {
    return {2 * kMargin + static_cast<int>(kKeyMapWidth * kKeyUnit),
            2 * kMargin + kKeyMapRows * kKeyUnit};
}

// The shape of `code` as the character memory holds it, leftmost dot bit 7.
void KeyboardMapView::drawGlyph(QPainter& painter, const QRect& area, std::uint8_t code) const {
    const auto base = static_cast<std::uint16_t>(kGraphicsMemory + (code - 0x80) * 8);
    painter.fillRect(area, Qt::black);
    for (int row = 0; row < 8; ++row) {
        const std::uint8_t bits = machine_.peek(static_cast<std::uint16_t>(base + row));
        for (int column = 0; column < 8; ++column) {
            if ((bits & (0x80 >> column)) == 0) continue;
            painter.fillRect(area.left() + column * kGlyphCell, area.top() + row * kGlyphCell,
                             kGlyphCell, kGlyphCell, Qt::white);
        }
    }
}

void KeyboardMapView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBoard);
    QFont legendFont = font();
    legendFont.setPixelSize(11);
    legendFont.setBold(true);
    QFont smallFont = font();
    smallFont.setPixelSize(9);
    for (const SorcererKeyCap& cap : sorcererKeyCaps()) {
        const QRect area = capRect(cap);
        const bool named = cap.legend[0] != '\0' && cap.position < 60;
        painter.setPen(Qt::black);
        painter.setBrush(named ? kNamedCap : kCap);
        painter.drawRoundedRect(area, 4, 4);
        const QRect inner = area.adjusted(3, 2, -3, -2);
        painter.setFont(legendFont);
        painter.setPen(kLegend);
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromStdString(capLegend(cap)));
        painter.setFont(smallFont);
        if (showGraphic_) {
            const std::uint8_t code = graphicCodeOf(cap.position);
            if (code == 0) continue;
            constexpr int kGlyphSize = 8 * kGlyphCell;
            // Right of the middle, clear of the legend above and the code below.
            drawGlyph(painter,
                      {inner.right() - kGlyphSize + 1, inner.center().y() - kGlyphSize / 2 + 1,
                       kGlyphSize, kGlyphSize},
                      code);
            painter.setPen(kGraphic);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignBottom,
                             QStringLiteral("%1/%2")
                                 .arg(code, 2, 16, QLatin1Char('0'))
                                 .arg(code + 0x40, 2, 16, QLatin1Char('0'))
                                 .toUpper());
        } else {
            painter.setPen(kHostKey);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap,
                             hostTexts_[cap.position]);
        }
    }
}

KeyboardMapDialog::KeyboardMapDialog(const Machine& machine, KeyStateSource& keys, QWidget* parent)
    : QDialog(parent),
      view_(new KeyboardMapView(
          machine, buildKeyNameByCode(resolvePcKeyNames(kPcKeyNameTable, keys)), this)),
      graphic_(new QCheckBox(QStringLiteral("Show the &GRAPHIC codes"), this)) {
    setObjectName(QStringLiteral("keyboardMapDialog"));
    setWindowTitle(QStringLiteral("Keyboard Map"));
    auto* mode = new QLabel(modeText(machine.config()), this);
    mode->setObjectName(QStringLiteral("keyboardMapMode"));
    mode->setWordWrap(true);
    graphic_->setObjectName(QStringLiteral("keyboardMapGraphic"));
    graphic_->setToolTip(
        QStringLiteral("Shows on each key the code GRAPHIC gives with it (GRAPHIC and SHIFT: the "
                       "second code) and its shape as the machine holds it now."));
    connect(graphic_, &QCheckBox::toggled, view_, &KeyboardMapView::setShowGraphic);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("keyboardMapClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mode);
    layout->addWidget(view_);
    layout->addWidget(graphic_);
    layout->addWidget(buttons);
    view_->setFixedSize(view_->sizeHint());
}

void runKeyboardMapDialog(QWidget* parent, const Machine& machine, KeyStateSource& keys) {
    KeyboardMapDialog dialog(machine, keys, parent);
    dialog.exec();
}

}  // namespace vantorel
