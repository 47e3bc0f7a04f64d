#include "history/HistoryStore.h"
#include "history/IndexCoding.h"
#include "history/PayloadCoding.h"
#include "history/PrivateFiles.h"
#include "history/ThumbnailCache.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::textCapture;

namespace {

class HistoryStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_directory = m_temp.filePath(QStringLiteral("data/Tessaly"));
        store = makeStore();
    }

    std::unique_ptr<HistoryStore> makeStore()
    {
        auto created = std::make_unique<HistoryStore>(m_directory);
        created->setLimitProvider([this] { return limit; });
        created->setClock([this] { return clock; });
        return created;
    }

    // Writes pending files, then opens a fresh store on the same directory and loads it.
    std::unique_ptr<HistoryStore> reopen()
    {
        store->waitForPendingWrites();
        auto reopened = makeStore();
        reopened->load();
        return reopened;
    }

    QList<QString> texts() const
    {
        QList<QString> result;
        for (const ClipItem &item : store->items())
            result.append(item.textString().value_or(QString()));
        return result;
    }

    QByteArray indexBytes()
    {
        store->waitForPendingWrites();
        return PrivateFiles::readAll(store->indexPath()).value_or(QByteArray());
    }

    void addAt(double seconds, const QString &text)
    {
        clock = Instant(seconds);
        store->add(textCapture(text));
    }

    QTemporaryDir m_temp;
    QString m_directory;
    qint64 limit = 50;
    Instant clock = Instant(1000);
    std::unique_ptr<HistoryStore> store;
};

} // namespace

TEST_F(HistoryStoreTest, CreatesPrivateDirectoriesAndTightensExistingOnes)
{
    EXPECT_TRUE(QFileInfo(store->payloadDirectory()).isDir());
    EXPECT_EQ(store->payloadDirectory(), m_directory + QStringLiteral("/Items"));
    EXPECT_EQ(store->indexPath(), m_directory + QStringLiteral("/history.json"));
    EXPECT_EQ(test::modeOf(m_directory), 0700u);
    EXPECT_EQ(test::modeOf(store->payloadDirectory()), 0700u);

    QFile::setPermissions(m_directory, QFileDevice::Permissions(0x7755));
    ASSERT_NE(test::modeOf(m_directory), 0700u);
    store = makeStore();
    EXPECT_EQ(test::modeOf(m_directory), 0700u);
}

TEST_F(HistoryStoreTest, WritesEveryFileOwnerOnly)
{
    Capture capture = textCapture(QStringLiteral("segredo"));
    capture.thumbnailPNG = test::pngBytes(4, 4);
    store->add(capture);
    store->waitForPendingWrites();
    const QUuid id = store->items().first().id;
    for (const QString &path :
         {store->indexPath(), store->payloadPath(id), store->thumbnailPath(id)}) {
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        EXPECT_EQ(test::modeOf(path), 0600u) << path.toStdString();
    }
    // A rewrite of a file that was left readable by others tightens it again.
    QFile::setPermissions(store->indexPath(), QFileDevice::Permissions(0x6644));
    store->markUsed(id);
    store->waitForPendingWrites();
    EXPECT_EQ(test::modeOf(store->indexPath()), 0600u);
}

