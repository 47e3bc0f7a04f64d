#include "platform/sway/SwayBindings.h"

#include "platform/keyboard/PhysicalKeys.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <xkbcommon/xkbcommon.h>

#include <algorithm>

namespace tessaly::sway::SwayBindings {

namespace {

// sway's modifier names, each under the one name used here.
QString canonicalModifier(const QString &name)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("shift"), QStringLiteral("Shift")},
        {QStringLiteral("ctrl"), QStringLiteral("Ctrl")},
        {QStringLiteral("control"), QStringLiteral("Ctrl")},
        {QStringLiteral("mod1"), QStringLiteral("Mod1")},
        {QStringLiteral("alt"), QStringLiteral("Mod1")},
        {QStringLiteral("mod4"), QStringLiteral("Mod4")},
        {QStringLiteral("super"), QStringLiteral("Mod4")},
        {QStringLiteral("lock"), QStringLiteral("Lock")},
        {QStringLiteral("mod2"), QStringLiteral("Mod2")},
        {QStringLiteral("mod3"), QStringLiteral("Mod3")},
        {QStringLiteral("mod5"), QStringLiteral("Mod5")},
    };
    return names.value(name.toLower());
}

// The command keys are Ctrl, the control keys Super, the option keys Alt.
QSet<QString> modifiersOf(const HotKeyCombo &combo)
{
    QSet<QString> modifiers;
    if (combo.modifiers & HotKeyCombo::commandFlag)
        modifiers.insert(QStringLiteral("Ctrl"));
    if (combo.modifiers & HotKeyCombo::shiftFlag)
        modifiers.insert(QStringLiteral("Shift"));
    if (combo.modifiers & HotKeyCombo::optionFlag)
        modifiers.insert(QStringLiteral("Mod1"));
    if (combo.modifiers & HotKeyCombo::controlFlag)
        modifiers.insert(QStringLiteral("Mod4"));
    return modifiers;
}

xkb_keycode_t keycodeOf(const HotKeyCombo &combo, xkb_keymap *keymap)
{
    const char *name = keyboard::PhysicalKeys::xkbKeyName(combo.keyCode);
    return name && keymap ? xkb_keymap_key_by_name(keymap, name) : XKB_KEYCODE_INVALID;
}

// The names of the symbols the key types on the first layout, lower-cased.
QSet<QString> symbolsOf(xkb_keycode_t key, xkb_keymap *keymap)
{
    QSet<QString> symbols;
    const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, 0);
    for (xkb_level_index_t level = 0; level < levels; ++level) {
        const xkb_keysym_t *syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, key, 0, level, &syms);
        for (int i = 0; i < count; ++i) {
            char name[64];
            if (xkb_keysym_get_name(syms[i], name, sizeof name) > 0)
                symbols.insert(QString::fromLatin1(name).toLower());
        }
    }
    return symbols;
}

} // namespace

std::optional<QString> bindcodeOf(const HotKeyCombo &combo, xkb_keymap *keymap)
{
    const xkb_keycode_t key = keycodeOf(combo, keymap);
    if (key == XKB_KEYCODE_INVALID)
        return std::nullopt;
    const QSet<QString> modifiers = modifiersOf(combo);
    QStringList parts;
    // A fixed order, so that the same combination is always spelled the same way.
    for (const char *modifier : {"Mod4", "Ctrl", "Mod1", "Shift"}) {
        if (modifiers.contains(QLatin1String(modifier)))
            parts.append(QLatin1String(modifier));
    }
    parts.append(QString::number(key));
    return parts.join(u'+');
}

bool isBoundIn(const QString &config, const HotKeyCombo &combo, xkb_keymap *keymap)
{
    const xkb_keycode_t key = keycodeOf(combo, keymap);
    if (key == XKB_KEYCODE_INVALID)
        return false;
    const QSet<QString> wantedModifiers = modifiersOf(combo);
    const QSet<QString> symbols = symbolsOf(key, keymap);

    static const QRegularExpression setLine(QStringLiteral(R"(^\s*set\s+(\$\S+)\s+(\S+))"));
    static const QRegularExpression bindLine(
        QStringLiteral(R"(^\s*(bindsym|bindcode)((?:\s+--\S+)*)\s+(\S+))"));
    QList<std::pair<QString, QString>> variables;
    const QStringList lines = config.split(u'\n');
    for (const QString &line : lines) {
        if (const auto set = setLine.match(line); set.hasMatch()) {
            variables.append({set.captured(1), set.captured(2)});
            continue;
        }
        const auto bind = bindLine.match(line);
        if (!bind.hasMatch())
            continue;
        QString keys = bind.captured(3);
        // The longest names first: $mod must not eat $mod2.
        std::sort(variables.begin(), variables.end(),
                  [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
        for (const auto &[name, value] : std::as_const(variables))
            keys.replace(name, value);

        QStringList parts = keys.split(u'+', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        const QString last = parts.takeLast();
        QSet<QString> modifiers;
        bool onlyModifiers = true;
        for (const QString &part : std::as_const(parts)) {
            const QString modifier = canonicalModifier(part);
            if (modifier.isEmpty()) {
                onlyModifiers = false; // a chord of several keys, or a mouse button
                break;
            }
            modifiers.insert(modifier);
        }
        if (!onlyModifiers || modifiers != wantedModifiers)
            continue;
        if (bind.captured(1) == QLatin1String("bindcode")) {
            bool number = false;
            if (last.toUInt(&number) == key && number)
                return true;
        } else if (symbols.contains(last.toLower())) {
            return true;
        }
    }
    return false;
}

} // namespace tessaly::sway::SwayBindings
