#include "platform/kde/KWinWorkspace.h"

#include "platform/dbus/BoundedCall.h"
#include "platform/xdg/DesktopEntries.h"

#include <QDBusMessage>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <unistd.h>

namespace tessaly::kde {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString objectPath = QStringLiteral("/br/com/norvale/tessaly/KWinWindows");
const QString objectInterface = QStringLiteral("br.com.norvale.tessaly.KWinWindows");
const QString reporterName = QStringLiteral("br.com.norvale.tessaly-active-window");
const QString activatorName = QStringLiteral("br.com.norvale.tessaly-activate");
constexpr int firstReportTimeoutMs = 1000;

// Reports the active window, and its place while it is active, to the program.
const char reporterScript[] = R"(
const target = ["%1", "%2", "%3"];
let watched = [];
function report() {
    const w = workspace.activeClient;
    if (!w) {
        callDBus(target[0], target[1], target[2], "activeWindowChanged", "", "", "", "");
        return;
    }
    // The surface's rectangle; only X11 windows have an X11 id.
    const g = w.bufferGeometry;
    const x11 = typeof w.windowId === "number" && w.windowId !== 0;
    // Numbers travel as text: D-Bus would type them as JavaScript holds them.
    const place = [w.pid, x11 ? 1 : 0, g.x, g.y, g.width, g.height];
    callDBus(target[0], target[1], target[2], "activeWindowChanged", w.internalId.toString(),
             String(w.resourceClass), String(w.desktopFileName || ""),
             place.map(function (n) { return String(Math.round(n)); }).join(" "));
}
function moved(w) {
    if (w === workspace.activeClient)
        report();
}
workspace.clientActivated.connect(function (w) {
    if (w && watched.indexOf(w.internalId.toString()) < 0) {
        watched.push(w.internalId.toString());
        w.frameGeometryChanged.connect(function () { moved(w); });
    }
    report();
});
workspace.clientRemoved.connect(function (w) {
    const id = w.internalId.toString();
    watched = watched.filter(function (other) { return other !== id; });
    callDBus(target[0], target[1], target[2], "windowClosed", id);
});
report();
)";

// Activates one window.
const char activatorScript[] = R"(
const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    if (clients[i].internalId.toString() === "%1") {
        workspace.activeClient = clients[i];
        break;
    }
}
)";

std::optional<QDBusMessage> call(QDBusConnection &connection, const QString &path,
                                 const QString &interface, const QString &method,
                                 const QVariantList &arguments)
{
    return dbus::call(connection, kwinService, path, interface, method, arguments);
}

} // namespace

KWinWorkspace::KWinWorkspace(const QString &ownID, const QString &ownName, DesktopEntries *entries,
                             QDBusConnection connection)
    : m_connection(std::move(connection)), m_ownID(ownID), m_ownName(ownName),
      m_entries(entries ? entries : &DesktopEntries::shared()),
      m_scripts(qEnvironmentVariable("XDG_RUNTIME_DIR", QDir::tempPath()) +
                QStringLiteral("/tessaly-kwin-XXXXXX"))
{
    if (!m_scripts.isValid() ||
        !m_connection.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots))
        return;
    m_valid =
        runScript(reporterName, QString::fromLatin1(reporterScript)
                                    .arg(m_connection.baseService(), objectPath, objectInterface));
    if (!m_valid)
        return;
    // KWin runs the script a moment later: the first report is awaited (briefly, at start), so
    // that the first copy already knows its application.
    QEventLoop firstReport;
    QTimer::singleShot(firstReportTimeoutMs, &firstReport, &QEventLoop::quit);
    connect(this, &KWinWorkspace::activeWindowReported, &firstReport, &QEventLoop::quit);
    firstReport.exec(QEventLoop::ExcludeUserInputEvents);
}

KWinWorkspace::~KWinWorkspace()
{
    if (m_valid) {
        call(m_connection, QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
             QStringLiteral("unloadScript"), {reporterName});
    }
    m_connection.unregisterObject(objectPath);
}

bool KWinWorkspace::isAvailable(QDBusConnection connection)
{
    return dbus::hasOwner(connection, kwinService);
}

