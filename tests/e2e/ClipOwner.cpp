// A stand-in for another application in end-to-end tests. It owns CLIPBOARD the way a
// well-behaved program does, or the ways broken ones do, or shows a window with a known class.
//
//   clip_owner serve TYPE:=VALUE... [--dummy-types N] owns with these types (VALUE "@path"
//                                                      reads a file); N extra small types
//   clip_owner stall                                  owns and never answers
//   clip_owner garbage-targets                        answers TARGETS with bytes, not atoms
//   clip_owner bogus-atoms                            TARGETS full of atoms that do not exist,
//                                                      and UTF8_STRING "survivor"
//   clip_owner die-mid-transfer                       starts an INCR transfer, then exits
//   clip_owner endless                                UTF8_STRING "small" and application/x-big
//                                                      sent as INCR without end (100 MB);
//                                                      prints "sent N" once the requestor stops
//   clip_owner slow                                   UTF8_STRING "slow but sure", answered
//                                                      0.3 s after it is asked for; prints
//                                                      "asked" when TARGETS is asked for
//   clip_owner targets-only                           answers TARGETS, never the data
//   clip_owner wrong-format                           UTF8_STRING as 32-bit INTEGERs, text/plain
//                                                      in 16-bit units
//   clip_owner trickle                                UTF8_STRING as INCR, one byte per piece,
//                                                      for up to a minute; prints "sent N"
//   clip_owner destroy-window                         destroys its window when asked for data
//   clip_owner invalid-utf8                           every text target is invalid UTF-8
//   clip_owner storm COUNT MS                         a new owner (its own window) with a new
//                                                      text "storm N" every MS ms, COUNT times;
//                                                      prints "last storm N" and keeps serving
//   clip_owner copier                                 copies each line read from standard input
//                                                      as UTF8_STRING and prints "copied T" with
//                                                      T the steady clock (ns) once the server
//                                                      has made it the owner
//   clip_owner window CLASS INSTANCE [--gtk-id ID] [--dialog]
//                                                      maps a window (and a dialog transient
//                                                      for it) and activates it
//
// Prints "ready" (and "window ID" for windows) on standard output once set up.

#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XcbConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <vector>

using namespace tessaly;
using tessaly::x11::Connection;
using tessaly::x11::Reply;

namespace {

void say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

int serve(const QStringList &arguments)
{
    X11Pasteboard pasteboard;
    if (!pasteboard.isValid())
        return 2;
    PayloadItem item;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--dummy-types") {
            const int count = arguments.value(++i).toInt();
            for (int n = 0; n < count; ++n)
                item.insert(QStringLiteral("application/x-dummy-%1").arg(n), QByteArray::number(n));
            continue;
        }
        const qsizetype separator = arguments[i].indexOf(u":=");
        const QString type = arguments[i].left(separator);
        const QString value = arguments[i].mid(separator + 2);
        QByteArray bytes = value.toUtf8();
        if (value.startsWith(u'@')) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly))
                return 2;
            bytes = file.readAll();
        }
        item.insert(type, bytes);
    }
    pasteboard.clearContents();
    pasteboard.writeItems({item});
    say("ready");
    return QCoreApplication::exec();
}

