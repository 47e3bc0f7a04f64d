#include "platform/wayland/Roundtrip.h"

#include <wayland-client.h>

#include <poll.h>

namespace tessaly::wayland {

bool roundtrip(wl_display *display, std::chrono::steady_clock::time_point deadline)
{
    bool done = false;
    wl_callback *callback = wl_display_sync(display);
    static const wl_callback_listener listener = {
        [](void *data, wl_callback *, uint32_t) { *static_cast<bool *>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &done);
    while (!done) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, int(left.count())) <= 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            break;
    }
    wl_callback_destroy(callback);
    return done;
}

} // namespace tessaly::wayland
