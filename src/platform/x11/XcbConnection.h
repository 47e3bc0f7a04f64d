#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaly::x11 {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

// A reply or event from xcb, freed when it goes out of scope.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

using Clock = std::chrono::steady_clock;

// Atom names and numbers of one X display, shared by every connection to it. Atoms never
// change once interned, so answers are kept for the life of the program. Thread-safe.
class AtomCache
{
public:
    std::optional<xcb_atom_t> find(const QString &name) const;
    std::optional<QString> findName(xcb_atom_t atom) const;
    void insert(const QString &name, xcb_atom_t atom);

private:
    mutable std::mutex m_mutex;
    QHash<QString, xcb_atom_t> m_atoms;
    QHash<xcb_atom_t, QString> m_names;
};

// One xcb connection to the X display, with the helpers every X11 service of the program
// needs. xcb itself is thread-safe; so is everything here except waitForEvent(), which belongs
// to the one thread that handles this connection's events.
class Connection
{
public:
    // Connects to the given display, or to $DISPLAY when it is empty.
    explicit Connection(const QByteArray &display = {},
                        std::shared_ptr<AtomCache> atoms = std::make_shared<AtomCache>());
    ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isValid() const { return m_connection && !xcb_connection_has_error(m_connection); }
    xcb_connection_t *get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    const std::shared_ptr<AtomCache> &atomCache() const { return m_atoms; }
    // The display this connection went to, as given (empty for $DISPLAY).
    const QByteArray &displayName() const { return m_displayName; }

    xcb_atom_t atom(const QString &name);
    // Interns several atoms with one round trip.
    QList<xcb_atom_t> atoms(const QStringList &names);
    // The names of several atoms with one round trip; an atom that names nothing gives an empty
    // string.
    QStringList atomNames(const QList<xcb_atom_t> &atoms);

    // A window property, whole, up to maxBytes; absent when the window or the property does
    // not exist or is longer.
    struct Property
    {
        xcb_atom_t type = XCB_ATOM_NONE;
        uint8_t format = 0;
        QByteArray bytes;
    };
    std::optional<Property> property(xcb_window_t window, xcb_atom_t property,
                                     qint64 maxBytes = 1 << 20);
    std::optional<QString> stringProperty(xcb_window_t window, xcb_atom_t property);
    std::optional<quint32> cardinalProperty(xcb_window_t window, xcb_atom_t property);

    // Creates a window that is never shown, for owning and requesting selections.
    xcb_window_t createHiddenWindow(uint32_t eventMask);

    // The first query of an extension's first event number (0 when absent).
    uint8_t firstEvent(xcb_extension_t *extension);

    // Waits for the next event until the deadline; null on timeout or when the connection
    // broke.
    Reply<xcb_generic_event_t> waitForEvent(Clock::time_point deadline);

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    QByteArray m_displayName;
    std::shared_ptr<AtomCache> m_atoms;
};

} // namespace tessaly::x11
