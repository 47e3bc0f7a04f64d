#include "support/SwayCompositor.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace tessaly::test {

SwayCompositor::~SwayCompositor()
{
    m_sway.kill();
    m_sway.waitForFinished(5000);
}

bool SwayCompositor::isAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty();
}

bool SwayCompositor::start()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_runtime = m_folder.filePath(QStringLiteral("runtime"));
    QDir().mkpath(m_runtime);
    QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile config(m_folder.filePath(QStringLiteral("sway.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        m_error = config.errorString();
        return false;
    }
    config.write("xwayland disable\n");
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
    m_sway.setProcessEnvironment(environment);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList arguments{QStringLiteral("-c"), config.fileName()};
    if (root) {
        m_sway.start(QStringLiteral("setpriv"),
                     QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                 QStringLiteral("--clear-groups"), QStringLiteral("sway")} +
                         arguments);
    } else {
        m_sway.start(QStringLiteral("sway"), arguments);
    }
    const bool started = waitUntil(
        [&] {
            const QStringList sockets =
                QDir(m_runtime).entryList({QStringLiteral("wayland-?")}, QDir::System);
            if (sockets.isEmpty())
                return false;
            m_socket = m_runtime + u'/' + sockets.first();
            return true;
        },
        10000);
    if (!started)
        m_error = QString::fromLocal8Bit(m_sway.readAll());
    return started;
}

void SwayCompositor::exportToEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", m_socket.toLocal8Bit());
}

} // namespace tessaly::test
