#include "platform/atspi/AtSpiCaretSource.h"

#include "platform/atspi/AtSpiBus.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <algorithm>

namespace tessaly {

namespace {

const QString connectionName = QStringLiteral("tessaly-atspi");

const QString registryService = QStringLiteral("org.a11y.atspi.Registry");
const QString registryPath = QStringLiteral("/org/a11y/atspi/registry");
const QString registryInterface = QStringLiteral("org.a11y.atspi.Registry");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString componentInterface = QStringLiteral("org.a11y.atspi.Component");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString focusEvent = QStringLiteral("object:state-changed:focused");

// AtspiStateType bits.
constexpr int stateActive = 1;
constexpr int stateFocused = 12;
constexpr int stateShowing = 25;
// ATSPI_COORD_TYPE_SCREEN.
constexpr uint screenCoordinates = 0;

constexpr int callTimeoutMs = 120;
constexpr int lookupBudgetMs = 250;
// How many objects a search for the focused one visits at most.
constexpr int searchNodeLimit = 600;

bool hasState(quint64 states, int state)
{
    return (states >> state) & 1u;
}

std::optional<QRectF> rectFromInts(int x, int y, int width, int height)
{
    if (x == 0 && y == 0 && width == 0 && height == 0)
        return std::nullopt;
    return QRectF(x, y, width, height);
}

// Four integer out-arguments (x, y, width, height).
std::optional<QRectF> rectFromReply(const QDBusMessage &reply)
{
    const QVariantList values = reply.arguments();
    if (values.size() != 4)
        return std::nullopt;
    return rectFromInts(values[0].toInt(), values[1].toInt(), values[2].toInt(), values[3].toInt());
}

} // namespace

AtSpiCaretSource::FrontProcess AtSpiCaretSource::frontProcessOf(Workspace &workspace)
{
    return [&workspace]() -> std::optional<qint64> {
        if (const auto front = workspace.frontmostApplication(); front && front->processID != 0)
            return front->processID;
        return std::nullopt; // no window in front, or one that does not name its process
    };
}

AtSpiCaretSource::AtSpiCaretSource(FrontProcess frontProcess, QObject *parent)
    : QObject(parent), m_frontProcess(std::move(frontProcess)), m_connection(connectionName)
{}

AtSpiCaretSource::~AtSpiCaretSource()
{
    if (m_tracking && m_connection.isConnected()) {
        QDBusMessage deregister = QDBusMessage::createMethodCall(
            registryService, registryPath, registryInterface, QStringLiteral("DeregisterEvent"));
        deregister << focusEvent;
        m_connection.call(deregister, QDBus::Block, callTimeoutMs);
    }
    QDBusConnection::disconnectFromBus(connectionName);
}

bool AtSpiCaretSource::ensureConnected()
{
    if (m_connection.isConnected())
        return true;
    const bool wasTracking = m_tracking;
    m_tracking = false;
    m_lastFocused.reset();
    m_connection = AtSpiBus::connection(connectionName);
    if (!m_connection.isConnected())
        return false;
    if (wasTracking)
        startTracking();
    return true;
}

void AtSpiCaretSource::startTracking()
{
    if (m_tracking)
        return;
    if (!m_connection.isConnected()) {
        m_connection = AtSpiBus::connection(connectionName);
        if (!m_connection.isConnected())
            return;
    }
    m_connection.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"),
                         QStringLiteral("StateChanged"), this, SLOT(onStateChanged(QDBusMessage)));
    // Applications report an event only while someone has registered for it. The registry of
    // at-spi2-core 2.46 takes (event, properties, application); older ones the event alone.
    QDBusMessage registration = QDBusMessage::createMethodCall(
        registryService, registryPath, registryInterface, QStringLiteral("RegisterEvent"));
    registration << focusEvent << QStringList() << QString();
    if (m_connection.call(registration, QDBus::Block, 500).type() != QDBusMessage::ReplyMessage) {
        QDBusMessage older = QDBusMessage::createMethodCall(
            registryService, registryPath, registryInterface, QStringLiteral("RegisterEvent"));
        older << focusEvent;
        m_connection.call(older, QDBus::Block, 500);
    }
    m_tracking = true;
}

