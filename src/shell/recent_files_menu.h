// The File menu's "Recent Files" submenu: one entry per recent file,
// "&1 /path/to/game.rom" to "&8 ...", with the command ids 32900-32907 and
// object names "id32900"... in list order. With an empty list the submenu
// is greyed.
//
// Owned by the main window, which gives it the "Recent Files" action of
// its File menu and a function that opens an entry; choosing an entry calls
// it with the entry's place in the list. rebuild() follows the list.
#pragma once

#include <QObject>
#include <functional>

#include "app/recent_files.h"

class QAction;
class QMenu;

namespace vantorel {

class RecentFilesMenu : public QObject {
    Q_OBJECT

  public:
    using OpenEntry = std::function<void(std::size_t index)>;

    RecentFilesMenu(QAction* submenuAction, const RecentFiles& files, OpenEntry open,
                    QObject* parent = nullptr);
    ~RecentFilesMenu() override;

    void rebuild();
    QMenu* menu() const { return menu_; }

  private:
    QAction* submenuAction_;
    const RecentFiles& files_;
    OpenEntry open_;
    QMenu* menu_;
};

// The entry's text: "&N " and the path, with any '&' in it doubled.
QString recentEntryText(std::size_t index, const RecentFile& file);

}  // namespace vantorel
