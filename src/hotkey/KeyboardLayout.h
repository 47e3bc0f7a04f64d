#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace tessaly {

class KeyboardLayoutSource;

// Key names for the user and the keys of the current keyboard layout. Key codes are stored key
// positions (KeyPosition::V, KeyPosition::Space …), whatever the layout.
//
// The layout is read from a process-wide source that the application installs at start (the X11
// one) and tests replace with a fake; with no source installed no key types anything.
namespace KeyboardLayout {

// Fixed names of the keys that type nothing visible (or whose output would mislead: Return,
// Space); they win over the layout. 34 keys.
const QHash<quint16, QString> &specialKeys();

// The twenty function keys F1 to F20, in that order. The recorder takes them without a modifier.
const QList<quint16> &functionKeyCodes();

// What the key types on the current layout with no modifier held (letters in lower case), as
// the layout produces it; absent when it types nothing, only white space or control characters,
// or when no layout can be read. Asks the layout afresh on every call.
std::optional<QString> character(quint16 keyCode);

// The key's name for the user: the fixed name, else what it types in upper case, else "#" and
// the code ("#10"). Never empty.
QString displayName(quint16 keyCode);

// The first key position (0 to 127) whose character, lower-cased, equals `text` exactly; absent
// when none does. keyCode("v") is the key that types v on the current layout.
std::optional<quint16> keyCode(const QString &text);

// The process-wide source; null until one is installed.
std::shared_ptr<KeyboardLayoutSource> source();
// Installs the process-wide source (null removes it) and answers the one it replaces.
std::shared_ptr<KeyboardLayoutSource> setSource(std::shared_ptr<KeyboardLayoutSource> source);

// Installs a source for its lifetime and puts the previous one back afterwards (tests).
class ScopedSource
{
public:
    explicit ScopedSource(std::shared_ptr<KeyboardLayoutSource> source)
        : m_previous(setSource(std::move(source)))
    {}
    ~ScopedSource() { setSource(std::move(m_previous)); }
    ScopedSource(const ScopedSource &) = delete;
    ScopedSource &operator=(const ScopedSource &) = delete;

private:
    std::shared_ptr<KeyboardLayoutSource> m_previous;
};

} // namespace KeyboardLayout

} // namespace tessaly