void AtSpiCaretSource::onStateChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].toString() != u"focused")
        return;
    // A loss of focus is not followed: the field keeps its place as the last focused one until
    // another object gains focus (see the class comment).
    if (arguments[1].toInt() == 1)
        m_lastFocused = ObjectRef{message.service(), message.path()};
}

std::optional<QDBusMessage> AtSpiCaretSource::call(const ObjectRef &object,
                                                   const QString &interface, const QString &method,
                                                   const QVariantList &arguments,
                                                   const QDeadlineTimer &deadline)
{
    const qint64 remaining = deadline.remainingTime();
    if (remaining == 0)
        return std::nullopt;
    QDBusMessage message =
        QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    message.setArguments(arguments);
    const int timeout =
        int(remaining < 0 ? callTimeoutMs : std::min<qint64>(remaining, callTimeoutMs));
    QDBusMessage reply = m_connection.call(message, QDBus::Block, timeout);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply;
}

std::optional<quint64> AtSpiCaretSource::states(const ObjectRef &object,
                                                const QDeadlineTimer &deadline)
{
    const auto reply = call(object, accessibleInterface, QStringLiteral("GetState"), {}, deadline);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    const QList<uint> words = qdbus_cast<QList<uint>>(reply->arguments().constFirst());
    if (words.isEmpty())
        return std::nullopt;
    return quint64(words.value(0)) | (quint64(words.value(1)) << 32);
}

QList<AtSpiCaretSource::ObjectRef> AtSpiCaretSource::children(const ObjectRef &object,
                                                              const QDeadlineTimer &deadline)
{
    const auto reply =
        call(object, accessibleInterface, QStringLiteral("GetChildren"), {}, deadline);
    if (!reply || reply->arguments().isEmpty())
        return {};
    return AtSpiBus::readReferences(reply->arguments().constFirst().value<QDBusArgument>());
}

