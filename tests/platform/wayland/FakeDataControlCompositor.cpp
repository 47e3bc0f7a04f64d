#include "FakeDataControlCompositor.h"

#include <QTemporaryDir>

#include <wayland-server.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The interfaces as the program's client glue defines them.
extern "C" {
extern const struct wl_interface ext_data_control_manager_v1_interface;
extern const struct wl_interface ext_data_control_device_v1_interface;
extern const struct wl_interface ext_data_control_source_v1_interface;
extern const struct wl_interface ext_data_control_offer_v1_interface;
extern const struct wl_interface zwlr_data_control_manager_v1_interface;
extern const struct wl_interface zwlr_data_control_device_v1_interface;
extern const struct wl_interface zwlr_data_control_source_v1_interface;
extern const struct wl_interface zwlr_data_control_offer_v1_interface;
}

namespace tessaly::test {

namespace {

// Both protocols have the same requests and events, in the same order.
enum DeviceEvent
{
    DeviceDataOffer = 0,
    DeviceSelection = 1
};
enum SourceEvent
{
    SourceSend = 0,
    SourceCancelled = 1
};
enum OfferEvent
{
    OfferMimeType = 0
};

struct Family
{
    const wl_interface *manager;
    const wl_interface *device;
    const wl_interface *source;
    const wl_interface *offer;
};

const Family extFamily{&ext_data_control_manager_v1_interface,
                       &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface,
                       &ext_data_control_offer_v1_interface};
const Family wlrFamily{
    &zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
    &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface};

} // namespace

struct FakeDataControlCompositor::Server
{
    struct Source
    {
        Server *server;
        wl_resource *resource;
        QStringList types;
    };
    // One selection: a client's source, or the compositor's own representations.
    struct Selection
    {
        Source *source = nullptr;
        QList<QPair<QString, QByteArray>> own;
        QStringList types;
    };
    struct Offer
    {
        Server *server;
        std::shared_ptr<Selection> selection;
    };
    struct Device
    {
        Server *server;
        wl_resource *resource;
        const Family *family;
    };

    QTemporaryDir folder;
    QString socket;
    wl_display *display = nullptr;
    int wake = -1;
    wl_event_source *wakeSource = nullptr;
    std::thread thread;
    std::mutex mutex;
    std::vector<std::function<void()>> tasks;
    std::shared_ptr<Selection> selection;
    std::vector<Device *> devices;

    // Runs a task on the compositor's thread and waits for it.
    void run(std::function<void()> task)
    {
        if (!thread.joinable())
            return; // never started
        std::condition_variable done;
        bool finished = false;
        std::unique_lock lock(mutex);
        tasks.push_back([&] {
            task();
            std::lock_guard inner(mutex);
            finished = true;
            done.notify_all();
        });
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake, &one, sizeof one);
        done.wait(lock, [&] { return finished; });
    }

    void announce(Device *device)
    {
        wl_client *client = wl_resource_get_client(device->resource);
        if (!selection) {
            wl_resource_post_event(device->resource, DeviceSelection, nullptr);
            return;
        }
        wl_resource *offer = wl_resource_create(client, device->family->offer,
                                                wl_resource_get_version(device->resource), 0);
        auto *data = new Offer{this, selection};
        static const struct
        {
            void (*receive)(wl_client *, wl_resource *, const char *, int32_t);
            void (*destroy)(wl_client *, wl_resource *);
        } offerRequests = {
            [](wl_client *, wl_resource *resource, const char *type, int32_t fd) {
                auto *offer = static_cast<Offer *>(wl_resource_get_user_data(resource));
                offer->server->serve(*offer->selection, QString::fromUtf8(type), fd);
            },
            [](wl_client *, wl_resource *resource) { wl_resource_destroy(resource); }};
        wl_resource_set_implementation(offer, &offerRequests, data, [](wl_resource *resource) {
            delete static_cast<Offer *>(wl_resource_get_user_data(resource));
        });
        wl_resource_post_event(device->resource, DeviceDataOffer, offer);
        for (const QString &type : selection->types)
            wl_resource_post_event(offer, OfferMimeType, type.toUtf8().constData());
        wl_resource_post_event(device->resource, DeviceSelection, offer);
    }

