#include "shell/recent_files_menu.h"

#include <QAction>
#include <QMenu>

#include "shell/menu_table.h"

namespace vantorel {

QString recentEntryText(std::size_t index, const RecentFile& file) {
    QString path = QString::fromStdString(file.path);
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}

RecentFilesMenu::RecentFilesMenu(QAction* submenuAction, const RecentFiles& files, OpenEntry open,
                                 QObject* parent)
    : QObject(parent),
      submenuAction_(submenuAction),
      files_(files),
      open_(std::move(open)),
      menu_(new QMenu(qobject_cast<QWidget*>(submenuAction->parent()))) {
    menu_->setObjectName(QStringLiteral("recentFilesMenu"));
    submenuAction_->setMenu(menu_);
    rebuild();
}

// The submenu belongs to the File menu that holds its action.
RecentFilesMenu::~RecentFilesMenu() = default;

void RecentFilesMenu::rebuild() {
    menu_->clear();
    const auto& entries = files_.entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const int id = kCommandRecentFirst + static_cast<int>(index);
        QAction* action = menu_->addAction(recentEntryText(index, entries[index]));
        action->setData(id);
        action->setObjectName(QStringLiteral("id%1").arg(id));
        // Queued: opening an entry rebuilds this menu, deleting the action
        // that is still sending its signal.
        connect(
            action, &QAction::triggered, this,
            [this, index] {
                if (open_) open_(index);
            },
            Qt::QueuedConnection);
    }
    submenuAction_->setEnabled(!entries.empty());
}

}  // namespace vantorel
