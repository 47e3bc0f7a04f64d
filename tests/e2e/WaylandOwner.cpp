// Another Wayland client that owns the clipboard, as the tests need it:
//   tessaly_test_wayland_owner offer TYPE::TEXT...  offers each type with its text, and serves it
//   tessaly_test_wayland_owner stall TYPE...        offers the types and never answers a request
//   tessaly_test_wayland_owner copier               copies each line of its input as UTF-8 text,
//                                                   printing "copied NS" (the steady clock)
// It prints "ready" once its offer is the selection and runs until another client takes it or
// it is killed.

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

wl_seat *seat = nullptr;
zwlr_data_control_manager_v1 *manager = nullptr;
std::map<std::string, std::string> contents;
bool stall = false;
bool cancelled = false;
std::vector<int> held; // requests a stalling owner keeps unanswered

void global(void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_data_control_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}

void globalRemove(void *, wl_registry *, uint32_t) {}

void send(void *, zwlr_data_control_source_v1 *, const char *type, int32_t fd)
{
    if (stall) {
        held.push_back(fd);
        return;
    }
    const auto it = contents.find(type);
    if (it != contents.end()) {
        const std::string &text = it->second;
        [[maybe_unused]] const auto written = write(fd, text.data(), text.size());
    }
    close(fd);
}

void cancel(void *, zwlr_data_control_source_v1 *)
{
    cancelled = true;
}

} // namespace

// Copies each line read from standard input, as a new source; runs until the input ends.
int copier(wl_display *display, zwlr_data_control_device_v1 *device)
{
    static const zwlr_data_control_source_v1_listener listener = {
        send, [](void *, zwlr_data_control_source_v1 *source) {
            zwlr_data_control_source_v1_destroy(source);
        }};
    std::puts("ready");
    std::fflush(stdout);
    std::string pending;
    for (;;) {
        wl_display_flush(display);
        pollfd fds[2] = {{0, POLLIN, 0}, {wl_display_get_fd(display), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            return 1;
        if ((fds[1].revents & POLLIN) && wl_display_dispatch(display) < 0)
            return 1;
        if (!(fds[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[4096];
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n <= 0)
            return 0;
        pending.append(buffer, size_t(n));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            contents = {{"text/plain;charset=utf-8", pending.substr(0, end)}};
            pending.erase(0, end + 1);
            const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
            zwlr_data_control_source_v1 *source =
                zwlr_data_control_manager_v1_create_data_source(manager);
            zwlr_data_control_source_v1_add_listener(source, &listener, nullptr);
            zwlr_data_control_source_v1_offer(source, "text/plain;charset=utf-8");
            zwlr_data_control_device_v1_set_selection(device, source);
            wl_display_flush(display);
            std::printf("copied %lld\n", static_cast<long long>(now));
            std::fflush(stdout);
        }
    }
}

int main(int argc, char **argv)
{
    const bool copying = argc == 2 && std::strcmp(argv[1], "copier") == 0;
    if (!copying &&
        (argc < 3 || (std::strcmp(argv[1], "offer") != 0 && std::strcmp(argv[1], "stall") != 0))) {
        std::fprintf(stderr, "usage: %s offer TYPE::TEXT... | stall TYPE... | copier\n", argv[0]);
        return 2;
    }
    stall = std::strcmp(argv[1], "stall") == 0;
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    wl_registry *registry = wl_display_get_registry(display);
    static const wl_registry_listener registryListener = {global, globalRemove};
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !manager)
        return 1;
    zwlr_data_control_device_v1 *device =
        zwlr_data_control_manager_v1_get_data_device(manager, seat);
    if (copying)
        return copier(display, device);
    zwlr_data_control_source_v1 *source = zwlr_data_control_manager_v1_create_data_source(manager);
    static const zwlr_data_control_source_v1_listener sourceListener = {send, cancel};
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, nullptr);
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto separator = argument.find("::");
        const std::string type = argument.substr(0, separator);
        contents[type] =
            separator == std::string::npos ? std::string() : argument.substr(separator + 2);
        zwlr_data_control_source_v1_offer(source, type.c_str());
    }
    zwlr_data_control_device_v1_set_selection(device, source);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    while (!cancelled && wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