std::optional<qint64> AtSpiCaretSource::processOf(const QString &service,
                                                  const QDeadlineTimer &deadline)
{
    if (const auto known = m_processes.constFind(service); known != m_processes.cend())
        return *known;
    const auto reply =
        call({QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
             QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"),
             {service}, deadline);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    const qint64 pid = reply->arguments().constFirst().toLongLong();
    m_processes.insert(service, pid);
    return pid;
}

bool AtSpiCaretSource::belongsToThisProcess(const QString &service, const QDeadlineTimer &deadline)
{
    return processOf(service, deadline) == QCoreApplication::applicationPid();
}

std::optional<AtSpiCaretSource::ObjectRef>
AtSpiCaretSource::findFocusedBelow(const ObjectRef &root, int &budget,
                                   const QDeadlineTimer &deadline)
{
    for (const ObjectRef &child : children(root, deadline)) {
        if (--budget < 0 || deadline.hasExpired())
            return std::nullopt;
        const auto bits = states(child, deadline);
        if (!bits || !hasState(*bits, stateShowing))
            continue; // hidden parts of the window hold no focus
        if (hasState(*bits, stateFocused))
            return child;
        if (const auto found = findFocusedBelow(child, budget, deadline))
            return found;
    }
    return std::nullopt;
}

std::optional<AtSpiCaretSource::ObjectRef>
AtSpiCaretSource::searchFocused(const QDeadlineTimer &deadline)
{
    int budget = searchNodeLimit;
    for (const ObjectRef &application : children({registryService, rootPath}, deadline)) {
        if (deadline.hasExpired())
            return std::nullopt;
        if (belongsToThisProcess(application.service, deadline))
            continue; // this program would have to answer itself while it waits
        for (const ObjectRef &window : children(application, deadline)) {
            const auto bits = states(window, deadline);
            if (!bits || !hasState(*bits, stateActive))
                continue;
            if (hasState(*bits, stateFocused))
                return window;
            if (const auto found = findFocusedBelow(window, budget, deadline))
                return found;
        }
    }
    return std::nullopt;
}

std::optional<AtSpiCaretSource::ObjectRef>
AtSpiCaretSource::focusedObject(const QDeadlineTimer &deadline)
{
    if (m_lastFocused && !belongsToThisProcess(m_lastFocused->service, deadline)) {
        const auto bits = states(*m_lastFocused, deadline);
        if (bits && hasState(*bits, stateShowing)) {
            if (hasState(*bits, stateFocused))
                return m_lastFocused;
            const auto front = m_frontProcess ? m_frontProcess() : std::nullopt;
            if (front && processOf(m_lastFocused->service, deadline) == front)
                return m_lastFocused; // focus hidden by a keyboard grab
        }
    }
    return searchFocused(deadline);
}

std::optional<QRectF> AtSpiCaretSource::caretRectOf(const ObjectRef &object,
                                                    const QDeadlineTimer &deadline)
{
    // A selection: the bounds of the selected text.
    if (const auto count =
            call(object, textInterface, QStringLiteral("GetNSelections"), {}, deadline);
        count && !count->arguments().isEmpty() && count->arguments().constFirst().toInt() > 0) {
        const auto selection =
            call(object, textInterface, QStringLiteral("GetSelection"), {0}, deadline);
        if (selection && selection->arguments().size() == 2) {
            const int start = selection->arguments()[0].toInt();
            const int end = selection->arguments()[1].toInt();
            if (start != end) {
                const auto extents =
                    call(object, textInterface, QStringLiteral("GetRangeExtents"),
                         {std::min(start, end), std::max(start, end), screenCoordinates}, deadline);
                if (extents) {
                    if (const auto rect = rectFromReply(*extents))
                        return rect;
                }
            }
        }
    }

    const auto offsetReply = call(object, propertiesInterface, QStringLiteral("Get"),
                                  {textInterface, QStringLiteral("CaretOffset")}, deadline);
    if (!offsetReply || offsetReply->arguments().isEmpty())
        return std::nullopt; // no text interface: no caret
    const int offset =
        offsetReply->arguments().constFirst().value<QDBusVariant>().variant().toInt();
    if (offset < 0)
        return std::nullopt;

    const auto here = call(object, textInterface, QStringLiteral("GetCharacterExtents"),
                           {offset, screenCoordinates}, deadline);
    if (here) {
        if (const auto rect = rectFromReply(*here); rect && rect->height() > 0)
            return QRectF(rect->x(), rect->y(), 0, rect->height());
    }
    // After the last character there is no character to measure: the caret sits at the
    // previous character's right edge.
    if (offset > 0) {
        const auto previous = call(object, textInterface, QStringLiteral("GetCharacterExtents"),
                                   {offset - 1, screenCoordinates}, deadline);
        if (previous) {
            if (const auto rect = rectFromReply(*previous); rect && rect->height() > 0)
                return QRectF(rect->x() + rect->width(), rect->y(), 0, rect->height());
        }
    }
    // Empty text: the field itself.
    const auto extents = call(object, componentInterface, QStringLiteral("GetExtents"),
                              {screenCoordinates}, deadline);
    if (!extents || extents->arguments().isEmpty())
        return std::nullopt;
    const QDBusArgument box = extents->arguments().constFirst().value<QDBusArgument>();
    int x = 0, y = 0, width = 0, height = 0;
    box.beginStructure();
    box >> x >> y >> width >> height;
    box.endStructure();
    return rectFromInts(x, y, width, height);
}

std::optional<QRectF> AtSpiCaretSource::focusedCaretRect()
{
    if (!ensureConnected())
        return std::nullopt;
    const QDeadlineTimer deadline(lookupBudgetMs);
    const auto object = focusedObject(deadline);
    if (!object)
        return std::nullopt;
    return caretRectOf(*object, deadline);
}

} // namespace tessaly
