#include "history/HistoryStore.h"

#include "history/IndexCoding.h"
#include "history/PayloadCoding.h"
#include "history/PrivateFiles.h"
#include "history/ThumbnailCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace tessaly {

HistoryStore::HistoryStore(const QString &directory, QObject *parent)
    : QObject(parent), m_directory(directory),
      m_payloadDirectory(directory + QStringLiteral("/Items")),
      m_indexPath(directory + QStringLiteral("/history.json")),
      m_clock(&Instant::now),
      m_latestIndexGeneration(std::make_shared<std::atomic<quint64>>(0)),
      m_io(std::make_unique<SerialQueue>(QStringLiteral("br.com.norvale.tessaly.io")))
{
    // A failure to create is not fatal here: every later write simply fails and is ignored.
    PrivateFiles::ensureDirectory(m_directory);
    PrivateFiles::ensureDirectory(m_payloadDirectory);
}

HistoryStore::~HistoryStore()
{
    m_io.reset(); // runs what is queued, then joins
}

HistoryStore &HistoryStore::shared()
{
    static HistoryStore *store = new HistoryStore(defaultDirectory());
    return *store;
}

QString HistoryStore::defaultDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Tessaly");
}

const ClipItem *HistoryStore::item(const QUuid &id) const
{
    const qsizetype index = indexOf(id);
    return index < 0 ? nullptr : &m_items[index];
}

QString HistoryStore::payloadPath(const QUuid &id) const
{
    return m_payloadDirectory + u'/' + uuidText(id) + QStringLiteral(".plist");
}

QString HistoryStore::thumbnailPath(const QUuid &id) const
{
    return m_payloadDirectory + u'/' + uuidText(id) + QStringLiteral("-thumb.png");
}

void HistoryStore::setLimitProvider(LimitProvider provider)
{
    m_limit = std::move(provider);
}

void HistoryStore::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

qsizetype HistoryStore::indexOf(const QUuid &id) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].id == id)
            return i;
    }
    return -1;
}

void HistoryStore::sortItems()
{
    std::stable_sort(m_items.begin(), m_items.end(), [](const ClipItem &a, const ClipItem &b) {
        if (a.pinned != b.pinned)
            return a.pinned;
        return a.lastUsedAt > b.lastUsedAt;
    });
}

QList<ClipItem> HistoryStore::trimmed()
{
    const qint64 limit = std::max<qint64>(m_limit ? m_limit() : 1, 1);
    QList<ClipItem> removed;
    qint64 unpinned = 0;
    QList<ClipItem> kept;
    kept.reserve(m_items.size());
    for (const ClipItem &entry : std::as_const(m_items)) {
        if (!entry.pinned && ++unpinned > limit)
            removed.append(entry);
        else
            kept.append(entry);
    }
    if (!removed.isEmpty())
        m_items = std::move(kept);
    return removed;
}

void HistoryStore::save(const QList<ClipItem> &removed)
{
    QStringList paths;
    paths.reserve(removed.size() * 2);
    for (const ClipItem &entry : removed) {
        paths.append(payloadPath(entry.id));
        paths.append(thumbnailPath(entry.id));
        ThumbnailCache::shared().remove(entry.id);
    }
    // The bytes are produced off the main thread, from an array of the queue's own. A shared
    // copy would cost only a reference count, but once the task had dropped it the main thread
    // would sort and edit the list in place with nothing ordering those writes after the task's
    // reads (Qt's copy-on-write check is a relaxed load). The entries' strings stay shared: the
    // store only ever replaces them.
    QList<ClipItem> items = m_items;
    items.detach();
    const quint64 generation = ++*m_latestIndexGeneration;
    m_io->async([items = std::move(items), path = m_indexPath, paths, generation,
                 latest = m_latestIndexGeneration] {
        // A later write, already queued, supersedes this one; but the files of removed entries
        // go only once an index that no longer names them is on disk (a program killed in
        // between must not leave an index whose entries have no snapshot).
        if (generation == latest->load() || !paths.isEmpty())
            PrivateFiles::writeAtomically(path, IndexCoding::encodeIndex(items));
        for (const QString &file : paths)
            QFile::remove(file); // a file that never existed is simply skipped
    });
}

void HistoryStore::removeLeftovers(const QList<ClipItem> &entries)
{
    // A program killed while it wrote leaves the temporary files of its atomic writes (the
    // target's name and a suffix), and snapshots whose entry never reached the index.
    QSet<QString> kept;
    for (const ClipItem &entry : entries) {
        kept.insert(QFileInfo(payloadPath(entry.id)).fileName());
        kept.insert(QFileInfo(thumbnailPath(entry.id)).fileName());
    }
    m_io->async([kept, directory = m_directory, payloads = m_payloadDirectory,
                 index = QFileInfo(m_indexPath).fileName()] {
        QDir history(directory);
        for (const QString &name : history.entryList({index + QStringLiteral(".*")}, QDir::Files))
            history.remove(name);
        QDir items(payloads);
        for (const QString &name : items.entryList(QDir::Files | QDir::Hidden)) {
            if (!kept.contains(name))
                items.remove(name);
        }
    });
}