    void setSelection(std::shared_ptr<Selection> next)
    {
        if (selection && selection->source && (!next || next->source != selection->source))
            wl_resource_post_event(selection->source->resource, SourceCancelled);
        selection = std::move(next);
        for (Device *device : devices)
            announce(device);
    }

    // Hands the reading end's request to whoever owns the selection; takes the descriptor.
    void serve(const Selection &wanted, const QString &type, int fd)
    {
        if (wanted.source && wanted.source->resource) {
            wl_resource_post_event(wanted.source->resource, SourceSend, type.toUtf8().constData(),
                                   fd);
        } else {
            for (const auto &[offered, bytes] : wanted.own) {
                if (offered == type) {
                    [[maybe_unused]] const auto written =
                        ::write(fd, bytes.constData(), bytes.size());
                }
            }
        }
        close(fd);
    }

    void createSource(wl_resource *manager, uint32_t id, const Family &family)
    {
        wl_resource *resource = wl_resource_create(wl_resource_get_client(manager), family.source,
                                                   wl_resource_get_version(manager), id);
        auto *source = new Source{this, resource, {}};
        static const struct
        {
            void (*offer)(wl_client *, wl_resource *, const char *);
            void (*destroy)(wl_client *, wl_resource *);
        } sourceRequests = {
            [](wl_client *, wl_resource *resource, const char *type) {
                static_cast<Source *>(wl_resource_get_user_data(resource))
                    ->types.append(QString::fromUtf8(type));
            },
            [](wl_client *, wl_resource *resource) { wl_resource_destroy(resource); }};
        wl_resource_set_implementation(
            resource, &sourceRequests, source, [](wl_resource *resource) {
                auto *source = static_cast<Source *>(wl_resource_get_user_data(resource));
                Server *server = source->server;
                if (server->selection && server->selection->source == source) {
                    server->selection->source = nullptr;
                    server->setSelection(nullptr);
                }
                delete source;
            });
    }

    void createDevice(wl_resource *manager, uint32_t id, const Family &family)
    {
        wl_resource *resource = wl_resource_create(wl_resource_get_client(manager), family.device,
                                                   wl_resource_get_version(manager), id);
        auto *device = new Device{this, resource, &family};
        using SetSelection = void (*)(wl_client *, wl_resource *, wl_resource *);
        static const struct
        {
            SetSelection setSelection;
            void (*destroy)(wl_client *, wl_resource *);
            SetSelection setPrimarySelection;
        } deviceRequests = {
            [](wl_client *, wl_resource *resource, wl_resource *sourceResource) {
                auto *device = static_cast<Device *>(wl_resource_get_user_data(resource));
                std::shared_ptr<Selection> next;
                if (sourceResource) {
                    auto *source = static_cast<Source *>(wl_resource_get_user_data(sourceResource));
                    next = std::make_shared<Selection>(Selection{source, {}, source->types});
                }
                device->server->setSelection(std::move(next));
            },
            [](wl_client *, wl_resource *resource) { wl_resource_destroy(resource); },
            [](wl_client *, wl_resource *, wl_resource *) {}};
        wl_resource_set_implementation(
            resource, &deviceRequests, device, [](wl_resource *resource) {
                auto *device = static_cast<Device *>(wl_resource_get_user_data(resource));
                auto &devices = device->server->devices;
                devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
                delete device;
            });
        devices.push_back(device);
        announce(device);
    }

    template <const Family *family>
    static void bindManager(wl_client *client, void *data, uint32_t version, uint32_t id)
    {
        wl_resource *resource = wl_resource_create(client, family->manager, int(version), id);
        using Create = void (*)(wl_client *, wl_resource *, uint32_t);
        static const struct
        {
            Create createDataSource;
            void (*getDataDevice)(wl_client *, wl_resource *, uint32_t, wl_resource *);
            void (*destroy)(wl_client *, wl_resource *);
        } managerRequests = {
            [](wl_client *, wl_resource *manager, uint32_t id) {
                static_cast<Server *>(wl_resource_get_user_data(manager))
                    ->createSource(manager, id, *family);
            },
            [](wl_client *, wl_resource *manager, uint32_t id, wl_resource *) {
                static_cast<Server *>(wl_resource_get_user_data(manager))
                    ->createDevice(manager, id, *family);
            },
            [](wl_client *, wl_resource *resource) { wl_resource_destroy(resource); }};
        wl_resource_set_implementation(resource, &managerRequests, data, nullptr);
    }

