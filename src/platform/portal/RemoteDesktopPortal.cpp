#include "platform/portal/RemoteDesktopPortal.h"

#include "platform/keyboard/EvdevKeystroke.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <unistd.h>

namespace tessaly::portal {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int callTimeoutMs = 500;
// The device types: a keyboard only.
constexpr uint keyboardDevice = 1;

} // namespace

RemoteDesktopPortal::RemoteDesktopPortal(QDBusConnection connection, QObject *parent)
    : QObject(parent), m_connection(std::move(connection))
{}

RemoteDesktopPortal::~RemoteDesktopPortal()
{
    if (!m_session.isEmpty()) {
        m_connection.call(QDBusMessage::createMethodCall(
                              service, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                              QStringLiteral("Close")),
                          QDBus::NoBlock);
    }
}

bool RemoteDesktopPortal::isOffered(QDBusConnection connection)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, QStringLiteral("AvailableDeviceTypes")});
    const QDBusMessage reply = connection.call(get, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    const uint types = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
    return types & keyboardDevice;
}

void RemoteDesktopPortal::start()
{
    if (m_state != State::Idle)
        return;
    setState(State::Starting);
    m_session.clear();
    if (!request(Step::CreateSession, QStringLiteral("CreateSession"), {},
                 {{QStringLiteral("session_handle_token"),
                   QStringLiteral("tessaly%1").arg(++m_tokens)}}))
        fail();
}

bool RemoteDesktopPortal::request(Step step, const QString &method, QVariantList arguments,
                                  QVariantMap options)
{
    // The request's path is known before the call, so that its answer cannot come first.
    const QString token = QStringLiteral("tessaly%1").arg(++m_tokens);
    QString sender = m_connection.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString requestPath =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    if (!m_requestPath.isEmpty()) {
        m_connection.disconnect(service, m_requestPath, requestInterface,
                                QStringLiteral("Response"), this,
                                SLOT(onResponse(uint, QVariantMap)));
    }
    m_requestPath = requestPath;
    m_step = step;
    if (!m_connection.connect(service, requestPath, requestInterface, QStringLiteral("Response"),
                              this, SLOT(onResponse(uint, QVariantMap))))
        return false;
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    // The answer (the request's path) is not waited for: the Response signal says the rest.
    return m_connection.send(call);
}

void RemoteDesktopPortal::onResponse(uint response, const QVariantMap &results)
{
    if (m_state != State::Starting)
        return;
    // 0: granted; 1: the user refused; 2: anything else.
    if (response != 0) {
        fail();
        return;
    }
    switch (m_step) {
    case Step::CreateSession: {
        m_session = results.value(QStringLiteral("session_handle")).toString();
        if (m_session.isEmpty() ||
            !request(Step::SelectDevices, QStringLiteral("SelectDevices"),
                     {QVariant::fromValue(QDBusObjectPath(m_session))},
                     {{QStringLiteral("types"), QVariant::fromValue(keyboardDevice)}}))
            fail();
        break;
    }
    case Step::SelectDevices:
        if (!request(Step::Start, QStringLiteral("Start"),
                     {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {}))
            fail();
        break;
    case Step::Start:
        if (results.value(QStringLiteral("devices")).toUInt() & keyboardDevice)
            setState(State::Started);
        else
            fail();
        break;
    }
}

void RemoteDesktopPortal::fail()
{
    m_session.clear();
    setState(State::Idle);
}

void RemoteDesktopPortal::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (onStateChanged)
        onStateChanged();
}

bool RemoteDesktopPortal::sendKeystroke(quint16 keyCode, quint64 modifiers)
{
    if (m_state != State::Started)
        return false;
    const auto keystroke = keyboard::evdevKeystroke(keyCode, modifiers);
    if (!keystroke)
        return false;
    for (qsizetype i = 0; i < keystroke->size(); ++i) {
        const auto &[code, pressed] = keystroke->at(i);
        QDBusMessage notify = QDBusMessage::createMethodCall(
            service, path, interface, QStringLiteral("NotifyKeyboardKeycode"));
        notify.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap(),
                             int(code), uint(pressed ? 1 : 0)});
        // The calls keep their order on the bus; the last one's answer says the portal has
        // them all.
        if (i + 1 < keystroke->size()) {
            if (!m_connection.send(notify))
                return false;
        } else if (m_connection.call(notify, QDBus::Block, callTimeoutMs).type() !=
                   QDBusMessage::ReplyMessage) {
            return false;
        }
    }
    return true;
}

} // namespace tessaly::portal
