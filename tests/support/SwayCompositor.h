#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tessaly::test {

// A headless sway (wlroots) with no GPU and no input devices, in a folder of its own. sway
// refuses to run as root: under root it runs as "nobody", and the folder is handed to it.
class SwayCompositor
{
public:
    SwayCompositor() = default;
    ~SwayCompositor();
    SwayCompositor(const SwayCompositor &) = delete;
    SwayCompositor &operator=(const SwayCompositor &) = delete;

    // Whether sway and setpriv are installed.
    static bool isAvailable();
    // Starts the compositor and waits for its socket; errorString() says why it failed.
    bool start();
    QString errorString() const { return m_error; }

    // The compositor's runtime folder and the full path of its socket (a WAYLAND_DISPLAY that
    // works from any runtime folder).
    QString runtimeDirectory() const { return m_runtime; }
    QString socketPath() const { return m_socket; }
    // Points this process's own Wayland clients (and the programs it starts) at the compositor.
    void exportToEnvironment() const;

private:
    QTemporaryDir m_folder;
    QString m_runtime;
    QString m_socket;
    QString m_error;
    QProcess m_sway;
};

} // namespace tessaly::test
