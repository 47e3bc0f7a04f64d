#pragma once

#include "hotkey/KeyboardLayoutSource.h"
#include "platform/x11/XcbConnection.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaly::x11 {

class X11Keymap;

// The keyboard layout of an X display, through xkbcommon-x11 on a connection of its own.
//
// Every call asks the server for the current group, and the reply proves that every keymap
// change made before the call has been announced to this connection: a changed keymap is read
// again at once, an unchanged one is reused. So a layout switch is seen by the very next call,
// and a call on an unchanged keyboard costs one round trip.
//
// The layout used is the active group when it types ASCII letters, else the first group that
// does (a Russian + US keymap gives the US group), else the active group.
class X11KeyboardLayoutSource : public KeyboardLayoutSource
{
public:
    // Connects to the named display (DISPLAY when empty); without a display every call answers
    // null.
    explicit X11KeyboardLayoutSource(const QByteArray &displayName = {});
    ~X11KeyboardLayoutSource() override;

    std::shared_ptr<const LayoutOutputs> currentLayout() override;

private:
    std::shared_ptr<const LayoutOutputs> outputsOf(uint32_t layout);
    static bool typesAsciiLetters(const LayoutOutputs &outputs);

    std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection;
    std::optional<uint8_t> m_xkbEventBase;
    std::unique_ptr<X11Keymap> m_keymap;
    std::map<uint32_t, std::shared_ptr<const LayoutOutputs>> m_outputs;
};

} // namespace tessaly::x11
