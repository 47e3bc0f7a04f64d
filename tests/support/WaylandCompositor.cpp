#include "support/WaylandCompositor.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace tessaly::test {

namespace {

constexpr int startTimeoutMs = 15000;

} // namespace

WaylandCompositor::~WaylandCompositor()
{
    // KWin runs under dbus-run-session, which ends with it and takes its bus along.
    if (!m_kwinCopy.isEmpty())
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-KILL"), QStringLiteral("-f"),
                                                    QStringLiteral("^") + m_kwinCopy});
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString WaylandCompositor::nameOf(Kind kind)
{
    return kind == Kind::Sway ? QStringLiteral("sway") : QStringLiteral("kwin_wayland");
}

bool WaylandCompositor::isAvailable(Kind kind)
{
    const QStringList needed =
        kind == Kind::Sway
            ? QStringList{QStringLiteral("sway"), QStringLiteral("setpriv")}
            : QStringList{QStringLiteral("kwin_wayland"), QStringLiteral("dbus-run-session")};
    for (const QString &program : needed) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return false;
    }
    return true;
}

bool WaylandCompositor::start()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_runtime = m_folder.filePath(QStringLiteral("runtime"));
    QDir().mkpath(m_runtime);
    QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    if (!(m_kind == Kind::Sway ? startSway() : startKWin()))
        return false;

    const QString wanted =
        m_kind == Kind::Sway ? QStringLiteral("wayland-?") : QStringLiteral("wayland-kwin");
    const bool started = waitUntil(
        [&] {
            const QStringList sockets = QDir(m_runtime).entryList({wanted}, QDir::System);
            if (sockets.isEmpty())
                return false;
            m_socket = m_runtime + u'/' + sockets.first();
            return true;
        },
        startTimeoutMs);
    if (!started) {
        m_error = QString::fromLocal8Bit(m_process.readAll());
        return false;
    }
    if (m_kind == Kind::Sway)
        return findSwayServices();
    return !m_xwayland || findKWinSession();
}

bool WaylandCompositor::findSwayServices()
{
    const bool found = waitUntil(
        [&] {
            const QStringList sockets =
                QDir(m_runtime).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            if (sockets.isEmpty())
                return false;
            m_swaySocket = m_runtime + u'/' + sockets.first();
            return true;
        },
        startTimeoutMs);
    if (!found) {
        m_error = QStringLiteral("sway made no IPC socket");
        return false;
    }
    if (!m_xwayland)
        return true;
    // XWayland's display is in the environment sway gives what it starts.
    const QString written = m_folder.filePath(QStringLiteral("display"));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
    QProcess message;
    message.setProcessEnvironment(environment);
    message.start(QStringLiteral("swaymsg"),
                  {QStringLiteral("exec"), QStringLiteral("echo $DISPLAY > ") + written});
    message.waitForFinished(5000);
    waitUntil(
        [&] {
            QFile file(written);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            m_xwaylandDisplay = QString::fromLocal8Bit(file.readAll()).trimmed();
            return !m_xwaylandDisplay.isEmpty();
        },
        startTimeoutMs);
    if (m_xwaylandDisplay.isEmpty())
        m_error = QStringLiteral("sway started no XWayland");
    return !m_xwaylandDisplay.isEmpty();
}

bool WaylandCompositor::handOver(const QString &path) const
{
    if (geteuid() != 0 || m_kind != Kind::Sway)
        return true;
    return QProcess::execute(QStringLiteral("chown"),
                             {QStringLiteral("-R"), QStringLiteral("65534:65534"), path}) == 0;
}

QProcessEnvironment WaylandCompositor::sessionEnvironment(const QProcessEnvironment &base) const
{
    QProcessEnvironment environment = base;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QFileInfo(m_socket).fileName());
    environment.remove(QStringLiteral("DISPLAY"));
    if (!m_swaySocket.isEmpty())
        environment.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
    if (!m_xwaylandDisplay.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), m_xwaylandDisplay);
    if (!m_sessionBus.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionBus);
    return environment;
}

void WaylandCompositor::startAsUser(QProcess &process, const QString &program,
                                    const QStringList &arguments,
                                    const QProcessEnvironment &base) const
{
    process.setProcessEnvironment(sessionEnvironment(base));
    if (geteuid() == 0 && m_kind == Kind::Sway) {
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), program} +
                          arguments);
    } else {
        process.start(program, arguments);
    }
}

