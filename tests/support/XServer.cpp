#include "support/XServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace tessaly::test {

namespace {

bool displayInUse(int number)
{
    return QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
}

void killProcess(std::unique_ptr<QProcess> &process)
{
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(2000)) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
    process.reset();
}

} // namespace

XServer::XServer() = default;

XServer::~XServer()
{
    stop();
}

bool XServer::hasProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool XServer::start(const Options &options)
{
    if (isRunning())
        return true;
    if (!hasProgram(QStringLiteral("Xvfb"))) {
        m_error = QStringLiteral("Xvfb is not installed");
        return false;
    }

    // Spread parallel test processes over the display numbers, then probe upwards.
    int number = 100 + int(::getpid() % 400);
    for (int attempt = 0; attempt < 40 && !isRunning(); ++attempt, ++number) {
        if (displayInUse(number))
            continue;
        const QString display = QStringLiteral(":%1").arg(number);
        auto xvfb = std::make_unique<QProcess>();
        xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb->setStandardOutputFile(QProcess::nullDevice());
        xvfb->start(QStringLiteral("Xvfb"),
                    QStringList{display, QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("%1x%2x24").arg(options.width).arg(options.height),
                                QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                QStringLiteral("-noreset"), QStringLiteral("+extension"),
                                QStringLiteral("XTEST"), QStringLiteral("+extension"),
                                QStringLiteral("RANDR")} +
                        options.serverArguments);
        if (!xvfb->waitForStarted(3000))
            continue;
        m_display = display;
        m_xvfb = std::move(xvfb);
        if (!waitForDisplay(5000)) {
            killProcess(m_xvfb);
            m_display.clear();
        }
    }
    if (!isRunning()) {
        m_error = QStringLiteral("no free display for Xvfb");
        return false;
    }

    m_previousDisplay = qgetenv("DISPLAY");
    m_previousBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DISPLAY", m_display.toLocal8Bit());

    if (options.sessionBus && hasProgram(QStringLiteral("dbus-daemon"))) {
        m_bus = std::make_unique<QProcess>();
        m_bus->start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (m_bus->waitForStarted(3000) && m_bus->waitForReadyRead(5000)) {
            m_busAddress = QString::fromLocal8Bit(m_bus->readLine()).trimmed();
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_busAddress.toLocal8Bit());
        }
    }

    if (options.windowManager) {
        if (!hasProgram(QStringLiteral("openbox"))) {
            m_error = QStringLiteral("openbox is not installed");
            stop();
            return false;
        }
        m_windowManager = std::make_unique<QProcess>();
        m_windowManager->setProcessEnvironment(environment());
        m_windowManager->setStandardOutputFile(QProcess::nullDevice());
        m_windowManager->setStandardErrorFile(QProcess::nullDevice());
        m_windowManager->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!m_windowManager->waitForStarted(3000)) {
            m_error = QStringLiteral("openbox did not start");
            stop();
            return false;
        }
        // openbox announces itself with _NET_SUPPORTING_WM_CHECK before it has finished
        // starting; a window mapped in between is never managed. It is ready once it manages
        // (lists) a probe window.
        if (!waitForWindowManager(10000)) {
            m_error = QStringLiteral("openbox did not start managing windows");
            stop();
            return false;
        }
    }
    return true;
}

bool XServer::waitForWindowManager(int timeoutMs) const
{
    const QByteArray name = m_display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, 16, "_NET_CLIENT_LIST"), nullptr);
    const xcb_atom_t clientList = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(atom);
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(connection, probe);
    xcb_flush(connection);

    bool managed = false;
    QElapsedTimer timer;
    timer.start();
    while (!managed && timer.elapsed() < timeoutMs && !xcb_connection_has_error(connection)) {
        xcb_get_property_reply_t *list = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, clientList, XCB_ATOM_WINDOW, 0, 4096),
            nullptr);
        if (list) {
            const auto *windows = static_cast<const xcb_window_t *>(xcb_get_property_value(list));
            const int count = xcb_get_property_value_length(list) / int(sizeof(xcb_window_t));
            managed = std::find(windows, windows + count, probe) != windows + count;
            free(list);
        }
        if (!managed)
            QThread::msleep(20);
    }
    xcb_destroy_window(connection, probe);
    xcb_disconnect(connection);
    return managed;
}

bool XServer::waitForDisplay(int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray name = m_display.toLocal8Bit();
    while (timer.elapsed() < timeoutMs) {
        if (m_xvfb->state() == QProcess::NotRunning)
            return false;
        xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
        const bool ok = connection && !xcb_connection_has_error(connection);
        if (connection)
            xcb_disconnect(connection);
        if (ok)
            return true;
        QThread::msleep(20);
    }
    return false;
}

void XServer::stop()
{
    for (auto &process : m_spawned)
        killProcess(process);
    m_spawned.clear();
    killProcess(m_windowManager);
    killProcess(m_bus);
    const bool wasRunning = isRunning();
    killProcess(m_xvfb);
    if (wasRunning) {
        if (m_previousDisplay.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", m_previousDisplay);
        if (m_previousBus.isNull())
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        else
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousBus);
    }
    m_display.clear();
    m_busAddress.clear();
}

QProcessEnvironment XServer::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    if (!m_busAddress.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

int XServer::run(const QString &program, const QStringList &arguments, int timeoutMs,
                 QByteArray *output) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForStarted(3000))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QProcess *XServer::spawn(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(program, arguments);
    if (!process->waitForStarted(3000))
        return nullptr;
    m_spawned.push_back(std::move(process));
    return m_spawned.back().get();
}

} // namespace tessaly::test