    static void bindSeat(wl_client *client, void *, uint32_t version, uint32_t id)
    {
        using Get = void (*)(wl_client *, wl_resource *, uint32_t);
        static const struct
        {
            Get getPointer, getKeyboard, getTouch;
        } seatRequests = {[](wl_client *, wl_resource *, uint32_t) {},
                          [](wl_client *, wl_resource *, uint32_t) {},
                          [](wl_client *, wl_resource *, uint32_t) {}};
        wl_resource *resource =
            wl_resource_create(client, &wl_seat_interface, int(std::min<uint32_t>(version, 1)), id);
        wl_resource_set_implementation(resource, &seatRequests, nullptr, nullptr);
    }
};

FakeDataControlCompositor::FakeDataControlCompositor(Globals globals)
    : m_server(std::make_unique<Server>())
{
    Server &s = *m_server;
    s.display = wl_display_create();
    const QByteArray path = s.folder.filePath(QStringLiteral("wayland-fake")).toLocal8Bit();
    const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    if (listening < 0 ||
        bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listening, 8) != 0 || wl_display_add_socket_fd(s.display, listening) != 0) {
        if (listening >= 0)
            close(listening);
        return;
    }
    s.socket = QString::fromLocal8Bit(path);
    wl_global_create(s.display, &wl_seat_interface, 1, &s, &Server::bindSeat);
    if (globals.ext)
        wl_global_create(s.display, extFamily.manager, 1, &s, &Server::bindManager<&extFamily>);
    if (globals.wlr)
        wl_global_create(s.display, wlrFamily.manager, 2, &s, &Server::bindManager<&wlrFamily>);

    s.wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s.wakeSource = wl_event_loop_add_fd(
        wl_display_get_event_loop(s.display), s.wake, WL_EVENT_READABLE,
        [](int fd, uint32_t, void *data) {
            uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(fd, &count, sizeof count);
            auto *server = static_cast<Server *>(data);
            std::vector<std::function<void()>> tasks;
            {
                std::lock_guard lock(server->mutex);
                tasks.swap(server->tasks);
            }
            for (const auto &task : tasks)
                task();
            wl_display_flush_clients(server->display);
            return 0;
        },
        &s);
    s.thread = std::thread([&s] { wl_display_run(s.display); });
}

FakeDataControlCompositor::~FakeDataControlCompositor()
{
    Server &s = *m_server;
    if (s.thread.joinable()) {
        s.run([&s] { wl_display_terminate(s.display); });
        s.thread.join();
    }
    if (s.wakeSource)
        wl_event_source_remove(s.wakeSource);
    if (s.display) {
        wl_display_destroy_clients(s.display);
        wl_display_destroy(s.display);
    }
    if (s.wake >= 0)
        close(s.wake);
}

QString FakeDataControlCompositor::socketPath() const
{
    return m_server->socket;
}

void FakeDataControlCompositor::offer(const QList<QPair<QString, QByteArray>> &representations)
{
    Server &s = *m_server;
    s.run([&] {
        auto next = std::make_shared<Server::Selection>();
        next->own = representations;
        for (const auto &[type, bytes] : representations)
            next->types.append(type);
        s.setSelection(std::move(next));
    });
}

QStringList FakeDataControlCompositor::selectionTypes() const
{
    Server &s = *m_server;
    QStringList types;
    s.run([&] {
        if (s.selection)
            types = s.selection->types;
    });
    return types;
}

QByteArray FakeDataControlCompositor::receive(const QString &type) const
{
    Server &s = *m_server;
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    s.run([&] {
        if (s.selection)
            s.serve(*s.selection, type, pipe[1]);
        else
            close(pipe[1]);
    });
    QByteArray bytes;
    char buffer[4096];
    pollfd fd{pipe[0], POLLIN, 0};
    while (poll(&fd, 1, 1000) > 0) {
        const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    close(pipe[0]);
    return bytes;
}

int FakeDataControlCompositor::deviceCount() const
{
    Server &s = *m_server;
    int count = 0;
    s.run([&] { count = int(s.devices.size()); });
    return count;
}

} // namespace tessaly::test
