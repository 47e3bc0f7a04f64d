#include "hotkey/HotKeyCombo.h"

#include "hotkey/KeyboardLayout.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace tessaly {

namespace {

// A JSON number that is a whole number in [0, max]; absent otherwise.
std::optional<quint64> readUnsigned(const QJsonValue &value, quint64 max)
{
    if (!value.isDouble())
        return std::nullopt;
    const qint64 a = value.toInteger(-1);
    const qint64 b = value.toInteger(-2);
    if (a == b) {
        if (a < 0 || quint64(a) > max)
            return std::nullopt;
        return quint64(a);
    }
    // Beyond qint64: only a whole double below 2^64 can still fit the 64-bit field.
    const double d = value.toDouble();
    if (d >= 9223372036854775808.0 && d < 18446744073709551616.0 && std::floor(d) == d &&
        max == std::numeric_limits<quint64>::max())
        return quint64(d);
    return std::nullopt;
}

} // namespace

QString HotKeyCombo::displayString() const
{
    QString text;
    if (hasControl())
        text += QStringLiteral("⌃");
    if (hasOption())
        text += QStringLiteral("⌥");
    if (hasShift())
        text += QStringLiteral("⇧");
    if (hasCommand())
        text += QStringLiteral("⌘");
    return text + KeyboardLayout::displayName(keyCode);
}

quint32 HotKeyCombo::hotKeyModifierMask() const
{
    quint32 mask = 0;
    if (hasCommand())
        mask |= 0x100;
    if (hasOption())
        mask |= 0x800;
    if (hasControl())
        mask |= 0x1000;
    if (hasShift())
        mask |= 0x200;
    return mask;
}

QByteArray HotKeyCombo::toJson() const
{
    return "{\"keyCode\":" + QByteArray::number(keyCode) +
           ",\"modifiers\":" + QByteArray::number(modifiers) + "}";
}

std::optional<HotKeyCombo> HotKeyCombo::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto key = readUnsigned(object.value(QLatin1String("keyCode")), 0xFFFF);
    const auto mods =
        readUnsigned(object.value(QLatin1String("modifiers")), std::numeric_limits<quint64>::max());
    if (!key || !mods)
        return std::nullopt;
    return HotKeyCombo(quint16(*key), *mods);
}

} // namespace tessaly
