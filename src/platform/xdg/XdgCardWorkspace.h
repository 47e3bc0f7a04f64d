#pragma once

#include "panel/cards/CardWorkspace.h"

#include <QDBusConnection>
#include <QObject>

namespace tessaly {

// The card's desktop actions on a freedesktop desktop: files are shown through the file
// manager's org.freedesktop.FileManager1 service (selected), or, when no file manager offers
// it, their folder is opened; links open in their default application.
class XdgCardWorkspace : public QObject, public CardWorkspace
{
    Q_OBJECT

public:
    explicit XdgCardWorkspace(QObject *parent = nullptr);
    // Talks to the file manager on `bus` (tests use a private bus).
    XdgCardWorkspace(const QDBusConnection &bus, QObject *parent = nullptr);

    void revealFiles(const QList<QUrl> &files) override;
    void openUrl(const QUrl &url) override;

private:
    QDBusConnection m_bus;
};

} // namespace tessaly
