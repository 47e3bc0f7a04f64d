#pragma once

#include "hotkey/HotKeyService.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <optional>

namespace tessaly::kde {

// The hot key on KDE Plasma: a global shortcut of KDE's shortcut service (org.kde.kglobalaccel,
// which KWin runs), so that it is listed, under the program's name, in the desktop's shortcut
// settings. A combination another component holds is refused. Every call to the service is
// bounded; its presses arrive as D-Bus signals on the main thread.
class KGlobalAccelHotKeyService : public QObject, public HotKeyService
{
    Q_OBJECT

public:
    // The component (the program) and its one action, as the shortcut settings list them.
    KGlobalAccelHotKeyService(const QString &componentID, const QString &componentName,
                              QDBusConnection connection = QDBusConnection::sessionBus());
    ~KGlobalAccelHotKeyService() override;

    // Whether the service answers on the bus.
    static bool isAvailable(QDBusConnection connection = QDBusConnection::sessionBus());

    bool grab(const HotKeyCombo &combo) override;
    void ungrab() override;

    // The combination as Qt (and the service) encodes a key with its modifiers; absent for a key
    // that types nothing on the current layout and has no fixed name.
    static std::optional<int> qtKeyOf(const HotKeyCombo &combo);

    static QString actionID() { return QStringLiteral("toggle-panel"); }

private Q_SLOTS:
    void onShortcutPressed(const QString &component, const QString &action, qlonglong timestamp);

private:
    QStringList actionIdentity() const;
    bool listen();

    QDBusConnection m_connection;
    QString m_componentID;
    QString m_componentName;
    bool m_listening = false;
    bool m_grabbed = false;
};

} // namespace tessaly::kde