bool WaylandCompositor::startSway()
{
    QFile config(m_folder.filePath(QStringLiteral("sway.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        m_error = config.errorString();
        return false;
    }
    config.write(m_xwayland ? "xwayland enable\n" : "xwayland disable\n");
    config.close();
    const bool root = geteuid() == 0;
    if (root && QProcess::execute(
                    QStringLiteral("chown"),
                    {QStringLiteral("-R"), QStringLiteral("65534:65534"), m_folder.path()}) != 0) {
        m_error = QStringLiteral("chown failed");
        return false;
    }

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), m_folder.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    m_process.setProcessEnvironment(environment);
    const QStringList arguments{QStringLiteral("-c"), config.fileName()};
    if (root) {
        m_process.start(QStringLiteral("setpriv"),
                        QStringList{QStringLiteral("--reuid=65534"),
                                    QStringLiteral("--regid=65534"),
                                    QStringLiteral("--clear-groups"), QStringLiteral("sway")} +
                            arguments);
    } else {
        m_process.start(QStringLiteral("sway"), arguments);
    }
    return true;
}

bool WaylandCompositor::startKWin()
{
    const QString installed = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
    QDir().mkpath(m_folder.filePath(QStringLiteral("bin")));
    m_kwinCopy = m_folder.filePath(QStringLiteral("bin/kwin_wayland"));
    if (!QFile::copy(installed, m_kwinCopy)) {
        m_error = QStringLiteral("cannot copy ") + installed;
        m_kwinCopy.clear();
        return false;
    }

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), m_folder.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_folder.filePath(QStringLiteral("config")));
    // Composited in software (QPainter): there is no GPU.
    environment.insert(QStringLiteral("KWIN_COMPOSE"), QStringLiteral("Q"));
    m_process.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("--"),        m_kwinCopy,
                          QStringLiteral("--virtual"), QStringLiteral("--no-lockscreen"),
                          QStringLiteral("--socket"),  QStringLiteral("wayland-kwin"),
                          QStringLiteral("--width"),   QStringLiteral("1280"),
                          QStringLiteral("--height"),  QStringLiteral("800")};
    if (m_xwayland) {
        // The session's program says where XWayland and the session bus are, and keeps KWin
        // running.
        QFile session(m_folder.filePath(QStringLiteral("session.sh")));
        if (!session.open(QIODevice::WriteOnly)) {
            m_error = session.errorString();
            return false;
        }
        session.write("#!/bin/sh\n"
                      "echo \"$DBUS_SESSION_BUS_ADDRESS\" > \"$0.bus\"\n"
                      "echo \"$DISPLAY\" > \"$0.display\"\n"
                      "exec sleep 100000\n");
        session.close();
        session.setPermissions(session.permissions() | QFile::ExeOwner);
        arguments << QStringLiteral("--xwayland") << QStringLiteral("--exit-with-session")
                  << session.fileName();
    }
    m_process.start(QStringLiteral("dbus-run-session"), arguments);
    return true;
}

bool WaylandCompositor::findKWinSession()
{
    const QString session = m_folder.filePath(QStringLiteral("session.sh"));
    const auto readLine = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).trimmed()
                                              : QString();
    };
    waitUntil(
        [&] {
            m_xwaylandDisplay = readLine(session + QStringLiteral(".display"));
            m_sessionBus = readLine(session + QStringLiteral(".bus"));
            return !m_xwaylandDisplay.isEmpty() && !m_sessionBus.isEmpty();
        },
        startTimeoutMs);
    if (m_xwaylandDisplay.isEmpty())
        m_error = QStringLiteral("KWin started no XWayland");
    return !m_xwaylandDisplay.isEmpty();
}

bool WaylandCompositor::installDesktopEntry(const QString &fileName, const QByteArray &text) const
{
    const QString folder = m_folder.filePath(QStringLiteral(".local/share/applications"));
    QDir().mkpath(folder);
    QFile file(folder + u'/' + fileName);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

void WaylandCompositor::exportToEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", m_socket.toLocal8Bit());
}

} // namespace tessaly::test
