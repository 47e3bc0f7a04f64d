#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace tessaly::test {

// A private X display for end-to-end tests: Xvfb, optionally openbox as window manager, and a
// session D-Bus of its own. Never touches the developer's session. Starting it points this
// process's DISPLAY and DBUS_SESSION_BUS_ADDRESS at it, so Qt and xcb connect there.
class XServer
{
public:
    struct Options
    {
        int width = 1280;
        int height = 800;
        bool windowManager = true;
        bool sessionBus = true;
        // Further Xvfb arguments, after the defaults (so "-extension XTEST" takes XTEST away).
        QStringList serverArguments;
    };

    XServer();
    ~XServer();

    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    // Starts the display (a free display number is picked); answers false with a reason in
    // errorString() when Xvfb or openbox could not be started.
    bool start(const Options &options);
    bool start() { return start(Options{}); }
    void stop();

    bool isRunning() const { return m_xvfb != nullptr; }
    QString display() const { return m_display; }
    QString errorString() const { return m_error; }
    // The environment for child processes: DISPLAY and the session bus of this server.
    QProcessEnvironment environment() const;

    // Runs a command on this display and waits for it; answers its exit code (-1 when it
    // could not be started or timed out). Output is collected in `output` when given.
    int run(const QString &program, const QStringList &arguments, int timeoutMs = 10000,
            QByteArray *output = nullptr) const;
    // Starts a long-running helper (xclip serving a selection, a test window …) on this display;
    // it is killed when the server stops.
    QProcess *spawn(const QString &program, const QStringList &arguments);

    // Whether a program is installed; e2e tests skip with a message when one is missing.
    static bool hasProgram(const QString &program);

private:
    bool waitForDisplay(int timeoutMs) const;
    bool waitForWindowManager(int timeoutMs) const;

    QString m_display;
    QString m_error;
    QString m_busAddress;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_windowManager;
    std::unique_ptr<QProcess> m_bus;
    std::vector<std::unique_ptr<QProcess>> m_spawned;
    QByteArray m_previousDisplay;
    QByteArray m_previousBus;
};

} // namespace tessaly::test
