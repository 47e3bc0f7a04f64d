#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <string_view>

namespace tessaly {

// The text of a history entry. Text whose every character is in Latin-1 (all of Portuguese and
// most Western text) is held one byte per character, half of what a QString takes; any other
// text as a QString. It converts to QString wherever one is wanted.
class ClipText
{
public:
    ClipText() = default;
    ClipText(const QString &text); // NOLINT(google-explicit-constructor): a text is a text
    ClipText(const char16_t *text) : ClipText(QString::fromUtf16(text)) {}
    // Decodes UTF-8 (invalid sequences as QString::fromUtf8 replaces them).
    static ClipText fromUtf8(std::string_view utf8);

    QString toString() const;
    operator QString() const { return toString(); } // NOLINT(google-explicit-constructor)

    // In UTF-16 code units, as QString::size() counts.
    qsizetype size() const { return m_compact ? m_latin1.size() : m_wide.size(); }
    bool isEmpty() const { return size() == 0; }
    // Whether the text holds `needle` (brought to the composed form), ignoring letter case but
    // not accents; the text is compared in its composed form too.
    bool containsFolded(QStringView needle) const;

    friend bool operator==(const ClipText &a, const ClipText &b);
    friend bool operator==(const ClipText &a, const QString &b) { return a == ClipText(b); }

private:
    bool m_compact = true;
    QByteArray m_latin1; // when compact
    QString m_wide;      // otherwise
};

} // namespace tessaly
