#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QString>

#include <optional>

namespace tessaly::AtSpiBus {

// The accessibility bus (AT-SPI 2) is a D-Bus bus of its own, announced on the session bus by
// org.a11y.Bus (asking for it starts it when it is installed but not running).

// Its address; empty when the session has none or it does not answer in time.
QString address(int timeoutMs = 500);

// org.a11y.Status.IsEnabled: whether applications should expose their interfaces (Qt
// applications do so only while it is true). Absent when the session has no accessibility bus.
std::optional<bool> isEnabled(int timeoutMs = 500);
// Sets IsEnabled; answers whether the bus took it.
bool setEnabled(bool enabled, int timeoutMs = 500);

// A connection to the accessibility bus under the given name, made on first use and made again
// when the bus went away; a disconnected connection when there is no accessibility bus.
QDBusConnection connection(const QString &name);

// An accessible object: the bus name of its application and its object path.
struct ObjectRef
{
    QString service;
    QString path;
};

// Reads an array of object references ("a(so)"), as GetChildren and the registry answer them.
QList<ObjectRef> readReferences(const QDBusArgument &argument);

} // namespace tessaly::AtSpiBus
