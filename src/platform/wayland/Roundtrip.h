#pragma once

#include <chrono>

struct wl_display;

namespace tessaly::wayland {

// Dispatches the compositor's events on `display` until it has answered every request made so
// far, or until the deadline: false when the deadline passed or the connection broke first.
// For a connection that only the calling thread dispatches.
bool roundtrip(wl_display *display, std::chrono::steady_clock::time_point deadline);

} // namespace tessaly::wayland
