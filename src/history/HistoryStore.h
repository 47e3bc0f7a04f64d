#pragma once

#include "history/ClipRecords.h"
#include "history/SerialQueue.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tessaly {

// The clipboard history: the list of entries in display order (pinned first, then most recently
// used) and its files. Every change of the list rewrites the index file; snapshots and
// thumbnails are written and deleted on the serial I/O queue, in submission order. All
// operations belong to the main thread.
class HistoryStore : public QObject
{
    Q_OBJECT

public:
    using LimitProvider = std::function<qint64()>;
    using Clock = std::function<Instant()>;

    // Sets the paths and creates the history and "Items" directories (0700).
    explicit HistoryStore(const QString &directory, QObject *parent = nullptr);
    // Runs every queued file task before returning.
    ~HistoryStore() override;

    // The one instance, on defaultDirectory(). Created on first use, never destroyed.
    static HistoryStore &shared();
    // $XDG_DATA_HOME/Tessaly (~/.local/share/Tessaly).
    static QString defaultDirectory();

    const QList<ClipItem> &items() const { return m_items; }
    // The first entry with that id, or nullptr.
    const ClipItem *item(const QUuid &id) const;

    QString directory() const { return m_directory; }
    QString payloadDirectory() const { return m_payloadDirectory; }
    QString indexPath() const { return m_indexPath; }
    QString payloadPath(const QUuid &id) const;
    QString thumbnailPath(const QUuid &id) const;

    // The limit on unpinned entries, asked at every trim. The program gives the shared store the
    // shared settings' maxItems (main.cpp); without a provider the limit is 1.
    void setLimitProvider(LimitProvider provider);
    // The source of "now" (tests pin it).
    void setClock(Clock clock);

    // Reads the index, keeps the entries whose snapshot exists, sorts and trims.
    void load();
    // A new entry, or a refresh of the entry with the same content hash.
    void add(const Capture &capture);
    void togglePin(const QUuid &id);
    void remove(const QUuid &id);
    void markUsed(const QUuid &id);
    void clear(bool keepPinned);
    // Enforces the limit: all pinned entries and the newest max(limit, 1) unpinned ones stay.
    void trim();

    // The stored snapshot of an entry, read on the I/O queue after every write queued before it.
    std::optional<ClipPayload> payload(const QUuid &id);

    // Blocks until every file task queued so far has run (shutdown, tests, benchmarks).
    void waitForPendingWrites();

Q_SIGNALS:
    // Emitted after every change of items().
    void itemsChanged();
    // An entry's snapshot could not be written (the disk is full, the folder is gone): the
    // entry shows until the next start, which drops it.
    void entryNotWritten();

private:
    // Above anything the store writes (500 entries take a few megabytes; a snapshot at most
    // 60 MiB): a longer file is damaged or not ours, and is not read.
    static constexpr qint64 maxIndexBytes = qint64(64) << 20;
    static constexpr qint64 maxPayloadBytes = qint64(128) << 20;

    qsizetype indexOf(const QUuid &id) const;
    void sortItems();
    QList<ClipItem> trimmed();
    // Writes the index; then removes the files of the entries given (already out of the list).
    void save(const QList<ClipItem> &removed = {});
    // Removes the files of the history folder that belong to none of these entries.
    void removeLeftovers(const QList<ClipItem> &entries);

    QString m_directory;
    QString m_payloadDirectory;
    QString m_indexPath;
    QList<ClipItem> m_items;
    LimitProvider m_limit;
    Clock m_clock;
    // Index writes carry a generation; a queued write that a later one supersedes is skipped.
    std::shared_ptr<std::atomic<quint64>> m_latestIndexGeneration;
    std::unique_ptr<SerialQueue> m_io;
};

} // namespace tessaly