bool KWinWorkspace::runScript(const QString &name, const QString &text)
{
    const QString path = m_scripts.filePath(name + QStringLiteral(".js"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        return false;
    file.close();
    const QString scripting = QStringLiteral("org.kde.kwin.Scripting");
    // A script of the same name left by an earlier run (of this program or of a crashed one)
    // goes first.
    call(m_connection, QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"),
         {name});
    const auto loaded = call(m_connection, QStringLiteral("/Scripting"), scripting,
                             QStringLiteral("loadScript"), {path, name});
    const int id = loaded ? loaded->arguments().value(0).toInt() : -1;
    if (id < 0)
        return false;
    // KWin 5 names the script's object by its number alone, KWin 6 under /Scripting.
    const QString script = QStringLiteral("org.kde.kwin.Script");
    return call(m_connection, QStringLiteral("/%1").arg(id), script, QStringLiteral("run"), {}) ||
           call(m_connection, QStringLiteral("/Scripting/Script%1").arg(id), script,
                QStringLiteral("run"), {});
}

void KWinWorkspace::activeWindowChanged(const QString &internalId, const QString &resourceClass,
                                        const QString &desktopFile, const QString &place)
{
    // Everything from KWin is looked at before it is believed: the process, whether the window
    // is an X11 one, and its content's rectangle.
    const QStringList numbers = place.left(200).split(u' ');
    QList<int> values;
    for (const QString &number : numbers) {
        bool ok = false;
        values.append(number.toInt(&ok));
        if (!ok)
            break;
    }
    static const QRegularExpression uuid(QStringLiteral("^[{]?[0-9A-Fa-f-]{1,40}[}]?$"));
    if (!uuid.match(internalId).hasMatch() || values.size() != 6 || numbers.size() != 6 ||
        values[0] < 0 || values[4] < 0 || values[5] < 0) {
        std::lock_guard lock(m_mutex);
        m_active.reset();
        return;
    }
    const int pid = values[0];
    Active active;
    active.internalId = internalId;
    active.content = QRect(values[2], values[3], values[4], values[5]);
    active.native = values[1] == 0;
    RunningApplication &application = active.application;
    application.processID = pid;
    if (pid == qint64(::getpid())) {
        application.bundleID = m_ownID;
        application.localizedName = m_ownName;
    } else {
        // A native window names its desktop entry; an XWayland one has its X11 class.
        QString id = desktopFile.left(256);
        if (id.endsWith(QStringLiteral(".desktop")))
            id.chop(8);
        const QString windowClass = resourceClass.left(256);
        std::optional<DesktopEntry> entry = id.isEmpty() ? std::nullopt : m_entries->byId(id);
        if (!entry && !windowClass.isEmpty()) {
            entry = m_entries->byStartupWMClass(windowClass);
            if (!entry)
                entry = m_entries->byFileName(windowClass);
        }
        if (entry)
            id = entry->id;
        else if (id.isEmpty())
            id = windowClass;
        if (!id.isEmpty())
            application.bundleID = id;
        application.localizedName = entry && !entry->name.isEmpty()
                                        ? entry->name
                                        : (windowClass.isEmpty() ? id : windowClass);
        if (application.localizedName->isEmpty())
            application.localizedName.reset();
        application.terminalEmulator =
            entry && entry->categories.contains(QStringLiteral("TerminalEmulator"));
    }

    std::unique_lock lock(m_mutex);
    auto number = m_numbers.constFind(internalId);
    if (number == m_numbers.cend())
        number = m_numbers.insert(internalId, quint32(m_numbers.size() + 1));
    application.windowID = *number;
    m_active = std::move(active);
    lock.unlock();
    Q_EMIT activeWindowReported(pid);
}

void KWinWorkspace::windowClosed(const QString &internalId)
{
    std::lock_guard lock(m_mutex);
    if (const auto number = m_numbers.constFind(internalId); number != m_numbers.cend())
        m_closed.insert(*number);
    if (m_active && m_active->internalId == internalId)
        m_active.reset();
}

std::optional<RunningApplication> KWinWorkspace::frontmostApplication()
{
    std::lock_guard lock(m_mutex);
    if (!m_active)
        return std::nullopt;
    return m_active->application;
}

std::optional<KWinWorkspace::ActiveWindow> KWinWorkspace::activeWindow() const
{
    std::lock_guard lock(m_mutex);
    if (!m_active)
        return std::nullopt;
    return ActiveWindow{m_active->content, m_active->native};
}

bool KWinWorkspace::activate(const RunningApplication &application)
{
    QString internalId;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed.contains(application.windowID))
            return false;
        internalId = m_numbers.key(application.windowID);
    }
    if (internalId.isEmpty())
        return false;
    // KWin runs a script a moment after it was started: this one stays loaded until the next
    // activation replaces it.
    return runScript(activatorName, QString::fromLatin1(activatorScript).arg(internalId));
}

bool KWinWorkspace::isActive(const RunningApplication &application)
{
    std::lock_guard lock(m_mutex);
    return m_active && m_active->application.windowID == application.windowID;
}

bool KWinWorkspace::isTerminated(const RunningApplication &application)
{
    std::lock_guard lock(m_mutex);
    return m_closed.contains(application.windowID);
}

KWinPanelWindowSystem::KWinPanelWindowSystem(std::unique_ptr<PanelWindowSystem> x11,
                                             KWinWorkspace &workspace)
    : m_x11(std::move(x11))
{
    connect(&workspace, &KWinWorkspace::activeWindowReported, this,
            &KWinPanelWindowSystem::onActiveWindow);
}

KWinPanelWindowSystem::~KWinPanelWindowSystem() = default;

void KWinPanelWindowSystem::watchClicksElsewhere(quintptr ownWindowId,
                                                 std::function<void()> onClick)
{
    m_onElsewhere = onClick;
    m_panelWasActive = false;
    m_x11->watchClicksElsewhere(ownWindowId, std::move(onClick));
}

void KWinPanelWindowSystem::stopWatchingClicks()
{
    m_onElsewhere = nullptr;
    m_x11->stopWatchingClicks();
}

void KWinPanelWindowSystem::onActiveWindow(qint64 processID)
{
    if (!m_onElsewhere)
        return;
    if (processID == qint64(::getpid())) {
        m_panelWasActive = true;
        return;
    }
    if (!m_panelWasActive)
        return; // the window that was in front, reported before the panel's turn came
    m_panelWasActive = false;
    // Called from the event loop, as a click elsewhere is.
    const auto elsewhere = m_onElsewhere;
    elsewhere();
}

KWinCaretSource::KWinCaretSource(std::unique_ptr<CaretSource> accessibility,
                                 const KWinWorkspace &workspace)
    : m_accessibility(std::move(accessibility)), m_workspace(workspace)
{}

KWinCaretSource::~KWinCaretSource() = default;

std::optional<QRectF> KWinCaretSource::focusedCaretRect()
{
    std::optional<QRectF> caret = m_accessibility->focusedCaretRect();
    const auto window = m_workspace.activeWindow();
    if (!caret || !window)
        return std::nullopt;
    if (window->native)
        caret->translate(window->content.topLeft());
    return caret;
}

} // namespace tessaly::kde
