#include "panel/PasteService.h"

#include "capture/ClipboardMonitor.h"
#include "capture/Pasteboard.h"
#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "panel/KeySynth.h"

#include <QSet>

#include <optional>

namespace tessaly {

namespace {

// The V key of a US keyboard: the paste key when no key of the current layout types "v".
constexpr quint16 fallbackVKey = KeyPosition::V;

// Terminal emulators by the last part of their id or their window class, lower-cased.
const QSet<QString> &knownTerminals()
{
    static const QSet<QString> names = {
        QStringLiteral("xterm"),
        QStringLiteral("uxterm"),
        QStringLiteral("debian-xterm"),
        QStringLiteral("debian-uxterm"),
        QStringLiteral("gnome-terminal"),
        QStringLiteral("gnome-terminal-server"),
        QStringLiteral("terminal"),
        QStringLiteral("konsole"),
        QStringLiteral("kitty"),
        QStringLiteral("alacritty"),
        QStringLiteral("terminator"),
        QStringLiteral("tilix"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("wezterm"),
        QStringLiteral("wezterm-gui"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("urxvt"),
        QStringLiteral("rxvt"),
        QStringLiteral("rxvt-unicode"),
        QStringLiteral("st"),
        QStringLiteral("st-256color"),
        QStringLiteral("qterminal"),
        QStringLiteral("lxterminal"),
        QStringLiteral("mate-terminal"),
        QStringLiteral("sakura"),
        QStringLiteral("guake"),
        QStringLiteral("yakuake"),
        QStringLiteral("tilda"),
        QStringLiteral("terminology"),
        QStringLiteral("cool-retro-term"),
        QStringLiteral("deepin-terminal"),
        QStringLiteral("kgx"),
        QStringLiteral("console"),
        QStringLiteral("ptyxis"),
        QStringLiteral("ghostty"),
        QStringLiteral("eterm"),
        QStringLiteral("termite"),
    };
    return names;
}

} // namespace

PasteService::PasteService(HistoryStore &store, ClipboardMonitor &monitor, Pasteboard &pasteboard,
                           KeySynth &keys, GlobalHotKey *hotKey)
    : m_store(store), m_monitor(monitor), m_pasteboard(pasteboard), m_keys(keys), m_hotKey(hotKey)
{}

bool PasteService::write(const ClipItem &item, bool plainText)
{
    const std::optional<ClipPayload> payload = m_store.payload(item.id);

    bool written = false;
    if (plainText) {
        if (const auto text = plainString(item, payload)) {
            m_pasteboard.clearContents();
            m_pasteboard.setString(*text);
            written = true;
        }
    }
    if (!written && payload && !payload->items.isEmpty()) {
        m_pasteboard.clearContents();
        m_pasteboard.writeItems(payload->items);
        written = true;
    }
    if (!written) {
        // No usable snapshot: the paths of a file entry, else its text.
        std::optional<QString> text;
        if (item.kind == ClipKind::File && item.filePaths && !item.filePaths->isEmpty())
            text = item.filePaths->join(u'\n');
        else if (item.text)
            text = item.textString();
        if (!text)
            return false;
        m_pasteboard.clearContents();
        m_pasteboard.setString(*text);
    }
    m_monitor.setOwnChangeCount(m_pasteboard.changeCount());
    return true;
}

std::optional<QString> PasteService::plainString(const ClipItem &item,
                                                 const std::optional<ClipPayload> &payload) const
{
    if (item.kind == ClipKind::File && item.filePaths && !item.filePaths->isEmpty())
        return item.filePaths->join(u'\n');
    if (payload) {
        for (const PayloadItem &snapshotItem : payload->items) {
            if (auto text = m_pasteboard.plainString(snapshotItem))
                return text;
        }
    }
    return item.textString();
}

bool PasteService::isTerminal(const RunningApplication &application)
{
    if (application.terminalEmulator)
        return true;
    if (!application.bundleID)
        return false;
    const QString id = application.bundleID->toLower();
    const QString lastPart = id.section(u'.', -1);
    return knownTerminals().contains(id) || knownTerminals().contains(lastPart);
}

void PasteService::sendPasteKeystroke(const std::optional<RunningApplication> &target)
{
    const quint16 key = KeyboardLayout::keyCode(QStringLiteral("v")).value_or(fallbackVKey);
    quint64 modifiers = HotKeyCombo::commandFlag;
    if (target && isTerminal(*target))
        modifiers |= HotKeyCombo::shiftFlag;

    // The keystroke is the registered hot key itself (Ctrl+Shift+V into a terminal, with the
    // default combination): our own grab would take it.
    const HotKeyCombo keystroke(key, modifiers);
    std::optional<GlobalHotKey::Suspension> quiet;
    if (m_hotKey && m_hotKey->combination() &&
        m_hotKey->combination()->keyCode == keystroke.keyCode &&
        (m_hotKey->combination()->modifiers & HotKeyCombo::significantFlags) == modifiers)
        quiet.emplace(*m_hotKey);
    m_keys.sendKeystroke(key, modifiers);
}

} // namespace tessaly
