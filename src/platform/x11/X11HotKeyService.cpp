#include "platform/x11/X11HotKeyService.h"

#include "platform/x11/X11Keymap.h"

#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QSocketNotifier>

#include <algorithm>

namespace tessaly::x11 {

namespace {
// Longer than any keyboard's delay before it starts repeating.
constexpr xcb_timestamp_t repeatGapMs = 1500;
} // namespace

X11HotKeyService::X11HotKeyService(const QByteArray &displayName, QObject *parent) : QObject(parent)
{
    m_connection = std::make_unique<Connection>(displayName);
    if (!m_connection->isValid()) {
        m_connection.reset();
        return;
    }
    xcb_connection_t *connection = m_connection->get();
    m_root = m_connection->root();
    m_xkbEventBase = X11Keymap::watchKeyboardChanges(connection);
    if (m_xkbEventBase) {
        // A held hot key repeats as presses without releases, so a repeat can be told apart.
        const Reply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
            connection,
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
            nullptr));
    }
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKeyService::readEvents);
    // Replies waited for above may have brought events along.
    scheduleRead();
}

X11HotKeyService::~X11HotKeyService() = default;

bool X11HotKeyService::isConnected() const
{
    return m_connection && m_connection->isValid() && m_root != XCB_NONE;
}

bool X11HotKeyService::grab(const HotKeyCombo &combo)
{
    ungrab();
    if (!isConnected() || !m_xkbEventBase)
        return false;
    xcb_connection_t *connection = m_connection->get();

    // The keyboard as it is now: the physical key's keycode and the modifiers' bits may have
    // moved since the last grab.
    const auto keymap = X11Keymap::read(connection);
    scheduleRead();
    if (!keymap)
        return false;
    const auto keyCode = keymap->x11KeyCode(combo.keyCode);
    const auto modifiers = keymap->x11Modifiers(combo.modifiers);
    if (!keyCode || !modifiers)
        return false;

    QList<KeyGrab> variants;
    for (const uint16_t lock : {uint16_t(0), keymap->numLockMask(), uint16_t(XCB_MOD_MASK_LOCK),
                                uint16_t(keymap->numLockMask() | XCB_MOD_MASK_LOCK)}) {
        const KeyGrab variant{*keyCode, uint16_t(*modifiers | lock)};
        if (!variants.contains(variant))
            variants.append(variant);
    }

    QList<xcb_void_cookie_t> cookies;
    for (const KeyGrab &variant : variants) {
        cookies.append(xcb_grab_key_checked(connection, 0, m_root, variant.modifiers,
                                            variant.keyCode, XCB_GRAB_MODE_ASYNC,
                                            XCB_GRAB_MODE_ASYNC));
    }
    bool accepted = true;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (Reply<xcb_generic_error_t> error{xcb_request_check(connection, cookie)})
            accepted = false;
    }
    scheduleRead();
    m_grabs = variants;
    if (!accepted) {
        // Ungrabbing touches only this client's grabs, never the other client's.
        ungrab();
        return false;
    }
    m_keyDown = false;
    return true;
}

void X11HotKeyService::ungrab()
{
    if (m_grabs.isEmpty())
        return;
    if (isConnected()) {
        // Waits until the server has released them: what another client does next (a
        // synthetic keystroke, a grab of its own) must find the keys free.
        xcb_connection_t *connection = m_connection->get();
        QList<xcb_void_cookie_t> cookies;
        for (const KeyGrab &variant : std::as_const(m_grabs)) {
            cookies.append(
                xcb_ungrab_key_checked(connection, variant.keyCode, m_root, variant.modifiers));
        }
        for (const xcb_void_cookie_t &cookie : cookies)
            Reply<xcb_generic_error_t> error{xcb_request_check(connection, cookie)};
        scheduleRead();
    }
    m_grabs.clear();
    m_keyDown = false;
}

void X11HotKeyService::scheduleRead()
{
    // Events that arrived with a reply sit in xcb's queue, where the socket notifier cannot see
    // them; read them from the event loop, never from inside the caller.
    if (m_readScheduled)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(this, &X11HotKeyService::readEvents, Qt::QueuedConnection);
}

void X11HotKeyService::readEvents()
{
    m_readScheduled = false;
    if (!m_connection)
        return;
    xcb_connection_t *connection = m_connection->get();
    if (xcb_connection_has_error(connection)) {
        // The display went away; nothing more will come.
        m_notifier->setEnabled(false);
        return;
    }
    bool keyboardChanged = false;
    int presses = 0;
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event.get());
            const bool ours = std::any_of(m_grabs.cbegin(), m_grabs.cend(), [&](const KeyGrab &g) {
                return g.keyCode == key->detail;
            });
            if (!ours)
                continue;
            // A press while already down is the key repeating, as long as presses keep coming
            // at the repeat rate: after a longer pause the release was missed (it went to
            // another client while the grab was lifted) and this is a new press.
            const bool repeating = m_keyDown && key->time - m_lastKeyTime < repeatGapMs;
            m_lastKeyTime = key->time;
            if (type == XCB_KEY_RELEASE) {
                m_keyDown = false;
            } else if (!repeating) {
                m_keyDown = true;
                ++presses;
            }
        } else if (m_xkbEventBase && X11Keymap::isKeyboardChange(event.get(), *m_xkbEventBase)) {
            keyboardChanged = true;
        }
    }
    // The callbacks may grab again (round trips), so they run once the queue is drained.
    if (keyboardChanged && onKeyboardChanged)
        onKeyboardChanged();
    for (; presses > 0 && onPressed; --presses)
        onPressed();
}

} // namespace tessaly::x11
