#pragma once

#include "platform/Workspace.h"

#include <QByteArray>

#include <memory>

namespace tessaly {

class DesktopEntries;

namespace x11 {
class Connection;
}

// The applications of an X11 desktop. The frontmost one is the window in _NET_ACTIVE_WINDOW
// (the input focus when no window manager keeps it), taken to its main window when it is a
// dialog. Its id is, in this order: _GTK_APPLICATION_ID; _KDE_NET_WM_DESKTOP_FILE; the desktop
// entry whose StartupWMClass is the window's class; the entry named after the class or the
// instance; the class itself. Its name is the entry's Name, else the class. Windows of this
// process carry the program's own id and name. A window that is not viewable is never in front,
// and one of this process's windows only while it holds the input focus. Thread-safe.
class X11Workspace : public Workspace
{
public:
    X11Workspace(const QString &ownID, const QString &ownName, DesktopEntries *entries = nullptr,
                 const QByteArray &display = {});
    ~X11Workspace() override;

    bool isValid() const;

    std::optional<RunningApplication> frontmostApplication() override;
    bool activate(const RunningApplication &application) override;
    bool isActive(const RunningApplication &application) override;
    bool isTerminated(const RunningApplication &application) override;

private:
    quint32 activeWindow();
    quint32 clientWindow(quint32 window);
    quint32 mainWindow(quint32 window);
    qint64 processID(quint32 window);
    bool windowExists(quint32 window);
    bool isViewable(quint32 window);
    quint32 focusedClientWindow();

    QString m_ownID;
    QString m_ownName;
    DesktopEntries *m_entries;
    std::unique_ptr<x11::Connection> m_connection;
};

} // namespace tessaly