// A minimal selection owner over raw xcb, for the misbehaving modes.
class RawOwner
{
public:
    RawOwner()
    {
        clipboard = connection.atom(QStringLiteral("CLIPBOARD"));
        targets = connection.atom(QStringLiteral("TARGETS"));
        incr = connection.atom(QStringLiteral("INCR"));
        utf8 = connection.atom(QStringLiteral("UTF8_STRING"));
        window = connection.createHiddenWindow(0);
        xcb_set_selection_owner(connection.get(), window, clipboard, XCB_CURRENT_TIME);
        Reply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(
            connection.get(), xcb_get_input_focus(connection.get()), nullptr));
    }

    xcb_selection_request_event_t nextRequest()
    {
        for (;;) {
            Reply<xcb_generic_event_t> event(xcb_wait_for_event(connection.get()));
            if (!event)
                ::_exit(0);
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST)
                return *reinterpret_cast<xcb_selection_request_event_t *>(event.get());
        }
    }

    void answer(const xcb_selection_request_event_t &request, xcb_atom_t type, uint8_t format,
                const void *data, uint32_t units)
    {
        xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                            request.property, type, format, units, data);
        notify(request, request.property);
    }

    void notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
    {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(connection.get(), 0, request.requestor, 0,
                       reinterpret_cast<const char *>(&notify));
        xcb_flush(connection.get());
    }

    // Waits for the requestor to delete the property (it wants the next piece); false after
    // `idleMs` without that.
    bool waitForDeletion(xcb_window_t requestor, xcb_atom_t property, int idleMs)
    {
        const auto deadline = x11::Clock::now() + std::chrono::milliseconds(idleMs);
        while (auto event = connection.waitForEvent(deadline)) {
            if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                continue;
            const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event.get());
            if (notify->window == requestor && notify->atom == property &&
                notify->state == XCB_PROPERTY_DELETE)
                return true;
        }
        return false;
    }

    void watch(xcb_window_t requestor)
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection.get(), requestor, XCB_CW_EVENT_MASK, &mask);
    }

    Connection connection;
    xcb_atom_t clipboard, targets, incr, utf8;
    xcb_window_t window;
};

