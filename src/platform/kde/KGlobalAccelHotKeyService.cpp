#include "platform/kde/KGlobalAccelHotKeyService.h"

#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "platform/dbus/BoundedCall.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QHash>

namespace tessaly::kde {

namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString path = QStringLiteral("/kglobalaccel");
const QString interface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");

// setShortcut's flags: the action is present (its application runs), and the keys given are
// the ones to use, not those the service remembers.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

std::optional<QDBusMessage> call(QDBusConnection &connection, const QString &method,
                                 const QVariantList &arguments)
{
    return dbus::call(connection, service, path, interface, method, arguments);
}

// The keys with a fixed name, by key position, as Qt names them.
const QHash<quint16, int> &namedKeys()
{
    static const QHash<quint16, int> keys = [] {
        QHash<quint16, int> table = {
            {KeyPosition::Return, Qt::Key_Return},
            {KeyPosition::KeypadEnter, Qt::Key_Enter},
            {KeyPosition::Tab, Qt::Key_Tab},
            {KeyPosition::Space, Qt::Key_Space},
            {KeyPosition::Backspace, Qt::Key_Backspace},
            {KeyPosition::Escape, Qt::Key_Escape},
            {KeyPosition::ForwardDelete, Qt::Key_Delete},
            {KeyPosition::Insert, Qt::Key_Insert},
            {KeyPosition::Home, Qt::Key_Home},
            {KeyPosition::End, Qt::Key_End},
            {KeyPosition::PageUp, Qt::Key_PageUp},
            {KeyPosition::PageDown, Qt::Key_PageDown},
            {KeyPosition::LeftArrow, Qt::Key_Left},
            {KeyPosition::RightArrow, Qt::Key_Right},
            {KeyPosition::DownArrow, Qt::Key_Down},
            {KeyPosition::UpArrow, Qt::Key_Up},
        };
        const QList<quint16> &functionKeys = KeyboardLayout::functionKeyCodes();
        for (int i = 0; i < functionKeys.size(); ++i)
            table.insert(functionKeys[i], Qt::Key_F1 + i);
        return table;
    }();
    return keys;
}

} // namespace

KGlobalAccelHotKeyService::KGlobalAccelHotKeyService(const QString &componentID,
                                                     const QString &componentName,
                                                     QDBusConnection connection)
    : m_connection(std::move(connection)), m_componentID(componentID),
      m_componentName(componentName)
{}

KGlobalAccelHotKeyService::~KGlobalAccelHotKeyService()
{
    ungrab();
}

bool KGlobalAccelHotKeyService::isAvailable(QDBusConnection connection)
{
    return dbus::hasOwner(connection, service);
}

std::optional<int> KGlobalAccelHotKeyService::qtKeyOf(const HotKeyCombo &combo)
{
    int key = namedKeys().value(combo.keyCode, 0);
    if (key == 0) {
        const auto character = KeyboardLayout::character(combo.keyCode);
        if (!character || character->size() != 1)
            return std::nullopt;
        // Qt names a character key by its upper-case code point.
        key = character->toUpper().at(0).unicode();
    }
    // The command keys are Ctrl, the control keys Meta (Super), the option keys Alt.
    if (combo.hasShift())
        key |= Qt::SHIFT;
    if (combo.hasCommand())
        key |= Qt::CTRL;
    if (combo.hasOption())
        key |= Qt::ALT;
    if (combo.hasControl())
        key |= Qt::META;
    return key;
}

QStringList KGlobalAccelHotKeyService::actionIdentity() const
{
    return {m_componentID, actionID(), m_componentName,
            QStringLiteral("Abrir ou fechar o histórico")};
}

bool KGlobalAccelHotKeyService::listen()
{
    if (m_listening)
        return true;
    const auto component = call(m_connection, QStringLiteral("getComponent"), {m_componentID});
    if (!component)
        return false;
    const QString componentPath = component->arguments().value(0).value<QDBusObjectPath>().path();
    m_listening = !componentPath.isEmpty() &&
                  m_connection.connect(service, componentPath, componentInterface,
                                       QStringLiteral("globalShortcutPressed"), this,
                                       SLOT(onShortcutPressed(QString, QString, qlonglong)));
    return m_listening;
}

bool KGlobalAccelHotKeyService::grab(const HotKeyCombo &combo)
{
    ungrab();
    const auto key = qtKeyOf(combo);
    if (!key)
        return false;
    // The action that holds the keys, if any: another one's keys are not taken from it (the
    // program's own, kept from an earlier run, are its to use).
    const auto holder = call(m_connection, QStringLiteral("action"), {*key});
    if (!holder)
        return false;
    const QStringList held = holder->arguments().value(0).toStringList();
    if (held.size() >= 2 && (held[0] != m_componentID || held[1] != actionID()))
        return false;
    if (!call(m_connection, QStringLiteral("doRegister"), {actionIdentity()}))
        return false;
    const auto assigned = call(m_connection, QStringLiteral("setShortcut"),
                               {actionIdentity(), QVariant::fromValue(QList<int>{*key}),
                                QVariant::fromValue(setPresent | noAutoloading)});
    const QList<int> keys =
        assigned ? qdbus_cast<QList<int>>(assigned->arguments().value(0)) : QList<int>();
    if (keys != QList<int>{*key} || !listen()) {
        call(m_connection, QStringLiteral("setInactive"), {actionIdentity()});
        return false;
    }
    m_grabbed = true;
    return true;
}

void KGlobalAccelHotKeyService::ungrab()
{
    if (!m_grabbed)
        return;
    m_grabbed = false;
    // The action stays listed in the desktop's settings, without keys and inactive.
    call(m_connection, QStringLiteral("setShortcut"),
         {actionIdentity(), QVariant::fromValue(QList<int>{}),
          QVariant::fromValue(setPresent | noAutoloading)});
    call(m_connection, QStringLiteral("setInactive"), {actionIdentity()});
}

void KGlobalAccelHotKeyService::onShortcutPressed(const QString &component, const QString &action,
                                                  qlonglong)
{
    if (m_grabbed && component == m_componentID && action == actionID() && onPressed)
        onPressed();
}

} // namespace tessaly::kde
