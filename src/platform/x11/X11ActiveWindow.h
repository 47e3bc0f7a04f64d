#pragma once

#include <QtGlobal>

#include <optional>

struct xcb_connection_t;

namespace tessaly {

// The window the window manager reports as active (_NET_ACTIVE_WINDOW) on the X display of
// $DISPLAY, over a connection of its own.
class X11ActiveWindow
{
public:
    X11ActiveWindow();
    ~X11ActiveWindow();

    X11ActiveWindow(const X11ActiveWindow &) = delete;
    X11ActiveWindow &operator=(const X11ActiveWindow &) = delete;

    // The process that owns the active window (_NET_WM_PID); absent when no window is active or
    // it does not name its process.
    std::optional<qint64> processId();

private:
    std::optional<quint32> cardinalProperty(quint32 window, quint32 property);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_activeWindowAtom = 0;
    quint32 m_pidAtom = 0;
};

} // namespace tessaly