void HistoryStore::load()
{
    const auto bytes = PrivateFiles::readAll(m_indexPath, maxIndexBytes);
    // A missing or unreadable index keeps every file of the folder, for whoever repairs it.
    if (!bytes)
        return;
    auto decoded = IndexCoding::decodeIndex(*bytes);
    if (!decoded)
        return;

    QList<ClipItem> kept;
    kept.reserve(decoded->size());
    for (ClipItem &entry : *decoded) {
        if (QFileInfo::exists(payloadPath(entry.id)))
            kept.append(std::move(entry));
    }
    m_items = std::move(kept);
    sortItems();
    removeLeftovers(m_items);
    const QList<ClipItem> removed = trimmed();
    if (!removed.isEmpty())
        save(removed);
    Q_EMIT itemsChanged();
}

void HistoryStore::add(const Capture &capture)
{
    const Instant now = m_clock();

    for (ClipItem &entry : m_items) {
        if (entry.contentHash != capture.hash)
            continue;
        entry.lastUsedAt = now;
        if (capture.sourceBundleID) {
            entry.sourceBundleID = capture.sourceBundleID;
            entry.sourceAppName = capture.sourceAppName;
        }
        sortItems();
        save();
        Q_EMIT itemsChanged();
        return;
    }

    ClipItem entry;
    entry.id = QUuid::createUuid();
    entry.kind = capture.kind;
    entry.createdAt = now;
    entry.lastUsedAt = now;
    entry.pinned = false;
    entry.text = capture.text;
    entry.filePaths = capture.filePaths;
    entry.imageWidth = capture.imageWidth;
    entry.imageHeight = capture.imageHeight;
    entry.hasRichText = capture.hasRichText;
    entry.sourceBundleID = capture.sourceBundleID;
    entry.sourceAppName = capture.sourceAppName;
    entry.contentHash = capture.hash;
    entry.byteSize = capture.byteSize;

    if (capture.thumbnailPNG) {
        QImage thumbnail = capture.thumbnailImage;
        if (thumbnail.isNull())
            thumbnail = QImage::fromData(*capture.thumbnailPNG, "PNG");
        if (!thumbnail.isNull())
            ThumbnailCache::shared().put(entry.id, thumbnail);
    }

    m_io->async([self = QPointer<HistoryStore>(this), payload = capture.payload,
                 thumbnail = capture.thumbnailPNG, payloadFile = payloadPath(entry.id),
                 thumbnailFile = thumbnailPath(entry.id)] {
        const auto bytes = PayloadCoding::encode(payload);
        if (!bytes || !PrivateFiles::writeAtomically(payloadFile, *bytes)) {
            // A full disk, a folder taken away: the alert sound tells the user.
            QMetaObject::invokeMethod(
                self.data(),
                [self] {
                    if (self)
                        Q_EMIT self->entryNotWritten();
                },
                Qt::QueuedConnection);
            return;
        }
        if (thumbnail)
            PrivateFiles::writeAtomically(thumbnailFile, *thumbnail);
    });

    m_items.prepend(std::move(entry));
    sortItems();
    const QList<ClipItem> removed = trimmed();
    save(removed);
    Q_EMIT itemsChanged();
}

void HistoryStore::togglePin(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    m_items[index].pinned = !m_items[index].pinned;
    sortItems();
    const QList<ClipItem> removed = trimmed();
    save(removed);
    Q_EMIT itemsChanged();
}

void HistoryStore::remove(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    const ClipItem removed = m_items.takeAt(index);
    save({removed});
    Q_EMIT itemsChanged();
}

void HistoryStore::markUsed(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    m_items[index].lastUsedAt = m_clock();
    sortItems();
    save();
    Q_EMIT itemsChanged();
}

void HistoryStore::clear(bool keepPinned)
{
    QList<ClipItem> removed;
    QList<ClipItem> kept;
    for (const ClipItem &entry : std::as_const(m_items)) {
        if (keepPinned && entry.pinned)
            kept.append(entry);
        else
            removed.append(entry);
    }
    m_items = std::move(kept);
    save(removed);
    Q_EMIT itemsChanged();
}

void HistoryStore::trim()
{
    const QList<ClipItem> removed = trimmed();
    if (removed.isEmpty())
        return;
    save(removed);
    Q_EMIT itemsChanged();
}

std::optional<ClipPayload> HistoryStore::payload(const QUuid &id)
{
    std::optional<ClipPayload> result;
    const QString path = payloadPath(id);
    m_io->sync([&] {
        if (const auto bytes = PrivateFiles::readAll(path, maxPayloadBytes))
            result = PayloadCoding::decode(*bytes);
    });
    return result;
}

void HistoryStore::waitForPendingWrites()
{
    m_io->drain();
}

} // namespace tessaly
