#include "app/StatusItemController.h"

#include "app/StatusMenu.h"
#include "history/HistoryStore.h"
#include "hotkey/KeyboardLayout.h"
#include "panel/theme/Symbols.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSystemTrayIcon>
#include <QTimer>

namespace tessaly {

namespace {

// A menu title as written: Qt reads "&" as the mark of a mnemonic.
QString literalTitle(const QString &title)
{
    QString text = title;
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

StatusItemController::StatusItemController(HistoryStore &store, AppSettings &settings,
                                           QObject *parent)
    : QObject(parent), m_store(store), m_settings(settings), m_menu(std::make_unique<QMenu>()),
      m_statusItem(std::make_unique<QSystemTrayIcon>())
{
    m_menu->setTitle(QStringLiteral("Tessaly"));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusItemController::menuNeedsUpdate);
    m_statusItem->setContextMenu(m_menu.get());
    m_statusItem->setToolTip(QStringLiteral("Tessaly"));
    // A left click opens the same menu where the tray leaves the click to the program.
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && !m_menu->isVisible())
                    m_menu->popup(QCursor::pos());
            });

    // Trays that show the exported menu without announcing it still see it current.
    m_rebuild = new QTimer(this);
    m_rebuild->setSingleShot(true);
    m_rebuild->setInterval(0);
    connect(m_rebuild, &QTimer::timeout, this, [this] {
        if (!m_menu->isVisible())
            menuNeedsUpdate();
    });
    connect(&m_store, &HistoryStore::itemsChanged, this, &StatusItemController::scheduleRebuild);
    connect(&m_settings, &AppSettings::isPausedChanged, this, [this] {
        updateIcon(); // paused from anywhere, the settings window included
        scheduleRebuild();
    });
    connect(&m_settings, &AppSettings::hotKeyChanged, this, &StatusItemController::scheduleRebuild);

    menuNeedsUpdate();
    updateIcon();
    m_statusItem->show();
}

StatusItemController::~StatusItemController()
{
    m_statusItem->hide();
    m_statusItem->setContextMenu(nullptr);
}

QIcon StatusItemController::symbolIcon(const QString &symbol, const QColor &color)
{
    const QString path = Symbols::resourcePath(symbol);
    if (path.isEmpty())
        return {};
    const QIcon source(path);
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = source.pixmap(QSize(side, side));
        if (pixmap.isNull())
            continue;
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon StatusItemController::menuIcon(const QString &symbol)
{
    const QColor color = m_menu->palette().color(QPalette::Active, QPalette::WindowText);
    const QString key = symbol + u'@' + color.name(QColor::HexArgb);
    auto cached = m_menuIcons.constFind(key);
    if (cached == m_menuIcons.cend())
        cached = m_menuIcons.insert(key, symbolIcon(symbol, color));
    return *cached;
}

void StatusItemController::updateIcon()
{
    const QString symbol =
        m_settings.isPaused() ? QStringLiteral("pause.circle") : QStringLiteral("square.on.square");
    const QColor color = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    QIcon icon = symbolIcon(symbol, color);
    m_iconSymbol = symbol;
    if (icon.isNull()) {
        icon = symbolIcon(QStringLiteral("doc.on.clipboard"), color);
        m_iconSymbol = QStringLiteral("doc.on.clipboard");
    }
    m_statusItem->setIcon(icon);
}

void StatusItemController::scheduleRebuild()
{
    m_rebuild->start();
}

void StatusItemController::menuNeedsUpdate()
{
    m_menu->clear();
    StatusMenuState state;
    state.items = m_store.items(); // shared, not copied
    state.paused = m_settings.isPaused();
    state.hotKey = m_settings.hotKey();
    state.hotKeyCharacter = KeyboardLayout::character(state.hotKey.keyCode);
    for (const StatusMenuEntry &entry : StatusMenu::build(state))
        addEntry(entry);
}

void StatusItemController::addEntry(const StatusMenuEntry &entry)
{
    switch (entry.type) {
    case StatusMenuEntry::Type::Separator:
        m_menu->addSeparator();
        return;
    case StatusMenuEntry::Type::Header: {
        // A heading: an item that cannot be chosen (menus exported over D-Bus lose the text of
        // Qt's section items).
        QAction *heading = m_menu->addAction(literalTitle(entry.title));
        heading->setEnabled(false);
        return;
    }
    case StatusMenuEntry::Type::Item:
        break;
    }
    QAction *action = m_menu->addAction(literalTitle(entry.title));
    action->setEnabled(entry.enabled);
    action->setShortcut(entry.shortcut);
    action->setShortcutVisibleInContextMenu(true);
    if (!entry.symbol.isEmpty())
        action->setIcon(menuIcon(entry.symbol));
    const StatusAction what = entry.action;
    const QUuid id = entry.itemID;
    connect(action, &QAction::triggered, this, [this, what, id] {
        switch (what) {
        case StatusAction::ShowHistory:
            showHistory();
            break;
        case StatusAction::ChooseItem:
            chooseItem(id);
            break;
        case StatusAction::TogglePause:
            togglePause();
            break;
        case StatusAction::ClearHistory:
            clearHistory();
            break;
        case StatusAction::OpenSettings:
            openSettings();
            break;
        case StatusAction::Quit:
            quit();
            break;
        }
    });
}

void StatusItemController::showHistory()
{
    // After the menu has closed, so that the panel gets the keyboard.
    QTimer::singleShot(0, this, [this] {
        if (onShowHistory)
            onShowHistory();
    });
}

void StatusItemController::chooseItem(const QUuid &id)
{
    if (id.isNull())
        return;
    const ClipItem *item = m_store.item(id); // as the history is now: a deleted entry is gone
    if (item && onChoose)
        onChoose(ClipItem(*item));
}

void StatusItemController::togglePause()
{
    m_settings.setIsPaused(!m_settings.isPaused());
    updateIcon();
}

void StatusItemController::clearHistory()
{
    m_store.clear(true);
}

void StatusItemController::openSettings()
{
    if (onOpenSettings)
        onOpenSettings();
}

void StatusItemController::quit()
{
    QCoreApplication::quit();
}

} // namespace tessaly
