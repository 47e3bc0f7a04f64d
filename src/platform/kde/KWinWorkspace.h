#pragma once

#include "panel/CaretSource.h"
#include "panel/PanelWindowSystem.h"
#include "platform/Workspace.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <mutex>

namespace tessaly {
class DesktopEntries;
}

namespace tessaly::kde {

// The windows of a KDE Plasma session on Wayland, native and XWayland alike, as KWin knows them.
// A small KWin script, loaded over D-Bus, reports every change of the active window (and of its
// place) back to this object over D-Bus, so that asking who is in front never waits for KWin;
// a window is activated by a one-shot script. windowID numbers KWin's windows in the order they
// were first reported.
class KWinWorkspace : public QObject, public Workspace
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "br.com.norvale.tessaly.KWinWindows")

public:
    KWinWorkspace(const QString &ownID, const QString &ownName, DesktopEntries *entries = nullptr,
                  QDBusConnection connection = QDBusConnection::sessionBus());
    ~KWinWorkspace() override;

    // Whether KWin runs the reporting script (its first report may still be on its way).
    bool isValid() const { return m_valid; }
    // Whether KWin answers on the bus.
    static bool isAvailable(QDBusConnection connection = QDBusConnection::sessionBus());

    std::optional<RunningApplication> frontmostApplication() override;
    bool activate(const RunningApplication &application) override;
    bool isActive(const RunningApplication &application) override;
    bool isTerminated(const RunningApplication &application) override;

    // The content of the active window on the screen, and whether it is a native Wayland
    // window (whose own coordinates start at its content's corner); absent when none is active.
    struct ActiveWindow
    {
        QRect content;
        bool native = false;
    };
    std::optional<ActiveWindow> activeWindow() const;

Q_SIGNALS:
    // KWin's active window changed (or moved): `processID` is its process, 0 for none.
    void activeWindowReported(qint64 processID);

    // The calls of the reporting script.
public Q_SLOTS:
    // `place` is "pid x11 x y width height", x11 being 1 for an XWayland window; an empty id
    // says no window is active.
    Q_SCRIPTABLE void activeWindowChanged(const QString &internalId, const QString &resourceClass,
                                          const QString &desktopFile, const QString &place);
    Q_SCRIPTABLE void windowClosed(const QString &internalId);

private:
    bool runScript(const QString &name, const QString &text);

    struct Active
    {
        QString internalId;
        RunningApplication application;
        QRect content;
        bool native = false;
    };

    QDBusConnection m_connection;
    QString m_ownID;
    QString m_ownName;
    DesktopEntries *m_entries;
    QTemporaryDir m_scripts;
    bool m_valid = false;

    mutable std::mutex m_mutex;
    std::optional<Active> m_active;
    QHash<QString, quint32> m_numbers; // KWin's ids by window number's owner
    QSet<quint32> m_closed;
};

// The panel's window on KWin's XWayland: KWin keeps XWayland's keyboard focus on the panel when
// it gives the keyboard to a native window, so the X11 window system never sees the panel lose
// it; KWin's own report of its active window closes the panel instead, as a click elsewhere
// does. Everything else is the X11 window system's.
class KWinPanelWindowSystem : public QObject, public PanelWindowSystem
{
    Q_OBJECT

public:
    KWinPanelWindowSystem(std::unique_ptr<PanelWindowSystem> x11, KWinWorkspace &workspace);
    ~KWinPanelWindowSystem() override;

    bool hasCompositor() const override { return m_x11->hasCompositor(); }
    void preparePanelWindow(quintptr windowId) override { m_x11->preparePanelWindow(windowId); }
    void activate(quintptr windowId) override { m_x11->activate(windowId); }
    bool isPointerButtonDown() const override { return m_x11->isPointerButtonDown(); }
    bool isFocusOnOwnWindow(quintptr ownWindowId) const override
    {
        return m_x11->isFocusOnOwnWindow(ownWindowId);
    }
    void watchClicksElsewhere(quintptr ownWindowId, std::function<void()> onClick) override;
    void stopWatchingClicks() override;

private:
    void onActiveWindow(qint64 processID);

    std::unique_ptr<PanelWindowSystem> m_x11;
    std::function<void()> m_onElsewhere;
    // Whether KWin has reported the panel active since the watch began: only then does another
    // window's turn mean the panel lost the keyboard.
    bool m_panelWasActive = false;
};

// The text cursor in a KDE Plasma session: a native Wayland application gives it relative to
// its window, to which KWin's place of that window is added.
class KWinCaretSource : public CaretSource
{
public:
    KWinCaretSource(std::unique_ptr<CaretSource> accessibility, const KWinWorkspace &workspace);
    ~KWinCaretSource() override;

    std::optional<QRectF> focusedCaretRect() override;

private:
    std::unique_ptr<CaretSource> m_accessibility;
    const KWinWorkspace &m_workspace;
};

} // namespace tessaly::kde
