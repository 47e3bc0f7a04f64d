#pragma once

#include "panel/KeySynth.h"

#include <QByteArray>

#include <memory>
#include <mutex>

namespace tessaly::x11 {

class Connection;

// Keystrokes through the XTest extension, on a connection of its own. The key position and the
// modifiers are translated with the keymap current at each keystroke.
class X11KeySynth : public KeySynth
{
public:
    explicit X11KeySynth(const QByteArray &display = {});
    ~X11KeySynth() override;

    bool isAvailable() const override;
    bool sendKeystroke(quint16 keyCode, quint64 modifiers) override;

private:
    std::unique_ptr<Connection> m_connection;
    bool m_hasXTest = false;
    std::mutex m_mutex;
};

} // namespace tessaly::x11
