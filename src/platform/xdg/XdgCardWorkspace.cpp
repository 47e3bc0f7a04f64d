#include "platform/xdg/XdgCardWorkspace.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>

namespace tessaly {

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// The folder of the first file, where the files are when nothing can select them.
QUrl enclosingFolder(const QList<QUrl> &files)
{
    return QUrl::fromLocalFile(QFileInfo(files.first().toLocalFile()).absolutePath());
}

} // namespace

XdgCardWorkspace::XdgCardWorkspace(QObject *parent)
    : XdgCardWorkspace(QDBusConnection::sessionBus(), parent)
{}

XdgCardWorkspace::XdgCardWorkspace(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{}

void XdgCardWorkspace::revealFiles(const QList<QUrl> &files)
{
    if (files.isEmpty())
        return;
    if (!m_bus.isConnected()) {
        QDesktopServices::openUrl(enclosingFolder(files));
        return;
    }
    QStringList uris;
    for (const QUrl &file : files)
        uris.append(file.toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(
        fileManagerService, fileManagerPath, fileManagerService, QStringLiteral("ShowItems"));
    call << uris << QString();
    // Asked without waiting: the panel must not stall on a slow or absent file manager.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [files](QDBusPendingCallWatcher *finished) {
                if (QDBusPendingReply<> reply = *finished; reply.isError())
                    QDesktopServices::openUrl(enclosingFolder(files));
                finished->deleteLater();
            });
}

void XdgCardWorkspace::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

} // namespace tessaly
