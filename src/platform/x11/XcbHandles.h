#pragma once

#include <xcb/xcb.h>

#include <QByteArray>

#include <cstdlib>
#include <memory>

namespace tessaly::x11 {

struct ConnectionDeleter
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

// An xcb connection of our own, closed when the handle goes.
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

struct FreeDeleter
{
    void operator()(void *memory) const { std::free(memory); }
};

// A reply, event or error that xcb allocated for us.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Opens a connection to the named display (DISPLAY when empty). Answers null when the display
// cannot be reached; `screenNumber` receives the preferred screen.
inline Connection connectToDisplay(const QByteArray &displayName, int *screenNumber = nullptr)
{
    int screen = 0;
    Connection connection(
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screen));
    if (connection && xcb_connection_has_error(connection.get()))
        connection.reset();
    if (screenNumber)
        *screenNumber = screen;
    return connection;
}

// The root window of a screen of the connection; XCB_NONE when there is no such screen.
inline xcb_window_t rootWindow(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
        if (i == screenNumber)
            return it.data->root;
    }
    return XCB_NONE;
}

} // namespace tessaly::x11
