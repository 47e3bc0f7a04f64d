#include "panel/PanelModel.h"
#include "fakes/FakeAccessibilityPermission.h"
#include "fakes/FakePanelActions.h"
#include "history/HistoryStore.h"
#include "panel/ClipListModel.h"
#include "settings/AppSettings.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tessaly;
using tessaly::test::FakeAccessibilityPermission;
using tessaly::test::FakePanelActions;

namespace {

struct Entry
{
    Entry(ClipKind kind, std::optional<QString> text = std::nullopt,
          std::optional<QStringList> filePaths = std::nullopt,
          std::optional<QString> appName = std::nullopt,
          std::optional<QString> bundleID = std::nullopt)
        : kind(kind), text(std::move(text)), filePaths(std::move(filePaths)),
          appName(std::move(appName)), bundleID(std::move(bundleID))
    {}

    ClipKind kind;
    std::optional<QString> text;
    std::optional<QStringList> filePaths;
    std::optional<QString> appName;
    std::optional<QString> bundleID;
};

Capture captureOf(const Entry &entry)
{
    const QString text = entry.text.value_or(QString());
    Capture capture;
    switch (entry.kind) {
    case ClipKind::Text:
        capture = test::textCapture(text);
        break;
    case ClipKind::Link:
        capture = test::linkCapture(text);
        break;
    case ClipKind::Color:
        capture = test::colorCapture(text);
        break;
    case ClipKind::File:
        capture = test::filesCapture(entry.filePaths.value_or(QStringList()));
        break;
    case ClipKind::Image:
        capture = test::imageCapture("image");
        capture.imageWidth = 10;
        capture.imageHeight = 10;
        break;
    }
    capture.sourceAppName = entry.appName;
    capture.sourceBundleID = entry.bundleID;
    return capture;
}

class PanelModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        settings = std::make_unique<AppSettings>(directory.filePath(QStringLiteral("s.conf")));
        store = std::make_unique<HistoryStore>(directory.filePath(QStringLiteral("history")));
        store->setLimitProvider([] { return 1000; });
        // Each capture is a second later than the one before: the last added comes first.
        store->setClock([this] { return Instant(1000.0 + ++ticks); });
        model = std::make_unique<PanelModel>(*store, *settings, accessibility);
        model->setClock([this] { return Instant(5000.0 + ticks); });
        tester = std::make_unique<QAbstractItemModelTester>(
            model->items(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    // Adds the entries so that they end up listed in the given order.
    QList<QUuid> add(const QList<Entry> &entries)
    {
        for (qsizetype i = entries.size() - 1; i >= 0; --i)
            store->add(captureOf(entries[i]));
        QList<QUuid> ids;
        for (const Entry &entry : entries)
            ids.append(idOf(entry.text.value_or(QString())));
        return ids;
    }

    QUuid idOf(const QString &text) const
    {
        for (const ClipItem &item : store->items()) {
            if (item.textString().value_or(QString()) == text)
                return item.id;
        }
        return {};
    }

    QStringList visibleTexts() const
    {
        QStringList texts;
        for (const ClipItem &item : model->visibleItems())
            texts.append(
                item.textString().value_or(QStringLiteral("<%1>").arg(clipKindName(item.kind))));
        return texts;
    }

    QStringList listedTexts() const
    {
        QStringList texts;
        for (const ClipItem &item : model->items()->items())
            texts.append(
                item.textString().value_or(QStringLiteral("<%1>").arg(clipKindName(item.kind))));
        return texts;
    }

    QString selectedText() const
    {
        const auto item = model->selectedItem();
        return item ? item->textString().value_or(QStringLiteral("<item>"))
                    : QStringLiteral("<none>");
    }

    QTemporaryDir directory;
    FakeAccessibilityPermission accessibility;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<PanelModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    int ticks = 0;
};

const QList<Entry> mixedHistory = {
    {ClipKind::Text, QStringLiteral("Olá mundo")},
    {ClipKind::Color, QStringLiteral("#ff8800")},
    {ClipKind::Link, QStringLiteral("https://example.com/café")},
    {ClipKind::Image, std::nullopt},
    {ClipKind::File, QStringLiteral("relatório.pdf"),
     QStringList{QStringLiteral("/home/ana/Documentos/relatório.pdf")}},
    {ClipKind::Text, QStringLiteral("senha do wifi"), std::nullopt, QStringLiteral("Terminal"),
     QStringLiteral("org.gnome.Terminal")},
};

} // namespace

TEST_F(PanelModelTest, FiltersAdmitTheirKindsAndColoursShowAsText)
{
    add(mixedHistory);
    store->togglePin(idOf(QStringLiteral("https://example.com/café")));
    for (const ClipItem &item : store->items()) {
        if (item.kind == ClipKind::Image) {
            store->togglePin(item.id);
            break;
        }
    }
    // Pinned first, most recently used first within each group (pinning does not touch it).
    ASSERT_EQ(visibleTexts(),
              QStringList({QStringLiteral("https://example.com/café"), QStringLiteral("<image>"),
                           QStringLiteral("Olá mundo"), QStringLiteral("#ff8800"),
                           QStringLiteral("relatório.pdf"), QStringLiteral("senha do wifi")}));

    model->setFilter(ClipFilter::Text);
    EXPECT_EQ(visibleTexts(), QStringList({QStringLiteral("Olá mundo"), QStringLiteral("#ff8800"),
                                           QStringLiteral("senha do wifi")}));
    model->setFilter(ClipFilter::Link);
    EXPECT_EQ(visibleTexts(), QStringList({QStringLiteral("https://example.com/café")}));
    model->setFilter(ClipFilter::Image);
    EXPECT_EQ(visibleTexts(), QStringList({QStringLiteral("<image>")}));
    model->setFilter(ClipFilter::File);
    EXPECT_EQ(visibleTexts(), QStringList({QStringLiteral("relatório.pdf")}));
    model->setFilter(ClipFilter::Pinned);
    EXPECT_EQ(visibleTexts(),
              QStringList({QStringLiteral("https://example.com/café"), QStringLiteral("<image>")}));
    EXPECT_EQ(listedTexts(), visibleTexts());
}

TEST_F(PanelModelTest, SearchIsTrimmedCaseInsensitiveAndAccentSensitive)
{
    add(mixedHistory);
    const auto search = [&](const QString &query) {
        model->setQuery(query);
        return visibleTexts();
    };
    EXPECT_EQ(search(QStringLiteral(" \n\t ")).size(), mixedHistory.size());
    EXPECT_EQ(search(QStringLiteral("  OLÁ \n")), QStringList({QStringLiteral("Olá mundo")}));
    EXPECT_EQ(search(QStringLiteral("ola")), QStringList());
    EXPECT_EQ(search(QStringLiteral("CAFÉ")),
              QStringList({QStringLiteral("https://example.com/café")}));
    // The same accent written as a combining mark.
    EXPECT_EQ(search(QStringLiteral("cafe\u0301")),
              QStringList({QStringLiteral("https://example.com/café")}));
    // One piece, not words in any order.
    EXPECT_EQ(search(QStringLiteral("mundo olá")), QStringList());
    EXPECT_EQ(listedTexts(), visibleTexts());
}

TEST_F(PanelModelTest, SearchFindsPathsSourceApplicationsAndImageWords)
{
    add(mixedHistory);
    const auto search = [&](const QString &query) {
        model->setQuery(query);
        return visibleTexts();
    };
    EXPECT_EQ(search(QStringLiteral("documentos/")),
              QStringList({QStringLiteral("relatório.pdf")}));
    EXPECT_EQ(search(QStringLiteral("termin")), QStringList({QStringLiteral("senha do wifi")}));
    // The bundle id is not searched.
    EXPECT_EQ(search(QStringLiteral("org.gnome")), QStringList());
    for (const char *piece : {"IMAG", "agem", "image", "m", "Imagem"})
        EXPECT_EQ(search(QString::fromLatin1(piece)).contains(QStringLiteral("<image>")), true)
            << piece;
    EXPECT_EQ(search(QStringLiteral("png")), QStringList());
    EXPECT_EQ(search(QStringLiteral("imagens")), QStringList());
}

TEST_F(PanelModelTest, MatchingOfARecordWithDecomposedAccents)
{
    ClipItem item;
    item.kind = ClipKind::File;
    item.filePaths = QStringList{QStringLiteral("/tmp/Reunia\u0303o.txt")}; // decomposed ã
    EXPECT_TRUE(item.matches(QStringLiteral("reunião")));
    EXPECT_FALSE(item.matches(QStringLiteral("reuniao")));
    item.sourceAppName = QStringLiteral("Arquivos");
    EXPECT_TRUE(item.matches(QStringLiteral("ARQ")));
    EXPECT_FALSE(item.matches(QStringLiteral("imagem")));
}

TEST_F(PanelModelTest, SelectionMovesAndClampsWithoutWrapping)
{
    model->moveSelection(1); // empty list
    EXPECT_FALSE(model->selectedID());

    add({{ClipKind::Text, QStringLiteral("a")},
         {ClipKind::Text, QStringLiteral("b")},
         {ClipKind::Text, QStringLiteral("c")}});
    model->moveSelection(-1);
    EXPECT_EQ(selectedText(), QStringLiteral("a")); // nothing selected: up lands on the first
    model->setSelectedID(std::nullopt);
    model->moveSelection(1);
    EXPECT_EQ(selectedText(), QStringLiteral("a"));
    model->moveSelection(-1);
    EXPECT_EQ(selectedText(), QStringLiteral("a"));
    model->moveSelection(5);
    EXPECT_EQ(selectedText(), QStringLiteral("c"));
    model->moveSelection(1);
    EXPECT_EQ(selectedText(), QStringLiteral("c"));
    model->moveSelection(-1);
    EXPECT_EQ(selectedText(), QStringLiteral("b"));

    // A selection hidden by the query counts as none.
    model->setQuery(QStringLiteral("c"));
    EXPECT_EQ(selectedText(), QStringLiteral("<none>"));
    EXPECT_TRUE(model->selectedID()); // the id stays until an operation replaces it
    model->moveSelection(-1);
    EXPECT_EQ(selectedText(), QStringLiteral("c"));

    // On an empty list the id is left as it was.
    model->setQuery(QStringLiteral("zzz"));
    const auto before = model->selectedID();
    model->moveSelection(1);
    EXPECT_EQ(model->selectedID(), before);
}

TEST_F(PanelModelTest, CyclingTheFilterWrapsAndSelectsTheFirstEntry)
{
    add(mixedHistory);
    model->cycleFilter(false);
    EXPECT_EQ(model->filter(), ClipFilter::Pinned);
    EXPECT_FALSE(model->selectedID()); // nothing pinned
    model->cycleFilter(true);
    EXPECT_EQ(model->filter(), ClipFilter::All);

    QList<ClipFilter> seen;
    for (int step = 0; step < 6; ++step) {
        model->cycleFilter(true);
        seen.append(model->filter());
    }
    EXPECT_EQ(seen, QList<ClipFilter>({ClipFilter::Text, ClipFilter::Link, ClipFilter::Image,
                                       ClipFilter::File, ClipFilter::Pinned, ClipFilter::All}));
    model->cycleFilter(true);
    EXPECT_EQ(selectedText(), QStringLiteral("Olá mundo")); // first of the text filter
}

TEST_F(PanelModelTest, PrepareForOpenResetsTheOpening)
{
    QSignalSpy tokens(model.get(), &PanelModel::openTokenChanged);
    model->prepareForOpen();
    EXPECT_FALSE(model->selectedID());
    EXPECT_EQ(model->openToken(), 1);

    add(mixedHistory);
    store->togglePin(idOf(QStringLiteral("#ff8800")));
    model->setQuery(QStringLiteral("senha"));
    model->setFilter(ClipFilter::Link);
    settings->setAutoPaste(true);
    accessibility.trusted = false;
    ticks += 100;
    model->prepareForOpen();

    EXPECT_EQ(model->query(), QString());
    EXPECT_EQ(model->filter(), ClipFilter::All);
    EXPECT_EQ(model->now(), Instant(5000.0 + ticks));
    EXPECT_FALSE(model->accessibilityTrusted());
    EXPECT_EQ(selectedText(), QStringLiteral("#ff8800")); // the store's first entry
    EXPECT_EQ(model->openToken(), 2);
    EXPECT_EQ(tokens.count(), 2);

    // With automatic pasting off, trust does not matter.
    settings->setAutoPaste(false);
    const int queries = accessibility.trustQueries;
    model->prepareForOpen();
    EXPECT_TRUE(model->accessibilityTrusted());
    EXPECT_EQ(accessibility.trustQueries, queries);
}

TEST_F(PanelModelTest, EnsureSelectionAfterClearingKeepsASurvivingPin)
{
    add({{ClipKind::Text, QStringLiteral("a")},
         {ClipKind::Text, QStringLiteral("b")},
         {ClipKind::Text, QStringLiteral("c")}});
    store->togglePin(idOf(QStringLiteral("c")));
    store->togglePin(idOf(QStringLiteral("b")));
    model->setSelectedID(idOf(QStringLiteral("c")));
    store->clear(true);
    model->ensureSelection();
    EXPECT_EQ(selectedText(), QStringLiteral("c"));

    store->remove(idOf(QStringLiteral("c")));
    model->ensureSelection();
    EXPECT_EQ(selectedText(), QStringLiteral("b"));

    store->clear(false);
    model->ensureSelection();
    EXPECT_FALSE(model->selectedID());
}

TEST_F(PanelModelTest, PropertiesNotifyOnlyOnChange)
{
    add(mixedHistory);
    QSignalSpy query(model.get(), &PanelModel::queryChanged);
    QSignalSpy filter(model.get(), &PanelModel::filterChanged);
    QSignalSpy selection(model.get(), &PanelModel::selectedIDChanged);
    QSignalSpy now(model.get(), &PanelModel::nowChanged);
    QSignalSpy trusted(model.get(), &PanelModel::accessibilityTrustedChanged);

    model->setQuery(QStringLiteral("x"));
    model->setQuery(QStringLiteral("x"));
    EXPECT_EQ(query.count(), 1);
    model->setFilterName(QStringLiteral("image"));
    model->setFilter(ClipFilter::Image);
    model->setFilterName(QStringLiteral("nonsense"));
    EXPECT_EQ(filter.count(), 1);
    EXPECT_EQ(model->filterName(), QStringLiteral("image"));
    model->setQuery(QString());
    model->selectFirst();
    model->selectFirst();
    model->moveSelection(-1);
    EXPECT_EQ(selection.count(), 1);

    // The pinned clock gives the same moment twice: the second opening changes no "now", and
    // trust (still granted) never changed.
    model->prepareForOpen();
    const int nowChanges = now.count();
    model->prepareForOpen();
    EXPECT_EQ(now.count(), nowChanges);
    EXPECT_EQ(trusted.count(), 0);
}

TEST_F(PanelModelTest, ActionsGoThroughAWeakReference)
{
    add({{ClipKind::Text, QStringLiteral("a")}});
    const QString id = uuidText(idOf(QStringLiteral("a")));
    model->paste(id, false); // no controller yet: nothing happens

    auto actions = std::make_unique<FakePanelActions>();
    model->setActions(actions.get());
    model->paste(id, false);
    model->paste(id, true);
    model->togglePin(id.toLower());
    model->remove(id);
    model->remove(QStringLiteral("not-an-id"));
    model->remove(uuidText(QUuid::createUuid()));
    model->clearAll();
    model->requestAccessibility();
    model->openSettings();
    EXPECT_EQ(actions->calls,
              QStringList({QStringLiteral("paste:a"), QStringLiteral("pastePlain:a"),
                           QStringLiteral("togglePin:a"), QStringLiteral("remove:a"),
                           QStringLiteral("clearAll"), QStringLiteral("requestAccessibility"),
                           QStringLiteral("openSettings")}));

    actions.reset();
    EXPECT_EQ(model->actions(), nullptr);
    model->clearAll(); // must not touch the destroyed controller
}

TEST_F(PanelModelTest, ListFollowsTheStoreRowByRow)
{
    add({{ClipKind::Text, QStringLiteral("a")},
         {ClipKind::Text, QStringLiteral("b")},
         {ClipKind::Text, QStringLiteral("c")},
         {ClipKind::Text, QStringLiteral("d")}});
    ClipListModel *list = model->items();
    QSignalSpy resets(list, &QAbstractItemModel::modelReset);
    QSignalSpy moves(list, &QAbstractItemModel::rowsMoved);
    QSignalSpy inserts(list, &QAbstractItemModel::rowsInserted);
    QSignalSpy removals(list, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changes(list, &QAbstractItemModel::dataChanged);
    QSignalSpy count(list, &ClipListModel::countChanged);

    store->markUsed(idOf(QStringLiteral("c"))); // c moves to the top
    EXPECT_EQ(moves.count(), 1);
    EXPECT_EQ(changes.count(), 1); // its last-used time
    EXPECT_EQ(listedTexts(), QStringList({QStringLiteral("c"), QStringLiteral("a"),
                                          QStringLiteral("b"), QStringLiteral("d")}));

    store->remove(idOf(QStringLiteral("a")));
    EXPECT_EQ(removals.count(), 1);
    store->add(captureOf({ClipKind::Text, QStringLiteral("e")}));
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(listedTexts(), QStringList({QStringLiteral("e"), QStringLiteral("c"),
                                          QStringLiteral("b"), QStringLiteral("d")}));

    EXPECT_EQ(resets.count(), 0);

    // A search that keeps few of the rows shows its list afresh.
    model->setQuery(QStringLiteral("b"));
    EXPECT_EQ(listedTexts(), QStringList({QStringLiteral("b")}));
    model->setQuery(QString());
    EXPECT_EQ(listedTexts(), visibleTexts());
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(count.count(), 4);

    // The selection mark: the old row and the new row change, nothing else.
    model->setSelectedID(idOf(QStringLiteral("c")));
    changes.clear();
    model->moveSelection(1);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changes[1][0].toModelIndex().row(), 2);
    EXPECT_TRUE(list->data(list->index(2), ClipListModel::SelectedRole).toBool());
    EXPECT_FALSE(list->data(list->index(1), ClipListModel::SelectedRole).toBool());
}

TEST_F(PanelModelTest, ListStaysInStepThroughManyChanges)
{
    // Many small histories' worth of changes, each checked against the fresh list; the model
    // tester checks every row signal on the way.
    QRandomGenerator random(20240315);
    const QStringList queries = {QString(), QStringLiteral("1"), QStringLiteral("2"),
                                 QStringLiteral("item"), QStringLiteral("item 1")};
    int next = 0;
    for (int step = 0; step < 400; ++step) {
        const QList<ClipItem> &items = store->items();
        const auto someId = [&] { return items[random.bounded(int(items.size()))].id; };
        switch (random.bounded(8)) {
        case 0:
        case 1:
            store->add(captureOf({random.bounded(3) ? ClipKind::Text : ClipKind::Link,
                                  QStringLiteral("item %1").arg(next++)}));
            break;
        case 2:
            if (!items.isEmpty())
                store->remove(someId());
            break;
        case 3:
            if (!items.isEmpty())
                store->togglePin(someId());
            break;
        case 4:
            if (!items.isEmpty())
                store->markUsed(someId());
            break;
        case 5:
            model->setQuery(queries[random.bounded(int(queries.size()))]);
            break;
        case 6:
            model->setFilter(allClipFilters[random.bounded(int(allClipFilters.size()))]);
            break;
        case 7:
            model->moveSelection(random.bounded(5) - 2);
            break;
        }
        ASSERT_EQ(listedTexts(), visibleTexts()) << "step " << step;
        for (int row = 0; row < model->items()->count(); ++row) {
            const bool selected =
                model->items()
                    ->data(model->items()->index(row), ClipListModel::SelectedRole)
                    .toBool();
            ASSERT_EQ(selected, model->items()->items()[row].id == model->selectedID());
        }
    }
}

TEST_F(PanelModelTest, ListRolesCarryWhatACardShows)
{
    add({{ClipKind::File, QStringLiteral("a.txt\nb.txt"),
          QStringList{QStringLiteral("/tmp/a.txt"), QStringLiteral("/tmp/b.txt")},
          QStringLiteral("Arquivos"), QStringLiteral("org.gnome.Nautilus")},
         {ClipKind::Image, std::nullopt}});
    ClipListModel *list = model->items();
    const QModelIndex file = list->index(0);
    EXPECT_EQ(list->data(file, ClipListModel::KindRole).toString(), QStringLiteral("file"));
    EXPECT_EQ(list->data(file, ClipListModel::FilePathsRole).toStringList().size(), 2);
    EXPECT_EQ(list->data(file, ClipListModel::DetailRole).toString(), QStringLiteral("2 itens"));
    EXPECT_EQ(list->data(file, ClipListModel::SourceAppNameRole).toString(),
              QStringLiteral("Arquivos"));
    EXPECT_EQ(list->rowOf(list->data(file, ClipListModel::ItemIdRole).toString()), 0);
    const QModelIndex image = list->index(1);
    EXPECT_FALSE(list->data(image, ClipListModel::TextRole).isValid());
    EXPECT_FALSE(list->data(image, ClipListModel::SourceAppNameRole).isValid());
    EXPECT_EQ(list->data(image, ClipListModel::ImageWidthRole).toLongLong(), 10);
    EXPECT_EQ(list->data(image, ClipListModel::DetailRole).toString(),
              QStringLiteral("10 \u00D7 10"));
    EXPECT_TRUE(list->roleNames().values().contains("clipID"));
}

TEST_F(PanelModelTest, KnowsWhetherClearingWouldRemoveAnything)
{
    QSignalSpy spy(model.get(), &PanelModel::hasUnpinnedItemsChanged);
    EXPECT_FALSE(model->hasUnpinnedItems());
    add({{ClipKind::Text, QStringLiteral("a")}});
    EXPECT_TRUE(model->hasUnpinnedItems());
    store->togglePin(idOf(QStringLiteral("a")));
    EXPECT_FALSE(model->hasUnpinnedItems());
    EXPECT_EQ(spy.count(), 2);
}
