#include "panel/ClipListModel.h"
#include "fakes/SampleClips.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tessaly;

namespace {

const Instant now(700000000);

QList<QUuid> idsOf(const ClipListModel &model)
{
    QList<QUuid> ids;
    for (const ClipItem &item : model.items())
        ids.append(item.id);
    return ids;
}

QList<ClipItem> texts(int count)
{
    QList<ClipItem> items;
    for (int i = 0; i < count; ++i)
        items.append(test::sampleText(QStringLiteral("entrada %1").arg(i), now, i * 60));
    return items;
}

} // namespace

TEST(ClipListModel, RolesCarryTheEntryFields)
{
    ClipListModel model;
    ClipItem item = test::sampleImage(640, 480, now, 30, QStringLiteral("org.gimp.GIMP"),
                                      QStringLiteral("GIMP"));
    item.pinned = true;
    model.setItems({item, test::sampleText(QStringLiteral("x"), now)});

    const QHash<int, QByteArray> names = model.roleNames();
    const auto role = [&](const QByteArray &name) { return names.key(name, -1); };
    const QModelIndex first = model.index(0);
    EXPECT_EQ(model.data(first, role("clipID")).toString(), uuidText(item.id));
    EXPECT_EQ(model.data(first, role("kind")).toString(), QStringLiteral("image"));
    EXPECT_TRUE(model.data(first, role("pinned")).toBool());
    EXPECT_EQ(model.data(first, role("imageWidth")).toLongLong(), 640);
    EXPECT_EQ(model.data(first, role("sourceAppName")).toString(), QStringLiteral("GIMP"));
    EXPECT_EQ(model.data(first, role("lastUsedAt")).toDateTime(), item.lastUsedAt.toDateTime());
    EXPECT_EQ(model.data(first, role("entry")).value<ClipItem>(), item);
    // Absent fields are absent, not empty values.
    EXPECT_FALSE(model.data(first, role("text")).isValid());
    EXPECT_FALSE(model.data(model.index(1), role("sourceAppName")).isValid());
    EXPECT_EQ(model.rowOf(uuidText(item.id)), 0);
    EXPECT_EQ(model.rowOf(QStringLiteral("nope")), -1);
}

TEST(ClipListModel, SetItemsMovesInsertsRemovesAndUpdatesInPlace)
{
    ClipListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QList<ClipItem> items = texts(6);
    model.setItems(items);
    EXPECT_EQ(model.count(), 6);

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    // Pinning the fourth entry moves it to the top: one move and one change, nothing rebuilt.
    items[3].pinned = true;
    QList<ClipItem> reordered{items[3], items[0], items[1], items[2], items[4], items[5]};
    model.setItems(reordered);
    EXPECT_EQ(model.items(), reordered);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(inserted.count() + removed.count() + reset.count(), 0);

    // Deleting two, adding one on top and reordering the rest.
    const ClipItem fresh = test::sampleText(QStringLiteral("nova"), now);
    QList<ClipItem> next{fresh, reordered[4], reordered[0], reordered[2]};
    model.setItems(next);
    EXPECT_EQ(model.items(), next);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.count(), 4);

    // The same list again changes nothing.
    const int signalsBefore =
        int(inserted.count() + removed.count() + moved.count() + changed.count());
    model.setItems(next);
    EXPECT_EQ(int(inserted.count() + removed.count() + moved.count() + changed.count()),
              signalsBefore);

    model.setItems({});
    EXPECT_EQ(model.count(), 0);
    model.setItems(items);
    EXPECT_EQ(model.items(), items);
}

TEST(ClipListModel, AnySequenceOfListsEndsInTheLastOne)
{
    ClipListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QList<ClipItem> pool = texts(12);
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        QList<ClipItem> next;
        for (const ClipItem &item : pool) {
            if (random() % 3 != 0)
                next.append(item);
        }
        std::shuffle(next.begin(), next.end(), random);
        if (random() % 4 == 0 && !next.isEmpty())
            next.first().pinned = !next.first().pinned;
        model.setItems(next);
        ASSERT_EQ(idsOf(model), [&] {
            QList<QUuid> ids;
            for (const ClipItem &item : next)
                ids.append(item.id);
            return ids;
        }());
        ASSERT_EQ(model.items(), next);
    }
}
