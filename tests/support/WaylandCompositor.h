#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace tessaly::test {

// A headless Wayland compositor with no GPU and no input devices, in a folder of its own:
// - sway (wlroots). It refuses to run as root: under root it runs as "nobody", and the folder is
//   handed to it.
// - kwin_wayland (KDE Plasma), on a virtual output and a session bus of its own. The packaged
//   binary carries a file capability that a container refuses to execute: a plain copy of it
//   runs, under its own name (its Qt platform plugin checks the executable's name).
class WaylandCompositor
{
public:
    enum class Kind
    {
        Sway,
        KWin
    };

    explicit WaylandCompositor(Kind kind = Kind::Sway) : m_kind(kind) {}
    ~WaylandCompositor();
    WaylandCompositor(const WaylandCompositor &) = delete;
    WaylandCompositor &operator=(const WaylandCompositor &) = delete;

    static QString nameOf(Kind kind);
    // Gives the compositor an XWayland server, as a desktop session has (before start()).
    void setXWayland(bool enabled) { m_xwayland = enabled; }
    // Whether the compositor (and what running it takes) is installed.
    static bool isAvailable(Kind kind);
    // Starts the compositor and waits for its socket; errorString() says why it failed.
    bool start();
    QString errorString() const { return m_error; }
    Kind kind() const { return m_kind; }

    // The compositor's runtime folder and the full path of its socket (a WAYLAND_DISPLAY that
    // works from any runtime folder).
    QString runtimeDirectory() const { return m_runtime; }
    QString socketPath() const { return m_socket; }
    // Points this process's own Wayland clients (and the programs it starts) at the compositor.
    void exportToEnvironment() const;

    // A folder of the compositor's user, for what programs of its session write.
    QString userFolder() const { return m_folder.path(); }
    // Hands a file or folder to the compositor's user (under root: "nobody"); false on failure.
    bool handOver(const QString &path) const;
    // The environment of a program of the session, as sway gives it to what it starts
    // (XDG_RUNTIME_DIR, WAYLAND_DISPLAY, SWAYSOCK, DISPLAY with XWayland), over `base`.
    QProcessEnvironment sessionEnvironment(const QProcessEnvironment &base) const;
    // Starts `program` as the compositor's user, in its session's environment over `base`.
    void
    startAsUser(QProcess &process, const QString &program, const QStringList &arguments,
                const QProcessEnvironment &base = QProcessEnvironment::systemEnvironment()) const;
    // sway's IPC socket, XWayland's display (empty when there is none) and KWin's session bus.
    QString swaySocket() const { return m_swaySocket; }
    QString xwaylandDisplay() const { return m_xwaylandDisplay; }
    QString sessionBus() const { return m_sessionBus; }
    // What the compositor wrote since the last call (KWin's scripts print there).
    QByteArray readOutput() { return m_process.readAll(); }
    // Installs a desktop entry where the compositor looks for applications (KWin grants its
    // restricted protocols by them).
    bool installDesktopEntry(const QString &fileName, const QByteArray &text) const;

private:
    bool startSway();
    bool findSwayServices();
    bool findKWinSession();
    bool startKWin();

    Kind m_kind;
    QTemporaryDir m_folder;
    QString m_runtime;
    QString m_socket;
    QString m_error;
    QString m_kwinCopy;
    QString m_swaySocket;
    QString m_xwaylandDisplay;
    QString m_sessionBus;
    bool m_xwayland = false;
    QProcess m_process;
};

} // namespace tessaly::test
