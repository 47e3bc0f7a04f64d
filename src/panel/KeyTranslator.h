#pragma once

#include "panel/PanelKey.h"

#include <optional>

namespace tessaly {

// Turns the window system's key events into PanelKeys.
class KeyTranslator
{
public:
    virtual ~KeyTranslator() = default;

    // Reads the keyboard's current mapping again (called at every opening of the panel).
    virtual void refresh() = 0;
    // The key of a native key event; absent for keys without a stored position.
    virtual std::optional<PanelKey> translate(quint32 nativeScanCode,
                                              quint32 nativeModifiers) const = 0;
};

} // namespace tessaly
