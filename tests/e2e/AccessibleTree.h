#pragma once

#include "platform/atspi/AtSpiBus.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly::test {

// Another program's interface as a screen reader sees it over AT-SPI: its accessible objects
// found by name, pressed and toggled through their actions, as a user of assistive technology
// would. The program must expose its interface (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, or the
// bus's IsEnabled).
class AccessibleTree
{
public:
    using Object = AtSpiBus::ObjectRef;

    // Connects to the session's accessibility bus; isValid() tells whether that worked.
    AccessibleTree();

    bool isValid() const { return m_bus.isConnected(); }

    // The first showing object, depth first, of the application with that process id whose name
    // is `name` (and whose role name is `role`, when given); waits up to `timeoutMs` for it.
    std::optional<Object> find(qint64 pid, const QString &name, const QString &role = {},
                               int timeoutMs = 5000);
    // The names of the showing objects with that role (in tree order).
    QStringList names(qint64 pid, const QString &role);

    // Runs the object's first action (press, toggle, click).
    bool act(const Object &object);
    bool isChecked(const Object &object);

private:
    std::optional<Object> application(qint64 pid);
    QList<Object> children(const Object &object);
    QString property(const Object &object, const QString &name);
    QString roleName(const Object &object);
    quint64 states(const Object &object);
    template <typename Visit> bool walk(const Object &root, Visit &&visit, int &budget);

    QDBusConnection m_bus;
};

} // namespace tessaly::test
