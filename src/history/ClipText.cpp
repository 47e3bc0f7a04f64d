#include "history/ClipText.h"

#include <QLatin1StringView>

#include <algorithm>

namespace tessaly {

namespace {

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

ClipText::ClipText(const QString &text)
{
    if (fitsLatin1(text)) {
        m_latin1 = text.toLatin1();
    } else {
        m_compact = false;
        m_wide = text;
    }
}

ClipText ClipText::fromUtf8(std::string_view utf8)
{
    // Straight to Latin-1 when the bytes are ASCII and two-byte sequences for U+0080–U+00FF;
    // anything else goes through the full decoder.
    QByteArray latin1(qsizetype(utf8.size()), Qt::Uninitialized);
    qsizetype out = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = uchar(utf8[i]);
        if (byte < 0x80) {
            latin1[out++] = char(byte);
        } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size() &&
                   (uchar(utf8[i + 1]) & 0xC0) == 0x80) {
            latin1[out++] = char(((byte & 0x03) << 6) | (uchar(utf8[i + 1]) & 0x3F));
            ++i;
        } else {
            return ClipText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        }
    }
    latin1.truncate(out);
    ClipText text;
    text.m_latin1 = std::move(latin1);
    return text;
}

QString ClipText::toString() const
{
    return m_compact ? QString::fromLatin1(m_latin1) : m_wide;
}

bool ClipText::containsFolded(QStringView needle) const
{
    // Latin-1 holds no combining marks: such text is already in the composed form. A needle
    // beyond Latin-1 may still fold onto it (Ÿ onto ÿ): that rare case compares as strings.
    if (m_compact && fitsLatin1(needle))
        return QLatin1StringView(m_latin1).contains(needle, Qt::CaseInsensitive);
    if (m_compact)
        return toString().contains(needle, Qt::CaseInsensitive);
    return m_wide.normalized(QString::NormalizationForm_C).contains(needle, Qt::CaseInsensitive);
}

bool operator==(const ClipText &a, const ClipText &b)
{
    if (a.m_compact != b.m_compact)
        return false; // the form follows from the characters: different forms, different texts
    return a.m_compact ? a.m_latin1 == b.m_latin1 : a.m_wide == b.m_wide;
}

} // namespace tessaly
