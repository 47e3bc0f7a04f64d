#pragma once

#include "panel/KeySynth.h"

#include <QList>

#include <functional>

namespace tessaly::test {

// Records the keystrokes it is asked for.
class FakeKeySynth : public KeySynth
{
public:
    struct Keystroke
    {
        quint16 keyCode;
        quint64 modifiers;
        friend bool operator==(const Keystroke &, const Keystroke &) = default;
    };

    bool isAvailable() const override { return available; }
    bool sendKeystroke(quint16 keyCode, quint64 modifiers) override
    {
        if (whileSending)
            whileSending();
        keystrokes.append({keyCode, modifiers});
        return available;
    }

    bool available = true;
    QList<Keystroke> keystrokes;
    // Runs inside sendKeystroke (to look at the world as the keystroke sees it).
    std::function<void()> whileSending;
};

} // namespace tessaly::test
