#pragma once

#include "history/ClipText.h"
#include "history/Instant.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <optional>
#include <utility>

namespace tessaly {

// What sort of content a history entry holds. Stored by the strings of clipKindName().
enum class ClipKind
{
    Text,
    Link,
    Color,
    Image,
    File
};

QString clipKindName(ClipKind kind);
std::optional<ClipKind> clipKindFromName(QStringView name);

// The canonical text of an entry id: 36 characters, upper-case hexadecimal, 8-4-4-4-12.
QString uuidText(const QUuid &id);
// Accepts exactly the canonical layout, in either letter case; anything else is absent.
std::optional<QUuid> uuidFromText(QStringView text);

// All representations of one clipboard item: type identifier → raw bytes. Each type appears at
// most once; the order of insertion is kept (it carries no meaning, but writing the item back in
// the order it was captured keeps the clipboard as the copying application offered it).
class PayloadItem
{
public:
    using Representation = std::pair<QString, QByteArray>;

    void insert(const QString &type, const QByteArray &data);
    bool contains(const QString &type) const;
    std::optional<QByteArray> value(const QString &type) const;
    QStringList types() const;
    const QList<Representation> &representations() const { return m_representations; }
    bool isEmpty() const { return m_representations.isEmpty(); }
    qsizetype size() const { return m_representations.size(); }
    qint64 byteSize() const;

    // Dictionary equality: the same types with the same bytes, in any order.
    friend bool operator==(const PayloadItem &a, const PayloadItem &b);

private:
    QList<Representation> m_representations;
};

// The full clipboard snapshot of an entry: one PayloadItem per clipboard item that kept at least
// one representation, in the clipboard's item order.
struct ClipPayload
{
    QList<PayloadItem> items;

    qint64 byteSize() const;
    friend bool operator==(const ClipPayload &, const ClipPayload &) = default;
};

// One history entry.
struct ClipItem
{
    QUuid id;
    ClipKind kind = ClipKind::Text;
    Instant createdAt;
    Instant lastUsedAt;
    bool pinned = false;
    std::optional<ClipText> text;
    std::optional<QStringList> filePaths;
    std::optional<qint64> imageWidth;
    std::optional<qint64> imageHeight;
    bool hasRichText = false;
    std::optional<QString> sourceBundleID;
    std::optional<QString> sourceAppName;
    QString contentHash;
    qint64 byteSize = 0;

    // The text as a string, or absent.
    std::optional<QString> textString() const
    {
        return text ? std::optional<QString>(text->toString()) : std::nullopt;
    }
    // filePaths as file URLs, in order; empty when there are none.
    QList<QUrl> fileURLs() const;

    // The entry in one line, for the tray menu: "a.txt + 2" for files, "Imagem 1920 × 1080" for
    // images, else the first non-blank line of the text, cut to 48 characters and "…".
    QString menuTitle() const;

    // Whether the entry is found by a search text (taken as one piece): in its text, one of its
    // paths or its source application's name, ignoring letter case but not accents; an image
    // entry is also found by any piece of the words "imagem" and "image".
    bool matches(const QString &query) const;

    friend bool operator==(const ClipItem &, const ClipItem &) = default;
};

// What the clipboard reader hands to the store for one clipboard change.
struct Capture
{
    ClipKind kind = ClipKind::Text;
    std::optional<QString> text;
    std::optional<QStringList> filePaths;
    std::optional<qint64> imageWidth;
    std::optional<qint64> imageHeight;
    bool hasRichText = false;
    ClipPayload payload;
    std::optional<QByteArray> thumbnailPNG;
    QString hash;
    qint64 byteSize = 0;
    std::optional<QString> sourceBundleID;
    std::optional<QString> sourceAppName;

    // The decoded form of thumbnailPNG when the reader already has it, so that the store need
    // not decode the PNG again on the main thread. Never persisted.
    QImage thumbnailImage;
};

} // namespace tessaly
