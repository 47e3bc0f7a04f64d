#include "platform/x11/X11KeyboardLayoutSource.h"

#include "platform/x11/X11Keymap.h"

#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QSet>

namespace tessaly::x11 {

X11KeyboardLayoutSource::X11KeyboardLayoutSource(const QByteArray &displayName)
    : m_connection(std::make_unique<Connection>(displayName))
{
    if (m_connection->isValid())
        m_xkbEventBase = X11Keymap::watchKeyboardChanges(m_connection->get());
}

X11KeyboardLayoutSource::~X11KeyboardLayoutSource() = default;

std::shared_ptr<const LayoutOutputs> X11KeyboardLayoutSource::currentLayout()
{
    std::lock_guard lock(m_mutex);
    if (!m_xkbEventBase || !m_connection->isValid())
        return nullptr;
    xcb_connection_t *connection = m_connection->get();

    const Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection, xcb_xkb_get_state(connection, XCB_XKB_ID_USE_CORE_KBD), nullptr));
    if (!state)
        return nullptr;
    // Events sent before the reply have arrived with it.
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_queued_event(connection)}) {
        if (X11Keymap::isKeyboardChange(event.get(), *m_xkbEventBase)) {
            m_keymap.reset();
            m_outputs.clear();
        }
    }
    if (!m_keymap) {
        m_keymap = X11Keymap::read(connection);
        if (!m_keymap)
            return nullptr;
    }

    const uint32_t layouts = m_keymap->layoutCount();
    if (layouts == 0)
        return nullptr;
    const uint32_t active = state->lockedGroup < layouts ? state->lockedGroup : 0;
    auto outputs = outputsOf(active);
    if (typesAsciiLetters(*outputs))
        return outputs;
    for (uint32_t layout = 0; layout < layouts; ++layout) {
        if (layout == active)
            continue;
        auto other = outputsOf(layout);
        if (typesAsciiLetters(*other))
            return other;
    }
    return outputs;
}

std::shared_ptr<const LayoutOutputs> X11KeyboardLayoutSource::outputsOf(uint32_t layout)
{
    auto &cached = m_outputs[layout];
    if (!cached)
        cached = std::make_shared<const LayoutOutputs>(m_keymap->outputs(layout));
    return cached;
}

bool X11KeyboardLayoutSource::typesAsciiLetters(const LayoutOutputs &outputs)
{
    // Most of the Latin alphabet on unshifted keys; a few letters may live elsewhere (AZERTY's
    // M, a national layout's missing W).
    QSet<QChar> letters;
    for (const QString &text : outputs) {
        if (text.size() == 1 && text.at(0) >= u'a' && text.at(0) <= u'z')
            letters.insert(text.at(0));
    }
    return letters.size() >= 20;
}

} // namespace tessaly::x11
