#pragma once

#include <QString>

#include <optional>

namespace tessaly {

// A key press as the panel's key table reads it: the stored key position (36 Return, 53 Escape,
// 9 the V key …), the modifier flags held (command = Ctrl, shift, option = Alt, control =
// Super), and what the key types with no modifier, lower-cased ("p", "3", ","; empty for keys
// that type nothing).
struct PanelKey
{
    quint16 keyCode = 0;
    quint64 modifiers = 0;
    QString characters;
};

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
