#pragma once

#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbConnection.h"

#include <QList>

#include <memory>
#include <optional>

namespace tessaly::test {

// Another X client on the test display: it can hold key grabs, show a focused window that
// records the keys it receives, lock keyboard groups and move modifiers.
class X11TestClient
{
public:
    struct KeyPress
    {
        xcb_keycode_t keyCode;
        uint16_t state;
    };

    // Connects to DISPLAY; isValid() tells whether that worked.
    X11TestClient();
    ~X11TestClient();

    bool isValid() const { return m_connection && m_keymap; }
    xcb_connection_t *connection() const { return m_connection ? m_connection->get() : nullptr; }
    // The keymap as it was at the last refreshKeymap() (or connection).
    const x11::X11Keymap &keymap() const { return *m_keymap; }
    void refreshKeymap();

    // Passive grab on the root window, checked with the server; false on BadAccess.
    bool grabKey(xcb_keycode_t keyCode, uint16_t modifiers);
    void ungrabKey(xcb_keycode_t keyCode, uint16_t modifiers);

    // Maps a window, gives it the input focus and waits until the server confirms it.
    bool showFocusedWindow();
    // Maps a window of the given rectangle that the window manager leaves alone and that never
    // takes the keyboard, the way a dock or a tray shows itself; waits until it is viewable.
    bool showWindowWithoutFocus(int x, int y, int width, int height);
    // Key presses received by the window so far (reads what has arrived).
    const QList<KeyPress> &keyPresses();
    // Presses of one key with exactly these modifiers among the ones received.
    int pressesOf(xcb_keycode_t keyCode, uint16_t modifiers);

    // The locked modifiers of the core keyboard, asked of the server.
    uint16_t lockedModifiers() const;
    // Locks a keyboard group (layout) the way a layout switcher does.
    void lockGroup(uint8_t group);
    // Moves every key of one real modifier to another (say NumLock from Mod2 to Mod3).
    bool moveModifier(int from, int to);

private:
    std::unique_ptr<x11::Connection> m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_window_t m_window = XCB_NONE;
    std::unique_ptr<x11::X11Keymap> m_keymap;
    QList<KeyPress> m_presses;
};

} // namespace tessaly::test
