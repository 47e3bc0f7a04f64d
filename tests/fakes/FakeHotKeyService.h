#pragma once

#include "hotkey/HotKeyService.h"

#include <QList>

#include <optional>

namespace tessaly::test {

// A hot-key service that grants every combination except the refused ones, and presses on
// request. Like the system's, a press reaches the handler only while something is grabbed.
class FakeHotKeyService : public HotKeyService
{
public:
    bool grab(const HotKeyCombo &combo) override
    {
        ++grabCalls;
        grabbed.reset();
        if (refused.contains(combo))
            return false;
        grabbed = combo;
        return true;
    }

    void ungrab() override
    {
        ++ungrabCalls;
        grabbed.reset();
    }

    // The user presses the combination; answers whether it was grabbed (the handler ran).
    bool press()
    {
        if (!grabbed || !onPressed)
            return false;
        onPressed();
        return true;
    }

    void changeKeyboard()
    {
        if (onKeyboardChanged)
            onKeyboardChanged();
    }

    QList<HotKeyCombo> refused;
    std::optional<HotKeyCombo> grabbed;
    int grabCalls = 0;
    int ungrabCalls = 0;
};

} // namespace tessaly::test
