#include "platform/atspi/AtSpiBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tessaly::AtSpiBus {

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

} // namespace

QString address(int timeoutMs)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return {};
    const QDBusMessage call = QDBusMessage::createMethodCall(busService, busPath, busService,
                                                             QStringLiteral("GetAddress"));
    const QDBusMessage reply = session.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toString();
}

std::optional<bool> isEnabled(int timeoutMs)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface,
                                                       QStringLiteral("Get"));
    call << statusInterface << QStringLiteral("IsEnabled");
    const QDBusMessage reply = session.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool setEnabled(bool enabled, int timeoutMs)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface,
                                                       QStringLiteral("Set"));
    call << statusInterface << QStringLiteral("IsEnabled")
         << QVariant::fromValue(QDBusVariant(enabled));
    return session.call(call, QDBus::Block, timeoutMs).type() == QDBusMessage::ReplyMessage;
}

QDBusConnection connection(const QString &name)
{
    {
        QDBusConnection existing(name);
        if (existing.isConnected())
            return existing;
    }
    QDBusConnection::disconnectFromBus(name);
    const QString busAddress = address();
    if (busAddress.isEmpty())
        return QDBusConnection(name);
    return QDBusConnection::connectToBus(busAddress, name);
}

QList<ObjectRef> readReferences(const QDBusArgument &argument)
{
    QList<ObjectRef> references;
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        references.append({service, path.path()});
    }
    argument.endArray();
    return references;
}

} // namespace tessaly::AtSpiBus
