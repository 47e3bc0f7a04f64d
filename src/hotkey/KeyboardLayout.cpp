#include "hotkey/KeyboardLayout.h"

#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayoutSource.h"

#include <mutex>

namespace tessaly::KeyboardLayout {

namespace {

std::mutex sourceMutex;
std::shared_ptr<KeyboardLayoutSource> installedSource;

// Nothing a user could see: white space, line breaks, control characters.
bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace() && c.category() != QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

const QHash<quint16, QString> &specialKeys()
{
    static const QHash<quint16, QString> keys = [] {
        QHash<quint16, QString> table{
            {KeyPosition::Return, QStringLiteral("↩")},
            {KeyPosition::Tab, QStringLiteral("⇥")},
            {KeyPosition::Space, QStringLiteral("Espaço")},
            {KeyPosition::Backspace, QStringLiteral("⌫")},
            {KeyPosition::Escape, QStringLiteral("⎋")},
            {KeyPosition::ForwardDelete, QStringLiteral("⌦")},
            {KeyPosition::LeftArrow, QStringLiteral("←")},
            {KeyPosition::RightArrow, QStringLiteral("→")},
            {KeyPosition::DownArrow, QStringLiteral("↓")},
            {KeyPosition::UpArrow, QStringLiteral("↑")},
            {KeyPosition::Home, QStringLiteral("↖")},
            {KeyPosition::End, QStringLiteral("↘")},
            {KeyPosition::PageUp, QStringLiteral("⇞")},
            {KeyPosition::PageDown, QStringLiteral("⇟")},
        };
        const QList<quint16> &functionKeys = functionKeyCodes();
        for (int i = 0; i < functionKeys.size(); ++i)
            table.insert(functionKeys[i], QStringLiteral("F%1").arg(i + 1));
        return table;
    }();
    return keys;
}

const QList<quint16> &functionKeyCodes()
{
    using namespace KeyPosition;
    static const QList<quint16> codes{F1,  F2,  F3,  F4,  F5,  F6,  F7,  F8,  F9,  F10,
                                      F11, F12, F13, F14, F15, F16, F17, F18, F19, F20};
    return codes;
}

std::shared_ptr<KeyboardLayoutSource> source()
{
    std::lock_guard lock(sourceMutex);
    return installedSource;
}

std::shared_ptr<KeyboardLayoutSource> setSource(std::shared_ptr<KeyboardLayoutSource> source)
{
    std::lock_guard lock(sourceMutex);
    std::swap(installedSource, source);
    return source;
}

namespace {

std::shared_ptr<const LayoutOutputs> currentLayout()
{
    const auto layoutSource = source();
    return layoutSource ? layoutSource->currentLayout() : nullptr;
}

std::optional<QString> characterIn(const LayoutOutputs &layout, quint16 keyCode)
{
    if (keyCode >= layout.size())
        return std::nullopt;
    const QString &text = layout[keyCode];
    if (isBlank(text))
        return std::nullopt;
    return text;
}

} // namespace

std::optional<QString> character(quint16 keyCode)
{
    const auto layout = currentLayout();
    if (!layout)
        return std::nullopt;
    return characterIn(*layout, keyCode);
}

QString displayName(quint16 keyCode)
{
    const auto special = specialKeys().constFind(keyCode);
    if (special != specialKeys().cend())
        return *special;
    if (const auto text = character(keyCode))
        return text->toUpper();
    return QLatin1Char('#') + QString::number(keyCode);
}

std::optional<quint16> keyCode(const QString &text)
{
    // One reading of the layout serves all 128 keys.
    const auto layout = currentLayout();
    if (!layout)
        return std::nullopt;
    for (quint16 code = 0; code < KeyPosition::count; ++code) {
        const auto produced = characterIn(*layout, code);
        if (produced && produced->toLower() == text)
            return code;
    }
    return std::nullopt;
}

} // namespace tessaly::KeyboardLayout
