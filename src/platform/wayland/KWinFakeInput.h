#pragma once

#include "panel/KeySynth.h"

#include <QByteArray>

#include <chrono>
#include <memory>
#include <mutex>

namespace tessaly::wayland {

// Keystrokes through KWin's fake-input protocol (KDE Plasma), on a connection of its own. KWin
// offers the protocol only to programs whose installed desktop entry asks for it
// (X-KDE-Wayland-Interfaces). Keys are pressed as a keyboard presses them, modifiers included,
// and KWin reads them with the user's own keymap.
class KWinFakeInput : public KeySynth
{
public:
    explicit KWinFakeInput(const QByteArray &display = {},
                           std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
    ~KWinFakeInput() override;

    bool isAvailable() const override;
    bool sendKeystroke(quint16 keyCode, quint64 modifiers) override;

    struct State;

private:
    std::unique_ptr<State> m_state;
    mutable std::mutex m_mutex;
};

} // namespace tessaly::wayland
