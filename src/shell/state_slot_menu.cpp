// The save-state slots in the Util menu: Save State and Load State on the
// current slot, Undo Load State, and the eight slots, each item showing the
// slot's time on the timeline, when it was saved, and a thumbnail of its
// screen. Loading is a change between frames like any other: the timeline
// keeps it, so it can be rewound across too.
#include <QAction>
#include <QDateTime>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "app/frame_scheduler.h"
#include "app/host_devices.h"
#include "app/rewind_text.h"
#include "machine/machine.h"
#include "shell/client_image.h"
#include "shell/display_widget.h"
#include "shell/idle_driver.h"
#include "shell/main_window.h"
#include "shell/message_sink.h"

namespace vantorel {

namespace {

constexpr int kThumbnailWidth = kClientWidth / 4;  // 136 x 68
constexpr int kThumbnailHeight = kClientHeight / 4;

QImage thumbnailOf(const MachineState& state, const Machine& machine) {
    static FrameImage frame;  // 240 KB; the window's thread only
    renderFrameImage(state.memory, *machine.roms().characters,
                     makeVideoPalette(machine.config().colours), frame);
    const QImage client =
        makeClientImage(frame, toQColor(machine.config().colours[2]), DisplayScale{1, 1});
    return client.scaled(kThumbnailWidth, kThumbnailHeight, Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
}

}  // namespace

StateSlots& MainWindow::stateSlots() {
    if (!stateSlots_)
        stateSlots_ = std::make_unique<StateSlots>(folders_.startup, VANTOREL_VERSION);
    return *stateSlots_;
}

void MainWindow::saveState() {
    const auto problem = stateSlots().save(parts_.machine, parts_.scheduler.timeline().position(),
                                           QDateTime::currentSecsSinceEpoch());
    if (problem) parts_.messages.warn(QString::fromStdString(*problem));
}

void MainWindow::loadState() {
    const auto problem = stateSlots().load(parts_.machine);
    if (problem) {
        parts_.messages.warn(QString::fromStdString(*problem));
        return;
    }
    display_->paintDisplay();
}

void MainWindow::undoLoadState() {
    if (stateSlots().undoLoad(parts_.machine)) display_->paintDisplay();
}

void MainWindow::chooseStateSlot(int slot) {
    stateSlots().choose(slot);
    refreshStateSlots();
}

void MainWindow::refreshStateSlots() {
    StateSlots& states = stateSlots();
    const Machine& machine = parts_.machine;
    actions_[kCommandUndoLoadState]->setEnabled(states.canUndoLoad());
    for (int slot = 1; slot <= kStateSlots; ++slot) {
        QAction* item = actions_[kCommandStateSlotFirst + slot - 1];
        item->setChecked(slot == states.current());
        const StateFileRead read = states.read(machine, slot);
        QString text = QStringLiteral("Slot %1").arg(slot);
        if (read.snapshot) {
            const std::string time =
                emulatedTimeText(read.header.emulatedFrames, read.header.timing.framesPerSecond);
            text += QStringLiteral("  %1  (%2)")
                        .arg(QString::fromStdString(time),
                             QDateTime::fromSecsSinceEpoch(read.header.savedAtSeconds)
                                 .toString(QStringLiteral("yyyy-MM-dd hh:mm")));
            item->setIcon(QIcon(QPixmap::fromImage(thumbnailOf(read.snapshot->state, machine))));
        } else {
            if (!read.problem.empty() && read.problem.find("empty") == std::string::npos) {
                text += QStringLiteral("  (cannot be used)");
            }
            item->setIcon(QIcon());
        }
        item->setText(text);
    }
}

}  // namespace vantorel
