#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

#include <optional>

namespace tessaly::dbus {

// Each call to another program over D-Bus waits at most this long, unless told otherwise.
inline constexpr int defaultTimeoutMs = 500;

// Calls a method and waits for its answer at most `timeoutMs`; absent on an error or no answer.
std::optional<QDBusMessage> call(QDBusConnection &connection, const QString &service,
                                 const QString &path, const QString &interface,
                                 const QString &method, const QVariantList &arguments = {},
                                 int timeoutMs = defaultTimeoutMs);

// Whether a program owns the name on the bus; false when the bus does not answer in time.
bool hasOwner(QDBusConnection &connection, const QString &name, int timeoutMs = defaultTimeoutMs);

} // namespace tessaly::dbus
