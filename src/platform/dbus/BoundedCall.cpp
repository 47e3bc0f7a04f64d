#include "platform/dbus/BoundedCall.h"

namespace tessaly::dbus {

std::optional<QDBusMessage> call(QDBusConnection &connection, const QString &service,
                                 const QString &path, const QString &interface,
                                 const QString &method, const QVariantList &arguments,
                                 int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusMessage reply = connection.call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply;
}

bool hasOwner(QDBusConnection &connection, const QString &name, int timeoutMs)
{
    const auto reply = call(
        connection, QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"), {name}, timeoutMs);
    return reply && reply->arguments().value(0).toBool();
}

} // namespace tessaly::dbus
