#pragma once

#include "panel/KeySynth.h"

#include <QByteArray>

#include <chrono>
#include <memory>
#include <mutex>

namespace tessaly::wayland {

// Keystrokes through the compositor's virtual-keyboard protocol (wlroots compositors), on a
// connection of its own. The keyboard carries the seat's current keymap, so a key position
// means the same key as on the user's keyboard; the modifiers are a state of this keyboard
// alone, so modifiers the user still holds do not join the keystroke.
class VirtualKeyboard : public KeySynth
{
public:
    // Connects to the compositor (empty: $WAYLAND_DISPLAY) and creates the keyboard, waiting at
    // most `timeout` for the compositor. isAvailable() says whether it could.
    explicit VirtualKeyboard(const QByteArray &display = {},
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
    ~VirtualKeyboard() override;

    bool isAvailable() const override;
    bool sendKeystroke(quint16 keyCode, quint64 modifiers) override;

    struct State;

private:
    std::unique_ptr<State> m_state;
    mutable std::mutex m_mutex;
};

} // namespace tessaly::wayland
