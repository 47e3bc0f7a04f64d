#include "platform/wayland/DataControl.h"

#include "platform/wayland/Roundtrip.h"

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <QHash>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tessaly::wayland {

using Clock = std::chrono::steady_clock;

// Both protocols are the same on the wire, request for request and event for event: only the
// manager's interface name differs. The manager is bound under the name the compositor offers,
// and every object made from it carries the ext-data-control interfaces, whose messages are the
// same; the client's type checks compare those objects with each other only.
struct DataControl::State
{
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    wl_seat *seat = nullptr;
    ext_data_control_manager_v1 *manager = nullptr;
    ext_data_control_device_v1 *device = nullptr;
    uint32_t extName = 0, extVersion = 0, wlrName = 0, wlrVersion = 0;

    // Offers announced, with their types, until a selection event names one of them.
    QHash<ext_data_control_offer_v1 *, QStringList> announced;
    ext_data_control_offer_v1 *selection = nullptr;
    quint64 serial = 0;
    bool announce = false;
    std::function<void(const Offer &)> *onSelection = nullptr;

    // The program's own selection and the transfers it serves.
    ext_data_control_source_v1 *source = nullptr;
    std::shared_ptr<const Contents> contents;
    struct Send
    {
        int fd;
        QByteArray bytes;
        qsizetype written = 0;
        Clock::time_point deadline;
    };
    std::vector<Send> sends;

    // What other threads see and ask for.
    mutable std::mutex mutex;
    Offer offer;
    std::deque<std::function<void()>> tasks;
    bool running = false; // whether tasks are taken
    int wake = -1;
    std::atomic<bool> stopping{false};

    void publish(ext_data_control_offer_v1 *chosen)
    {
        QStringList types = chosen ? announced.take(chosen) : QStringList();
        if (selection && selection != chosen)
            ext_data_control_offer_v1_destroy(selection);
        selection = chosen;
        Offer next;
        next.serial = ++serial;
        next.own = types.removeAll(ownMarkerType()) > 0;
        next.empty = chosen == nullptr;
        next.types = std::move(types);
        {
            std::lock_guard lock(mutex);
            offer = next;
        }
        if (announce && onSelection && *onSelection)
            (*onSelection)(next);
    }

    void serve(const char *mimeType, int fd)
    {
        const QString type = QString::fromUtf8(mimeType);
        if (contents) {
            for (const auto &[offered, bytes] : *contents) {
                if (offered == type) {
                    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
                    // A reader that takes nothing for long is given up on.
                    sends.push_back({fd, bytes, 0, Clock::now() + std::chrono::seconds(5)});
                    return;
                }
            }
        }
        close(fd);
    }

    void writeSends()
    {
        const Clock::time_point now = Clock::now();
        for (auto it = sends.begin(); it != sends.end();) {
            bool done = now >= it->deadline;
            while (!done && it->written < it->bytes.size()) {
                const ssize_t n = ::write(it->fd, it->bytes.constData() + it->written,
                                          size_t(it->bytes.size() - it->written));
                if (n > 0) {
                    it->written += n;
                } else {
                    done = !(n < 0 && (errno == EAGAIN || errno == EINTR));
                    break;
                }
            }
            if (done || it->written >= it->bytes.size()) {
                close(it->fd);
                it = sends.erase(it);
            } else {
                ++it;
            }
        }
    }
};

namespace {

using State = DataControl::State;

void offerType(void *data, ext_data_control_offer_v1 *offer, const char *mimeType)
{
    auto *state = static_cast<State *>(data);
    const auto it = state->announced.find(offer);
    if (it == state->announced.end())
        return;
    const QString type = QString::fromUtf8(mimeType);
    // More types than this is not a clipboard but garbage.
    if (!it->contains(type) && it->size() < 4096)
        it->append(type);
}

const ext_data_control_offer_v1_listener offerListener = {offerType};

void deviceDataOffer(void *data, ext_data_control_device_v1 *, ext_data_control_offer_v1 *offer)
{
    auto *state = static_cast<State *>(data);
    state->announced.insert(offer, {});
    ext_data_control_offer_v1_add_listener(offer, &offerListener, state);
}

void deviceSelection(void *data, ext_data_control_device_v1 *, ext_data_control_offer_v1 *offer)
{
    static_cast<State *>(data)->publish(offer);
}

void deviceFinished(void *data, ext_data_control_device_v1 *device)
{
    auto *state = static_cast<State *>(data);
    state->publish(nullptr);
    ext_data_control_device_v1_destroy(device);
    state->device = nullptr;
}

void devicePrimarySelection(void *data, ext_data_control_device_v1 *,
                            ext_data_control_offer_v1 *offer)
{
    auto *state = static_cast<State *>(data); // the primary selection is not the clipboard
    if (offer) {
        state->announced.remove(offer);
        ext_data_control_offer_v1_destroy(offer);
    }
}

const ext_data_control_device_v1_listener deviceListener = {deviceDataOffer, deviceSelection,
                                                            deviceFinished, devicePrimarySelection};

void sourceSend(void *data, ext_data_control_source_v1 *source, const char *mimeType, int32_t fd)
{
    auto *state = static_cast<State *>(data);
    if (source == state->source)
        state->serve(mimeType, fd);
    else
        close(fd);
}

void sourceCancelled(void *data, ext_data_control_source_v1 *source)
{
    auto *state = static_cast<State *>(data);
    if (source == state->source) {
        state->source = nullptr;
        state->contents.reset();
    }
    ext_data_control_source_v1_destroy(source);
}

const ext_data_control_source_v1_listener sourceListener = {sourceSend, sourceCancelled};

void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
                    uint32_t version)
{
    auto *state = static_cast<State *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !state->seat) {
        state->seat =
            static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
        state->extName = name;
        state->extVersion = version;
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        state->wlrName = name;
        state->wlrVersion = version;
    }
}

void registryGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

} // namespace

QString DataControl::ownMarkerType()
{
    return QStringLiteral("application/x-tessaly-owner");
}

DataControl::DataControl() : m_state(std::make_unique<State>()) {}

void DataControl::stop()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->running = false;
    }
    if (m_thread.joinable()) {
        m_state->stopping = true;
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_state->wake, &one, sizeof one);
        m_thread.join();
    }
}

DataControl::~DataControl()
{
    stop();
    State &s = *m_state;
    for (const State::Send &send : s.sends)
        close(send.fd);
    for (auto it = s.announced.begin(); it != s.announced.end(); ++it)
        ext_data_control_offer_v1_destroy(it.key());
    if (s.selection)
        ext_data_control_offer_v1_destroy(s.selection);
    if (s.source)
        ext_data_control_source_v1_destroy(s.source);
    if (s.device)
        ext_data_control_device_v1_destroy(s.device);
    if (s.manager)
        ext_data_control_manager_v1_destroy(s.manager);
    if (s.seat)
        wl_seat_destroy(s.seat);
    if (s.registry)
        wl_registry_destroy(s.registry);
    if (s.display)
        wl_display_disconnect(s.display);
    if (s.wake >= 0)
        close(s.wake);
}

bool DataControl::start(const QByteArray &display, std::chrono::milliseconds timeout)
{
    State &s = *m_state;
    const Clock::time_point deadline = Clock::now() + timeout;
    s.display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!s.display)
        return false;
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &registryListener, &s);
    if (!roundtrip(s.display, deadline) || !s.seat || (!s.extName && !s.wlrName))
        return false;
    if (s.extName) {
        s.manager = static_cast<ext_data_control_manager_v1 *>(
            wl_registry_bind(s.registry, s.extName, &ext_data_control_manager_v1_interface, 1));
        m_protocolName = QStringLiteral("ext-data-control-v1");
    } else {
        s.manager = static_cast<ext_data_control_manager_v1 *>(
            wl_registry_bind(s.registry, s.wlrName, &zwlr_data_control_manager_v1_interface,
                             std::min<uint32_t>(s.wlrVersion, 2)));
        m_protocolName = QStringLiteral("wlr-data-control-unstable-v1");
    }
    s.device = ext_data_control_manager_v1_get_data_device(s.manager, s.seat);
    ext_data_control_device_v1_add_listener(s.device, &deviceListener, &s);
    // The current selection, if the compositor says (KWin says nothing of an empty one).
    if (!roundtrip(s.display, deadline))
        return false;
    s.wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s.wake < 0)
        return false;
    s.onSelection = &onSelection;
    s.announce = true;
    s.running = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