int misbehave(const QString &mode)
{
    RawOwner owner;
    if (!owner.connection.isValid())
        return 2;
    say("ready");
    const xcb_atom_t big = owner.connection.atom(QStringLiteral("application/x-big"));
    const xcb_atom_t png = owner.connection.atom(QStringLiteral("image/png"));
    const xcb_atom_t plain = owner.connection.atom(QStringLiteral("text/plain"));
    std::vector<xcb_atom_t> texts;
    for (const char *name : {"UTF8_STRING", "STRING", "TEXT", "text/plain;charset=utf-8",
                             "text/plain", "text/html", "text/uri-list", "COMPOUND_TEXT"})
        texts.push_back(owner.connection.atom(QString::fromLatin1(name)));
    for (;;) {
        const xcb_selection_request_event_t request = owner.nextRequest();
        if (mode == u"stall")
            continue;
        if (request.target == owner.targets) {
            if (mode == u"garbage-targets") {
                const char junk[] = "\x01\x02\x03 not atoms at all";
                owner.answer(request, XCB_ATOM_STRING, 8, junk, sizeof junk);
            } else if (mode == u"bogus-atoms") {
                const uint32_t atoms[] = {0x7ffffff0, owner.utf8, 0x7ffffff1, 0, 0x7ffffff2};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 5);
            } else if (mode == u"slow") {
                const uint32_t atoms[] = {owner.targets, owner.utf8};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 2);
                say("asked");
            } else if (mode == u"targets-only" || mode == u"trickle" || mode == u"destroy-window") {
                const uint32_t atoms[] = {owner.targets, owner.utf8};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 2);
            } else if (mode == u"wrong-format") {
                const uint32_t atoms[] = {owner.targets, owner.utf8, plain};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 3);
            } else if (mode == u"invalid-utf8") {
                std::vector<uint32_t> atoms{owner.targets};
                for (const xcb_atom_t text : texts)
                    atoms.push_back(text);
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms.data(), uint32_t(atoms.size()));
            } else if (mode == u"die-mid-transfer") {
                const uint32_t atoms[] = {owner.targets, owner.utf8, png};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 3);
            } else { // endless
                const uint32_t atoms[] = {owner.targets, owner.utf8, big};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 3);
            }
            continue;
        }
        if (mode == u"targets-only")
            continue;
        if (mode == u"wrong-format") {
            if (request.target == owner.utf8) {
                const uint32_t numbers[] = {1, 2, 3};
                owner.answer(request, XCB_ATOM_INTEGER, 32, numbers, 3);
            } else {
                const uint16_t units[] = {0x68, 0x69};
                owner.answer(request, owner.utf8, 16, units, 2);
            }
            continue;
        }
        if (mode == u"invalid-utf8") {
            const char invalid[] = "\xff\xfe\xc3(abc\xed\xa0\x80\xf4\x90\x80\x80 \xc0\xaf";
            owner.answer(request, request.target, 8, invalid, sizeof invalid - 1);
            continue;
        }
        if (mode == u"destroy-window") {
            xcb_destroy_window(owner.connection.get(), owner.window);
            xcb_flush(owner.connection.get());
            say("destroyed");
            ::sleep(30);
            return 0;
        }
        if (mode == u"trickle" && request.target == owner.utf8) {
            owner.watch(request.requestor);
            const uint32_t announced = 1024;
            owner.answer(request, owner.incr, 32, &announced, 1);
            qint64 sent = 0;
            const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
            while (std::chrono::steady_clock::now() < end &&
                   owner.waitForDeletion(request.requestor, request.property, 3000)) {
                ::usleep(20'000);
                xcb_change_property(owner.connection.get(), XCB_PROP_MODE_REPLACE,
                                    request.requestor, request.property, owner.utf8, 8, 1, "x");
                xcb_flush(owner.connection.get());
                ++sent;
            }
            say("sent " + QByteArray::number(sent));
            continue;
        }
        if (mode == u"bogus-atoms" && request.target == owner.utf8) {
            owner.answer(request, owner.utf8, 8, "survivor", 8);
            continue;
        }
        if (mode == u"slow" && request.target == owner.utf8) {
            ::usleep(300'000);
            owner.answer(request, owner.utf8, 8, "slow but sure", 13);
            continue;
        }
        if (mode == u"endless" && request.target == owner.utf8) {
            owner.answer(request, owner.utf8, 8, "small", 5);
            continue;
        }
        if ((mode == u"die-mid-transfer" || mode == u"endless") && request.target != owner.utf8) {
            // INCR, announcing far less than will come (or far more, for the one that dies).
            owner.watch(request.requestor);
            const uint32_t announced = mode == u"endless" ? 0 : 10 * 1024 * 1024;
            owner.answer(request, owner.incr, 32, &announced, 1);
            const QByteArray piece(256 * 1024, 'z');
            qint64 sent = 0;
            while (owner.waitForDeletion(request.requestor, request.property, 3000)) {
                if (mode == u"die-mid-transfer" && sent > 0)
                    ::_exit(0); // mid-transfer
                if (sent >= 100 * 1024 * 1024)
                    break;
                xcb_change_property(owner.connection.get(), XCB_PROP_MODE_REPLACE,
                                    request.requestor, request.property, big, 8,
                                    uint32_t(piece.size()), piece.constData());
                xcb_flush(owner.connection.get());
                sent += piece.size();
            }
            say("sent " + QByteArray::number(sent));
            continue;
        }
        owner.notify(request, XCB_ATOM_NONE); // refuse
    }
}

// A new owner every few milliseconds, each with a window and a text of its own, as a program
// that copies in a loop would make them; the requests of earlier owners are still answered.
int storm(int count, int intervalMs)
{
    RawOwner owner;
    if (!owner.connection.isValid())
        return 2;
    xcb_connection_t *c = owner.connection.get();
    QHash<xcb_window_t, QByteArray> texts;
    const auto serveRequests = [&] {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
            if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST)
                continue;
            const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event.get());
            const QByteArray text = texts.value(request.owner);
            if (request.target == owner.targets) {
                const uint32_t atoms[] = {owner.targets, owner.utf8};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 2);
            } else if (request.target == owner.utf8 && !text.isEmpty()) {
                owner.answer(request, owner.utf8, 8, text.constData(), uint32_t(text.size()));
            } else {
                owner.notify(request, XCB_ATOM_NONE);
            }
        }
    };
    say("ready");
    for (int n = 0; n < count; ++n) {
        const xcb_window_t window = owner.connection.createHiddenWindow(0);
        texts.insert(window, "storm " + QByteArray::number(n));
        xcb_set_selection_owner(c, window, owner.clipboard, XCB_CURRENT_TIME);
        xcb_flush(c);
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(intervalMs);
        while (std::chrono::steady_clock::now() < next) {
            serveRequests();
            ::usleep(500);
        }
    }
    say("last storm " + QByteArray::number(count - 1));
    for (;;) {
        pollfd descriptor{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&descriptor, 1, -1);
        if (xcb_connection_has_error(c))
            return 0;
        serveRequests();
    }
}

