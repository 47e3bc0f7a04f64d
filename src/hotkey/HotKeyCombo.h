#pragma once

#include "hotkey/KeyPosition.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <optional>

namespace tessaly {

// The global shortcut: a physical key position (the stored key code, one of KeyPosition's) and
// modifier flag bits. Stored and compared in this encoding everywhere; the X11 layer
// translates at its edge.
struct HotKeyCombo
{
    Q_GADGET
    Q_PROPERTY(int keyCode READ keyCodeValue CONSTANT)
    Q_PROPERTY(qulonglong modifiers READ modifiersValue CONSTANT)
    // Follows the keyboard layout: read it again when the layout may have changed.
    Q_PROPERTY(QString displayString READ displayString)

public:
    static constexpr quint64 shiftFlag = 0x20000;
    static constexpr quint64 controlFlag = 0x40000;
    static constexpr quint64 optionFlag = 0x80000;
    static constexpr quint64 commandFlag = 0x100000;
    // The four bits that carry meaning.
    static constexpr quint64 significantFlags = shiftFlag | controlFlag | optionFlag | commandFlag;

    static constexpr quint16 defaultKeyCode = KeyPosition::V;
    static constexpr quint64 defaultModifiers = commandFlag | shiftFlag;

    quint16 keyCode = defaultKeyCode;
    quint64 modifiers = defaultModifiers;

    constexpr HotKeyCombo() = default;
    constexpr HotKeyCombo(quint16 key, quint64 mods) : keyCode(key), modifiers(mods) {}

    // ⇧⌘V: the V key with command and shift.
    static constexpr HotKeyCombo defaultCombo() { return {}; }

    bool hasShift() const { return modifiers & shiftFlag; }
    bool hasControl() const { return modifiers & controlFlag; }
    bool hasOption() const { return modifiers & optionFlag; }
    bool hasCommand() const { return modifiers & commandFlag; }

    // Text for the user: the symbols of the modifiers held, always in the order ⌃ ⌥ ⇧ ⌘, then
    // the key's name on the current layout, with nothing between them: ⇧⌘V, ⌃⌘Espaço, F1.
    QString displayString() const;

    // The hot-key service's mask: command 0x100, shift 0x200, option 0x800, control 0x1000.
    quint32 hotKeyModifierMask() const;

    // {"keyCode":9,"modifiers":1179648}
    QByteArray toJson() const;
    // Both members are required and range-checked; other members are ignored. Any failure
    // fails the whole decode.
    static std::optional<HotKeyCombo> fromJson(const QByteArray &json);

    friend constexpr bool operator==(const HotKeyCombo &, const HotKeyCombo &) = default;

private:
    int keyCodeValue() const { return keyCode; }
    qulonglong modifiersValue() const { return modifiers; }
};

} // namespace tessaly

Q_DECLARE_METATYPE(tessaly::HotKeyCombo)