TEST_F(HistoryStoreTest, AddCreatesEntryWithSnapshotAndOrdersNewestFirst)
{
    QSignalSpy changed(store.get(), &HistoryStore::itemsChanged);
    addAt(10, QStringLiteral("um"));
    addAt(20, QStringLiteral("dois"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(texts(), (QList<QString>{QStringLiteral("dois"), QStringLiteral("um")}));

    const ClipItem &first = store->items().first();
    EXPECT_EQ(first.createdAt, Instant(20));
    EXPECT_EQ(first.lastUsedAt, Instant(20));
    EXPECT_FALSE(first.pinned);
    EXPECT_EQ(first.byteSize, 4);
    // The snapshot is readable right after add: the read waits for the queued write.
    const auto payload = store->payload(first.id);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->items[0].value(QStringLiteral("UTF8_STRING")), QByteArray("dois"));
}

TEST_F(HistoryStoreTest, DuplicateRefreshesTheExistingEntry)
{
    store->add(textCapture(QStringLiteral("a"), QStringLiteral("org.one"), QStringLiteral("Um")));
    clock = Instant(2000);
    store->add(textCapture(QStringLiteral("b")));
    const ClipItem original = store->items().last();
    store->togglePin(original.id);
    store->waitForPendingWrites();
    const QString payloadFile = store->payloadPath(original.id);
    const QDateTime written = QFileInfo(payloadFile).lastModified();

    // No source given: the old source stays.
    clock = Instant(3000);
    Capture again = textCapture(QStringLiteral("a"));
    again.hasRichText = true;
    again.byteSize = 999;
    store->add(again);
    ASSERT_EQ(store->items().size(), 2);
    ClipItem refreshed = *store->item(original.id);
    EXPECT_EQ(refreshed.lastUsedAt, Instant(3000));
    EXPECT_EQ(refreshed.createdAt, original.createdAt);
    EXPECT_TRUE(refreshed.pinned);
    EXPECT_FALSE(refreshed.hasRichText);
    EXPECT_EQ(refreshed.byteSize, original.byteSize);
    EXPECT_EQ(refreshed.sourceBundleID, QStringLiteral("org.one"));
    EXPECT_EQ(refreshed.sourceAppName, QStringLiteral("Um"));

    // A source id without a name replaces both.
    Capture fromOther = textCapture(QStringLiteral("a"));
    fromOther.sourceBundleID = QStringLiteral("org.two");
    store->add(fromOther);
    refreshed = *store->item(original.id);
    EXPECT_EQ(refreshed.sourceBundleID, QStringLiteral("org.two"));
    EXPECT_FALSE(refreshed.sourceAppName);
    store->waitForPendingWrites();
    EXPECT_EQ(QFileInfo(payloadFile).lastModified(), written) << "snapshot written again";
}

TEST_F(HistoryStoreTest, DuplicateMovesToFrontOfItsGroupOnly)
{
    addAt(1, QStringLiteral("a"));
    addAt(2, QStringLiteral("b"));
    addAt(3, QStringLiteral("p"));
    store->togglePin(store->items().first().id);
    addAt(4, QStringLiteral("a"));
    EXPECT_EQ(texts(),
              (QList<QString>{QStringLiteral("p"), QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(HistoryStoreTest, EqualTimesKeepTheNewEntryInFront)
{
    addAt(5, QStringLiteral("old"));
    addAt(5, QStringLiteral("new"));
    EXPECT_EQ(texts(), (QList<QString>{QStringLiteral("new"), QStringLiteral("old")}));
}

TEST_F(HistoryStoreTest, TrimKeepsPinnedAndNewestUnpinned)
{
    for (int i = 0; i < 9; ++i)
        addAt(i, QStringLiteral("e%1").arg(i));
    for (int i = 0; i < 5; ++i) // pin e0..e4, the oldest five
        store->togglePin(store->items()[store->items().size() - 1].id);
    ASSERT_EQ(store->items().size(), 9);

    limit = 3;
    QSignalSpy changed(store.get(), &HistoryStore::itemsChanged);
    store->trim();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(texts(),
              (QList<QString>{QStringLiteral("e4"), QStringLiteral("e3"), QStringLiteral("e2"),
                              QStringLiteral("e1"), QStringLiteral("e0"), QStringLiteral("e8"),
                              QStringLiteral("e7"), QStringLiteral("e6")}));
    store->waitForPendingWrites();
    EXPECT_EQ(QDir(store->payloadDirectory()).entryList(QDir::Files).size(), 8);

    // Nothing to remove: no signal, no write.
    const QByteArray before = indexBytes();
    store->trim();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(indexBytes(), before);

    // A limit of 0 or below acts as 1; a larger limit later brings nothing back.
    limit = -4;
    store->trim();
    EXPECT_EQ(store->items().size(), 6);
    limit = 100;
    store->trim();
    EXPECT_EQ(store->items().size(), 6);
}

TEST_F(HistoryStoreTest, UnpinningAnOldEntryCanTrimIt)
{
    limit = 2;
    addAt(1, QStringLiteral("old"));
    store->togglePin(store->items().first().id);
    addAt(2, QStringLiteral("b"));
    addAt(3, QStringLiteral("c"));
    const QUuid old = store->items().first().id;
    store->togglePin(old);
    EXPECT_EQ(texts(), (QList<QString>{QStringLiteral("c"), QStringLiteral("b")}));
    EXPECT_EQ(store->item(old), nullptr);
}

TEST_F(HistoryStoreTest, UnknownIdsChangeAndWriteNothing)
{
    addAt(1, QStringLiteral("a"));
    const QByteArray before = indexBytes();
    QFile::remove(store->indexPath());
    QSignalSpy changed(store.get(), &HistoryStore::itemsChanged);
    const QUuid unknown = QUuid::createUuid();
    store->togglePin(unknown);
    store->remove(unknown);
    store->markUsed(unknown);
    store->waitForPendingWrites();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(QFileInfo::exists(store->indexPath()));
    EXPECT_FALSE(before.isEmpty());
}

TEST_F(HistoryStoreTest, DeleteRemovesEntryAndFilesAndIgnoresMissingThumbnail)
{
    Capture image = textCapture(QStringLiteral("com miniatura"));
    image.thumbnailPNG = test::pngBytes(8, 8);
    store->add(image);
    addAt(2000, QStringLiteral("sem miniatura"));
    const QUuid withThumb = store->items()[1].id;
    const QUuid plain = store->items()[0].id;
    store->waitForPendingWrites();
    ASSERT_TRUE(ThumbnailCache::shared().get(withThumb));

    store->remove(plain);
    store->remove(withThumb);
    EXPECT_FALSE(ThumbnailCache::shared().get(withThumb)) << "cache entry removed at once";
    store->waitForPendingWrites();
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_TRUE(QDir(store->payloadDirectory()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(IndexCoding::decodeIndex(indexBytes())->size(), 0);
}

TEST_F(HistoryStoreTest, MarkUsedMovesTheEntryToTheFront)
{
    addAt(1, QStringLiteral("a"));
    addAt(2, QStringLiteral("b"));
    const QUuid a = store->items().last().id;
    clock = Instant(3);
    store->markUsed(a);
    EXPECT_EQ(store->items().first().id, a);
    EXPECT_EQ(store->items().first().lastUsedAt, Instant(3));
}

TEST_F(HistoryStoreTest, ClearKeepsPinnedOrRemovesAll)
{
    addAt(1, QStringLiteral("a"));
    addAt(2, QStringLiteral("b"));
    store->togglePin(store->items().last().id);
    store->clear(true);
    EXPECT_EQ(texts(), QList<QString>{QStringLiteral("a")});

    // Only pinned entries left: nothing removed, the index is still rewritten.
    store->waitForPendingWrites();
    QFile::remove(store->indexPath());
    store->clear(true);
    EXPECT_EQ(store->items().size(), 1);
    EXPECT_EQ(IndexCoding::decodeIndex(indexBytes())->size(), 1);

    store->clear(false);
    EXPECT_TRUE(store->items().isEmpty());
    store->waitForPendingWrites();
    EXPECT_TRUE(QDir(store->payloadDirectory()).entryList(QDir::Files).isEmpty());
}

TEST_F(HistoryStoreTest, LoadRestoresTheHistoryInOrder)
{
    Capture image = test::imageCapture(test::pngBytes(10, 5));
    image.thumbnailPNG = test::pngBytes(10, 5);
    image.imageWidth = 10;
    image.imageHeight = 5;
    clock = Instant(1);
    store->add(image);
    addAt(2, QStringLiteral("texto"));
    store->togglePin(store->items().last().id);
    const QList<ClipItem> before = store->items();

    auto reopened = reopen();
    EXPECT_EQ(reopened->items(), before);
    EXPECT_TRUE(reopened->payload(before.first().id));
}

TEST_F(HistoryStoreTest, LoadDropsEntriesWithoutSnapshotAndTrims)
{
    for (int i = 0; i < 4; ++i)
        addAt(i, QStringLiteral("e%1").arg(i));
    store->waitForPendingWrites();
    QFile::remove(store->payloadPath(store->items()[1].id)); // e2
    limit = 2;
    auto reopened = reopen();
    QList<QString> loaded;
    for (const ClipItem &item : reopened->items())
        loaded.append(*item.text);
    EXPECT_EQ(loaded, (QList<QString>{QStringLiteral("e3"), QStringLiteral("e1")}));
    reopened->waitForPendingWrites();
    EXPECT_EQ(IndexCoding::decodeIndex(*PrivateFiles::readAll(reopened->indexPath()))->size(), 2)
        << "a trim at load rewrites the index";
}

TEST_F(HistoryStoreTest, BadIndexLoadsEmptyAndIsOverwrittenByTheNextSave)
{
    addAt(1, QStringLiteral("a"));
    store->waitForPendingWrites();
    const QByteArray good = indexBytes();
    const QList<QByteArray> badIndexes = {
        QByteArray(),
        QByteArray("[]"),
        good.left(good.size() - 3),
        QByteArray("\xff\xfe[]"),
        QByteArray("garbage"),
        QByteArray(good).replace("\"kind\":\"text\"", "\"kind\":\"x\"")};
    for (const QByteArray &bad : badIndexes) {
        store->waitForPendingWrites();
        ASSERT_TRUE(PrivateFiles::writeAtomically(store->indexPath(), bad));
        auto reopened = makeStore();
        reopened->load();
        EXPECT_TRUE(reopened->items().isEmpty()) << bad.left(40).constData();
        reopened->waitForPendingWrites();
        EXPECT_EQ(*PrivateFiles::readAll(reopened->indexPath()), bad) << "load writes nothing";
        clock = Instant(50);
        reopened->add(textCapture(QStringLiteral("novo")));
        reopened->waitForPendingWrites();
        const auto rewritten =
            IndexCoding::decodeIndex(*PrivateFiles::readAll(reopened->indexPath()));
        ASSERT_TRUE(rewritten);
        EXPECT_EQ(rewritten->size(), 1);
    }
    QFile::remove(store->indexPath());
    auto missing = makeStore();
    missing->load();
    EXPECT_TRUE(missing->items().isEmpty());
}

TEST_F(HistoryStoreTest, PayloadIsAbsentForMissingOrCorruptSnapshot)
{
    addAt(1, QStringLiteral("a"));
    const QUuid id = store->items().first().id;
    store->waitForPendingWrites();
    ASSERT_TRUE(PrivateFiles::writeAtomically(store->payloadPath(id), "bplist00garbage"));
    EXPECT_FALSE(store->payload(id));
    QFile::remove(store->payloadPath(id));
    EXPECT_FALSE(store->payload(id));
    EXPECT_FALSE(store->payload(QUuid::createUuid()));
}

TEST_F(HistoryStoreTest, NewImageThumbnailGoesIntoTheCache)
{
    Capture capture = textCapture(QStringLiteral("img"));
    capture.thumbnailPNG = test::pngBytes(6, 3);
    store->add(capture);
    const auto cached = ThumbnailCache::shared().get(store->items().first().id);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->size(), QSize(6, 3));

    Capture undecodable = textCapture(QStringLiteral("bad thumb"));
    undecodable.thumbnailPNG = QByteArray("not a png");
    store->add(undecodable);
    EXPECT_FALSE(ThumbnailCache::shared().get(store->items().first().id));
}

TEST(ThumbnailCacheTest, IsBoundedByCost)
{
    ThumbnailCache cache(3 * 100 * 100 * 4);
    QImage image(100, 100, QImage::Format_ARGB32);
    QList<QUuid> ids;
    for (int i = 0; i < 5; ++i) {
        ids.append(QUuid::createUuid());
        cache.put(ids.last(), image);
    }
    EXPECT_EQ(cache.count(), 3);
    EXPECT_FALSE(cache.get(ids.first()));
    EXPECT_TRUE(cache.get(ids.last()));
    cache.remove(ids.last());
    EXPECT_FALSE(cache.get(ids.last()));
}

TEST(SerialQueueTest, RunsTasksInOrderAndSyncWaitsForEarlierOnes)
{
    SerialQueue queue(QStringLiteral("test.queue"));
    QList<int> order;
    for (int i = 0; i < 100; ++i)
        queue.async([&order, i] { order.append(i); });
    int seen = -1;
    queue.sync([&] { seen = int(order.size()); });
    EXPECT_EQ(seen, 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
}

// What a killed program leaves behind — the temporary files of its atomic writes and snapshots
// whose entry never reached the index — goes at the next start; the files of the entries stay,
// and an index that cannot be read keeps every file.
TEST_F(HistoryStoreTest, LeftoversOfAKilledProgramGoAtTheNextStart)
{
    addAt(1, QStringLiteral("guardado"));
    store->waitForPendingWrites();
    const ClipItem kept = store->items().constFirst();
    const QString items = store->payloadDirectory();
    const auto touch = [](const QString &path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    };
    const QStringList leftovers = {
        store->indexPath() + QStringLiteral(".Ab12Cd"),
        store->payloadPath(kept.id) + QStringLiteral(".Xy98Zw"),
        store->payloadPath(QUuid::createUuid()),
        store->thumbnailPath(QUuid::createUuid()),
    };
    for (const QString &path : leftovers)
        touch(path);

    // An unreadable index: nothing is removed.
    const QByteArray index = indexBytes();
    ASSERT_TRUE(PrivateFiles::writeAtomically(store->indexPath(), "garbage"));
    reopen()->waitForPendingWrites();
    for (const QString &path : leftovers)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();

    ASSERT_TRUE(PrivateFiles::writeAtomically(store->indexPath(), index));
    auto reopened = reopen();
    reopened->waitForPendingWrites();
    ASSERT_EQ(reopened->items().size(), 1);
    for (const QString &path : leftovers)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(store->payloadPath(kept.id)));
    EXPECT_TRUE(reopened->payload(kept.id));
    EXPECT_EQ(QDir(items).entryList(QDir::Files).size(), 1);
}

// An entry whose snapshot cannot be written is reported (the program plays the alert sound); the
// files already written stay, and once the folder can be written again everything is saved.
TEST_F(HistoryStoreTest, AnEntryThatCannotBeWrittenIsReportedAndTheNextSaveWritesAll)
{
    addAt(1, QStringLiteral("antes"));
    store->waitForPendingWrites();
    const QByteArray index = indexBytes();
    QSignalSpy notWritten(store.get(), &HistoryStore::entryNotWritten);

    // Something that is not a folder where the snapshots go (as a full disk, for every user).
    const QString items = store->payloadDirectory();
    const QString aside = items + QStringLiteral(".aside");
    ASSERT_TRUE(QDir().rename(items, aside));
    QFile blocker(items);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    addAt(2, QStringLiteral("sem espaço"));
    store->waitForPendingWrites();
    ASSERT_TRUE(notWritten.wait(2000));
    EXPECT_EQ(notWritten.count(), 1);
    EXPECT_EQ(texts(), QList<QString>({"sem espaço", "antes"})) << "the history in memory stays";

    ASSERT_TRUE(QFile::remove(items));
    ASSERT_TRUE(QDir().rename(aside, items));
    addAt(3, QStringLiteral("depois"));
    auto reopened = reopen();
    QList<QString> loaded;
    for (const ClipItem &item : reopened->items())
        loaded.append(*item.text);
    EXPECT_EQ(loaded, QList<QString>({"depois", "antes"})) << "the unwritten entry is dropped";
    EXPECT_NE(indexBytes(), index);
}