int copier()
{
    RawOwner owner;
    if (!owner.connection.isValid())
        return 2;
    say("ready");
    xcb_connection_t *c = owner.connection.get();
    QByteArray text;
    QByteArray pending;
    for (;;) {
        pollfd descriptors[2] = {{0, POLLIN, 0}, {xcb_get_file_descriptor(c), POLLIN, 0}};
        ::poll(descriptors, 2, -1);
        if (descriptors[0].revents) {
            char buffer[4096];
            const ssize_t got = ::read(0, buffer, sizeof buffer);
            if (got <= 0)
                return 0;
            pending.append(buffer, got);
            qsizetype end;
            while ((end = pending.indexOf('\n')) >= 0) {
                text = pending.left(end);
                pending.remove(0, end + 1);
                xcb_set_selection_owner(c, owner.window, owner.clipboard, XCB_CURRENT_TIME);
                Reply<xcb_get_input_focus_reply_t> sync(
                    xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                say("copied " +
                    QByteArray::number(
                        qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())));
            }
        }
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
            if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST)
                continue;
            const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event.get());
            if (request.target == owner.targets) {
                const uint32_t atoms[] = {owner.targets, owner.utf8};
                owner.answer(request, XCB_ATOM_ATOM, 32, atoms, 2);
            } else if (request.target == owner.utf8) {
                owner.answer(request, owner.utf8, 8, text.constData(), uint32_t(text.size()));
            } else {
                owner.notify(request, XCB_ATOM_NONE);
            }
        }
    }
}

int window(const QStringList &arguments)
{
    Connection connection;
    if (!connection.isValid() || arguments.size() < 2)
        return 2;
    xcb_connection_t *c = connection.get();
    const QByteArray wmClass = arguments[1].toLatin1() + '\0' + arguments[0].toLatin1() + '\0';
    const quint32 pid = quint32(::getpid());

    const auto makeWindow = [&](int x, int y) {
        const xcb_window_t id = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, connection.root(), x, y, 200, 120, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(wmClass.size()), wmClass.constData());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id,
                            connection.atom(QStringLiteral("_NET_WM_PID")), XCB_ATOM_CARDINAL, 32,
                            1, &pid);
        return id;
    };
    const xcb_window_t main = makeWindow(100, 100);
    const qsizetype gtk = arguments.indexOf(QStringLiteral("--gtk-id"));
    if (gtk >= 0) {
        const QByteArray id = arguments.value(gtk + 1).toUtf8();
        xcb_change_property(
            c, XCB_PROP_MODE_REPLACE, main, connection.atom(QStringLiteral("_GTK_APPLICATION_ID")),
            connection.atom(QStringLiteral("UTF8_STRING")), 8, uint32_t(id.size()), id.constData());
    }
    xcb_map_window(c, main);
    xcb_window_t shown = main;
    if (arguments.contains(QStringLiteral("--dialog"))) {
        // A dialog without a class of its own, transient for the main window.
        const xcb_window_t dialog = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, dialog, connection.root(), 150, 150, 100, 60, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, dialog, XCB_ATOM_WM_TRANSIENT_FOR,
                            XCB_ATOM_WINDOW, 32, 1, &main);
        xcb_map_window(c, dialog);
        shown = dialog;
    }
    xcb_flush(c);
    say("window " + QByteArray::number(shown));
    say("ready");
    while (Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return 2;
    const QString mode = arguments.takeFirst();
    if (mode == u"serve")
        return serve(arguments);
    if (mode == u"window")
        return window(arguments);
    if (mode == u"copier")
        return copier();
    if (mode == u"storm")
        return storm(arguments.value(0).toInt(), arguments.value(1).toInt());
    return misbehave(mode);
}