DataControl::Offer DataControl::currentOffer() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->offer;
}

void DataControl::run()
{
    State &s = *m_state;
    while (!s.stopping) {
        while (wl_display_prepare_read(s.display) != 0)
            wl_display_dispatch_pending(s.display);
        wl_display_flush(s.display);
        std::vector<pollfd> fds{{wl_display_get_fd(s.display), POLLIN, 0}, {s.wake, POLLIN, 0}};
        for (const State::Send &send : s.sends)
            fds.push_back({send.fd, POLLOUT, 0});
        const int ready = poll(fds.data(), nfds_t(fds.size()), s.sends.empty() ? -1 : 1000);
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            if (wl_display_read_events(s.display) < 0)
                break; // the compositor went away
        } else {
            wl_display_cancel_read(s.display);
        }
        if (fds[0].revents & (POLLERR | POLLHUP))
            break;
        wl_display_dispatch_pending(s.display);
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(s.wake, &count, sizeof count);
        }
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(s.mutex);
            tasks.swap(s.tasks);
        }
        for (const auto &task : tasks)
            task();
        s.writeSends();
    }
    // Whoever waits for a task is let go.
    std::lock_guard lock(s.mutex);
    for (const auto &task : s.tasks)
        task();
    s.tasks.clear();
}

void DataControl::call(std::function<void()> task)
{
    State &s = *m_state;
    auto done = std::make_shared<std::pair<std::mutex, std::condition_variable>>();
    auto finished = std::make_shared<bool>(false);
    {
        std::lock_guard lock(s.mutex);
        if (!s.running)
            return;
        s.tasks.push_back([task = std::move(task), done, finished, &s] {
            if (!s.stopping)
                task();
            std::lock_guard inner(done->first);
            *finished = true;
            done->second.notify_all();
        });
    }
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(s.wake, &one, sizeof one);
    std::unique_lock lock(done->first);
    done->second.wait_for(lock, std::chrono::seconds(1), [&] { return *finished; });
}

int DataControl::receive(quint64 serial, const QString &type)
{
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0)
        return -1;
    auto asked = std::make_shared<std::atomic<bool>>(false);
    // The write end belongs to the request: it is closed once sent (the request carries a copy),
    // or when the request is dropped, whenever that happens.
    const std::shared_ptr<int> writeEnd(new int(pipe[1]), [](int *fd) {
        close(*fd);
        delete fd;
    });
    const QByteArray mime = type.toUtf8();
    State *s = m_state.get();
    call([s, serial, mime, writeEnd, asked] {
        if (s->selection && s->serial == serial) {
            ext_data_control_offer_v1_receive(s->selection, mime.constData(), *writeEnd);
            wl_display_flush(s->display);
            *asked = true;
        }
    });
    if (!*asked) {
        close(pipe[0]);
        return -1;
    }
    return pipe[0];
}

void DataControl::setSelection(const Contents &contents)
{
    auto shared = std::make_shared<const Contents>(contents);
    State *s = m_state.get();
    call([s, shared] {
        if (!s->device)
            return;
        ext_data_control_source_v1 *source =
            ext_data_control_manager_v1_create_data_source(s->manager);
        ext_data_control_source_v1_add_listener(source, &sourceListener, s);
        for (const auto &[type, bytes] : *shared)
            ext_data_control_source_v1_offer(source, type.toUtf8().constData());
        ext_data_control_source_v1_offer(source, ownMarkerType().toUtf8().constData());
        ext_data_control_device_v1_set_selection(s->device, source);
        if (s->source)
            ext_data_control_source_v1_destroy(s->source);
        s->source = source;
        s->contents = shared;
        wl_display_flush(s->display);
    });
}

} // namespace tessaly::wayland
