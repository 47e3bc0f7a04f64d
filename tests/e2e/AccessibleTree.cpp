#include "AccessibleTree.h"

#include "platform/atspi/AtSpiBus.h"
#include "support/TestSupport.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tessaly::test {

namespace {

const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
constexpr int callTimeoutMs = 2000;
constexpr quint64 stateChecked = quint64(1) << 4;
constexpr quint64 stateShowing = quint64(1) << 25;

} // namespace

AccessibleTree::AccessibleTree() : m_bus(AtSpiBus::connection(QStringLiteral("tests-tree"))) {}

QList<AccessibleTree::Object> AccessibleTree::children(const Object &object)
{
    const QDBusMessage reply =
        m_bus.call(QDBusMessage::createMethodCall(object.service, object.path, accessible,
                                                  QStringLiteral("GetChildren")),
                   QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return AtSpiBus::readReferences(reply.arguments().constFirst().value<QDBusArgument>());
}

QString AccessibleTree::property(const Object &object, const QString &name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        object.service, object.path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << accessible << name;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

QString AccessibleTree::roleName(const Object &object)
{
    const QDBusMessage reply =
        m_bus.call(QDBusMessage::createMethodCall(object.service, object.path, accessible,
                                                  QStringLiteral("GetRoleName")),
                   QDBus::Block, callTimeoutMs);
    return reply.arguments().value(0).toString();
}

quint64 AccessibleTree::states(const Object &object)
{
    const QDBusMessage reply =
        m_bus.call(QDBusMessage::createMethodCall(object.service, object.path, accessible,
                                                  QStringLiteral("GetState")),
                   QDBus::Block, callTimeoutMs);
    if (reply.arguments().isEmpty())
        return 0;
    const QList<uint> words = qdbus_cast<QList<uint>>(reply.arguments().constFirst());
    return quint64(words.value(0)) | (quint64(words.value(1)) << 32);
}

std::optional<AccessibleTree::Object> AccessibleTree::application(qint64 pid)
{
    const Object root{QStringLiteral("org.a11y.atspi.Registry"),
                      QStringLiteral("/org/a11y/atspi/accessible/root")};
    for (const Object &app : children(root)) {
        const QDBusMessage reply =
            m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("GetConnectionUnixProcessID"))
                           << app.service,
                       QDBus::Block, callTimeoutMs);
        if (reply.arguments().value(0).toLongLong() == pid)
            return app;
    }
    return std::nullopt;
}

template <typename Visit> bool AccessibleTree::walk(const Object &root, Visit &&visit, int &budget)
{
    for (const Object &child : children(root)) {
        if (--budget < 0)
            return false;
        if (!(states(child) & stateShowing))
            continue;
        if (visit(child) || walk(child, visit, budget))
            return true;
    }
    return false;
}

std::optional<AccessibleTree::Object> AccessibleTree::find(qint64 pid, const QString &name,
                                                           const QString &role, int timeoutMs)
{
    std::optional<Object> found;
    waitUntil(
        [&] {
            const auto app = application(pid);
            if (!app)
                return false;
            int budget = 3000;
            walk(
                *app,
                [&](const Object &object) {
                    if (property(object, QStringLiteral("Name")) != name ||
                        (!role.isEmpty() && roleName(object) != role))
                        return false;
                    found = object;
                    return true;
                },
                budget);
            return found.has_value();
        },
        timeoutMs);
    return found;
}

QStringList AccessibleTree::names(qint64 pid, const QString &role)
{
    QStringList found;
    const auto app = application(pid);
    if (!app)
        return found;
    int budget = 3000;
    walk(
        *app,
        [&](const Object &object) {
            if (roleName(object) == role)
                found.append(property(object, QStringLiteral("Name")));
            return false;
        },
        budget);
    return found;
}

bool AccessibleTree::act(const Object &object)
{
    QDBusMessage call = QDBusMessage::createMethodCall(object.service, object.path,
                                                       QStringLiteral("org.a11y.atspi.Action"),
                                                       QStringLiteral("DoAction"));
    call << 0;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool AccessibleTree::isChecked(const Object &object)
{
    return states(object) & stateChecked;
}

} // namespace tessaly::test
