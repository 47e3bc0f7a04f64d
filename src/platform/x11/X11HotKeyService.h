#pragma once

#include "hotkey/HotKeyService.h"
#include "platform/x11/XcbConnection.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <optional>

class QSocketNotifier;

namespace tessaly::x11 {

// The hot-key service of an X display: passive key grabs on the root window, on a connection
// of its own whose events are read on the main thread.
//
// A combination is grabbed four times, with and without NumLock and CapsLock, so that those
// locks do not break it. Each grab is checked with the server at once; when any is refused
// (BadAccess: another client holds it) the others are released and the grab fails. Keyboard
// changes (XKB new keyboard and map notifications, core mapping notifications) are reported
// through onKeyboardChanged.
class X11HotKeyService : public QObject, public HotKeyService
{
    Q_OBJECT

public:
    // One passive grab: an X11 keycode with an exact modifier state.
    struct KeyGrab
    {
        xcb_keycode_t keyCode = 0;
        uint16_t modifiers = 0;
        friend bool operator==(const KeyGrab &, const KeyGrab &) = default;
    };

    // Connects to the named display (DISPLAY when empty). Without a display every grab fails.
    explicit X11HotKeyService(const QByteArray &displayName = {}, QObject *parent = nullptr);
    ~X11HotKeyService() override;

    bool isConnected() const;

    bool grab(const HotKeyCombo &combo) override;
    void ungrab() override;

    // The grabs held now, for diagnostics and tests.
    QList<KeyGrab> grabs() const { return m_grabs; }

private:
    void readEvents();
    void scheduleRead();

    std::unique_ptr<Connection> m_connection;
    xcb_window_t m_root = XCB_NONE;
    std::optional<uint8_t> m_xkbEventBase;
    QSocketNotifier *m_notifier = nullptr;
    QList<KeyGrab> m_grabs;
    bool m_keyDown = false;
    // Server time of the last press or release of the grabbed key.
    xcb_timestamp_t m_lastKeyTime = 0;
    bool m_readScheduled = false;
};

} // namespace tessaly::x11
