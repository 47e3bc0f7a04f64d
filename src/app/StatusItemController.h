#pragma once

#include "history/ClipRecords.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace tessaly {

class AppSettings;
class HistoryStore;
struct StatusMenuEntry;

// The program's icon in the desktop's tray and the menu that opens from it: the history's
// first ten entries with number keys, the panel, pausing and resuming capture, clearing the
// history, the settings and quitting. The menu is rebuilt from the store and the settings each
// time it is about to open (and, for trays that show it without asking, whenever what it shows
// changes); its icon follows the pause state. Qt shows it as a StatusNotifierItem where the
// session has a watcher and in an XEmbed tray otherwise. Main thread only.
class StatusItemController : public QObject
{
    Q_OBJECT

public:
    // Shows the icon. `store` and `settings` must outlive the controller.
    StatusItemController(HistoryStore &store, AppSettings &settings, QObject *parent = nullptr);
    ~StatusItemController() override;

    // Set at launch.
    std::function<void()> onShowHistory;
    std::function<void()> onOpenSettings;
    std::function<void(const ClipItem &)> onChoose;

    // The icon for the pause state ("pause.circle" while paused, else "square.on.square").
    void updateIcon();
    // Rebuilds the menu from scratch.
    void menuNeedsUpdate();

    QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    QMenu *menu() const { return m_menu.get(); }
    // The symbol the icon shows.
    QString iconSymbol() const { return m_iconSymbol; }

    // The menu's actions.
    void showHistory();
    void chooseItem(const QUuid &id);
    void togglePause();
    void clearHistory();
    void openSettings();
    void quit();

    // A symbol of the bundled set drawn in one colour at the usual icon sizes.
    static QIcon symbolIcon(const QString &symbol, const QColor &color);

private:
    void addEntry(const StatusMenuEntry &entry);
    // The menu's symbols, drawn once per colour.
    QIcon menuIcon(const QString &symbol);
    void scheduleRebuild();

    HistoryStore &m_store;
    AppSettings &m_settings;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    QString m_iconSymbol;
    QHash<QString, QIcon> m_menuIcons;
    QTimer *m_rebuild = nullptr;
};

} // namespace tessaly
