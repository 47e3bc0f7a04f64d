#pragma once

#include "history/ClipRecords.h"
#include "platform/Workspace.h"

#include <optional>

namespace tessaly {

class ClipboardMonitor;
class GlobalHotKey;
class HistoryStore;
class KeySynth;
class Pasteboard;

// Puts a history entry back on the clipboard, and synthesises the paste keystroke into the
// focused application. The only writer of the clipboard in the program: after every write it
// tells the monitor the change count the write produced, so that the write is not recorded as a
// new copy.
class PasteService
{
public:
    PasteService(HistoryStore &store, ClipboardMonitor &monitor, Pasteboard &pasteboard,
                 KeySynth &keys, GlobalHotKey *hotKey = nullptr);

    // Writes the entry's snapshot back (or only its plain text); answers false, leaving the
    // clipboard untouched, when the entry has nothing that can be written.
    bool write(const ClipItem &item, bool plainText);

    // The entry's plain text: a file entry's paths one per line, else the first snapshot item
    // with plain text, else the entry's text.
    std::optional<QString> plainString(const ClipItem &item,
                                       const std::optional<ClipPayload> &payload) const;

    // Presses the paste keystroke now: Ctrl+V on the key that types "v" in the current layout,
    // or Ctrl+Shift+V when the target is a terminal emulator (terminals do not paste on
    // Ctrl+V). The program's own hot key is lifted meanwhile, so that it cannot swallow the
    // keystroke.
    void sendPasteKeystroke(const std::optional<RunningApplication> &target);

    // Whether an application is a terminal emulator, by its desktop entry or its name.
    static bool isTerminal(const RunningApplication &application);

private:
    HistoryStore &m_store;
    ClipboardMonitor &m_monitor;
    Pasteboard &m_pasteboard;
    KeySynth &m_keys;
    GlobalHotKey *m_hotKey;
};

} // namespace tessaly
