#include "fakes/SampleClips.h"
#include "panel/PanelViewHarness.h"

#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The views' tests hold the clock still: every age is measured against this moment.
const Instant now = Instant::fromDateTime(QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), Qt::UTC));

QPoint centerOf(QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

void click(QQuickView &view, QQuickItem *item, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(&view, button, Qt::NoModifier, centerOf(item));
}

QString idOf(const ClipItem &item)
{
    return uuidText(item.id);
}

class PanelViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.model.setNow(now.toDateTime());
        ASSERT_TRUE(harness.load());
        ASSERT_TRUE(harness.show());
    }

    void setItems(const QList<ClipItem> &items)
    {
        harness.model.setEntries(items);
        harness.model.open();
        harness.settle();
    }

    bool shown(const QString &objectName, QQuickItem *from = nullptr)
    {
        QQuickItem *item = harness.find(objectName, from);
        return item && isShown(item);
    }

    PanelViewHarness harness;
};

} // namespace

TEST_F(PanelViewsTest, AnEmptyHistorySaysSoAndCannotBeCleared)
{
    setItems({});
    EXPECT_EQ(harness.texts("emptyTitle"), QStringList{"Nada copiado ainda"});
    EXPECT_EQ(harness.texts("emptySubtitle"),
              QStringList{"Copie algo com ⌘C e ele aparece aqui.\nFixe itens para mantê-los ao "
                          "limpar."});
    EXPECT_EQ(harness.find("emptySymbol")->property("symbol").toString(), "clipboard");
    EXPECT_FALSE(harness.find("clearAllButton")->isEnabled());
    EXPECT_FALSE(shown("accessibilityBanner"));
    EXPECT_FALSE(shown("historyList"));
}

TEST_F(PanelViewsTest, EmptyStatesOfAFilterAndOfASearch)
{
    setItems({sampleText("um texto", now), sampleLink("https://example.com", now)});
    EXPECT_FALSE(shown("emptyState"));

    harness.model.setFilterName("image");
    harness.settle();
    EXPECT_EQ(harness.texts("emptyTitle"), QStringList{"Nada em Imagens"});
    EXPECT_TRUE(harness.texts("emptySubtitle").value(0).startsWith("Copie algo com ⌘C"));

    harness.model.setQuery(" xyz");
    harness.settle();
    EXPECT_EQ(harness.texts("emptyTitle"), QStringList{"Nenhum resultado"});
    EXPECT_EQ(harness.texts("emptySubtitle"), QStringList{"Nada encontrado para “ xyz”."});
    EXPECT_EQ(harness.find("emptySymbol")->property("symbol").toString(), "magnifyingglass");
}

TEST_F(PanelViewsTest, ClearAllIsDisabledWhileEveryEntryIsPinned)
{
    ClipItem a = sampleText("a", now);
    ClipItem b = sampleLink("https://example.com", now);
    a.pinned = b.pinned = true;
    setItems({a, b});
    harness.model.setFilterName("image");
    harness.settle();
    QQuickItem *clear = harness.find("clearAllButton");
    EXPECT_FALSE(clear->isEnabled());
    click(harness.view(), clear);
    EXPECT_TRUE(harness.model.calls.isEmpty());

    setItems({a, b, sampleText("solto", now)});
    EXPECT_TRUE(clear->isEnabled());
    click(harness.view(), clear);
    EXPECT_EQ(harness.model.calls, QStringList{"clearAll"});
}

TEST_F(PanelViewsTest, TheBannerShowsWhilePastingIsNotAllowed)
{
    setItems({sampleText("a", now)});
    EXPECT_FALSE(shown("accessibilityBanner"));
    harness.model.setAccessibilityTrusted(false);
    harness.settle();
    ASSERT_TRUE(shown("accessibilityBanner"));
    EXPECT_EQ(harness.texts("bannerTitle"), QStringList{"Colar automático indisponível"});
    EXPECT_EQ(harness.texts("bannerMessage"),
              QStringList{"Permita o Tessaly em Acessibilidade. Até lá, o item só é copiado."});
    // The explanation wraps instead of being cut.
    QQuickItem *message = harness.find("bannerMessage");
    EXPECT_GT(message->property("lineCount").toInt(), 1);
    EXPECT_FALSE(message->property("truncated").toBool());
    click(harness.view(), harness.find("allowButton"));
    EXPECT_EQ(harness.model.calls, QStringList{"requestAccessibility"});
}

TEST_F(PanelViewsTest, TypingSearchesAndSelectsTheFirstMatch)
{
    const ClipItem first = sampleText("primeiro", now);
    const ClipItem second = sampleText("segundo texto", now);
    setItems({first, second});
    harness.view().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.view()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.find("searchField")->hasActiveFocus(); }));
    EXPECT_EQ(harness.model.selectedIDText(), idOf(first));
    EXPECT_FALSE(shown("clearSearchButton"));

    for (char c : QByteArray("seg"))
        QTest::keyClick(&harness.view(), c);
    EXPECT_EQ(harness.model.query(), "seg");
    EXPECT_EQ(harness.model.selectedIDText(), idOf(second));
    harness.settle();
    ASSERT_TRUE(shown("clearSearchButton"));

    click(harness.view(), harness.find("clearSearchButton"));
    EXPECT_EQ(harness.model.query(), "");
    EXPECT_EQ(harness.model.selectedIDText(), idOf(first));
    harness.settle();
    EXPECT_FALSE(shown("clearSearchButton"));
    EXPECT_EQ(harness.find("searchField")->property("text").toString(), "");
    EXPECT_EQ(harness.find("searchField")->property("placeholderText").toString(),
              "Pesquisar no histórico");
}

TEST_F(PanelViewsTest, AChipSetsTheFilterAndSelectsTheFirstEntry)
{
    const ClipItem text = sampleText("texto", now);
    const ClipItem link = sampleLink("https://example.com", now);
    setItems({text, link});
    QStringList labels;
    for (const char *value : {"all", "text", "link", "image", "file", "pinned"})
        labels.append(harness.texts(QStringLiteral("filterChip_") + value).value(0));
    EXPECT_EQ(labels, (QStringList{"Tudo", "Texto", "Links", "Imagens", "Arquivos", "Fixados"}));

    click(harness.view(), harness.find("filterChip_link"));
    EXPECT_EQ(harness.model.filterName(), "link");
    EXPECT_EQ(harness.model.selectedIDText(), idOf(link));
    EXPECT_TRUE(harness.find("filterChip_link")->property("active").toBool());
    EXPECT_FALSE(harness.find("filterChip_all")->property("active").toBool());
}

TEST_F(PanelViewsTest, CardsShowBadgesPinMarksAndMetaTexts)
{
    QList<ClipItem> items;
    ClipItem pinned = sampleText("fixado", now, 5 * 60, "org.gnome.TextEditor", "Editor de Texto");
    pinned.pinned = true;
    items.append(pinned);
    items.append(sampleText("recente", now, 9.9));
    for (int i = 2; i < 10; ++i)
        items.append(sampleText(QStringLiteral("entrada %1").arg(i), now, 3600.0 * i));
    items.append(sampleText(QString(141, u'x'), now, 86400 * 3));
    setItems(items);
    // Nothing selected, nothing hovered: every card shows its right end at rest.
    harness.model.setSelectedID(QString());
    QQuickView &view = harness.view();
    QTest::mouseMove(&view, QPoint(399, 559));
    harness.settle();

    QQuickItem *card0 = harness.card(0);
    ASSERT_TRUE(card0);
    EXPECT_TRUE(shown("pinMark", card0));
    EXPECT_EQ(harness.texts("shortcutBadge", card0), QStringList{"⌘1"});
    EXPECT_EQ(harness.texts("metaPiece", card0), (QStringList{"Editor de Texto", "·", "há 5 min"}));
    EXPECT_FALSE(shown("controls", card0));

    QQuickItem *card1 = harness.card(1);
    EXPECT_FALSE(shown("pinMark", card1));
    EXPECT_EQ(harness.texts("metaPiece", card1), (QStringList{"Desconhecido", "·", "agora"}));

    QQuickItem *list = harness.find("historyList");
    QMetaObject::invokeMethod(list, "positionViewAtEnd");
    harness.settle();
    EXPECT_EQ(harness.texts("shortcutBadge", harness.card(8)), QStringList{"⌘9"});
    EXPECT_EQ(harness.texts("shortcutBadge", harness.card(9)), QStringList{});
    EXPECT_EQ(harness.texts("metaPiece", harness.card(10)),
              (QStringList{"Desconhecido", "·", "há 3 dias", "·", "141 caracteres"}));
}

TEST_F(PanelViewsTest, HoverAndSelectionShowTheControls)
{
    ClipItem pinned = sampleText("fixado", now);
    pinned.pinned = true;
    setItems({sampleText("selecionado", now), pinned, sampleText("outro", now)});
    QQuickView &view = harness.view();
    QTest::mouseMove(&view, QPoint(399, 559));
    harness.settle();

    // The selected card always shows its buttons.
    EXPECT_TRUE(shown("controls", harness.card(0)));
    EXPECT_FALSE(shown("shortcutBadge", harness.card(0)));
    EXPECT_FALSE(shown("controls", harness.card(1)));

    QTest::mouseMove(&view, centerOf(harness.card(1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("controls", harness.card(1)); }));
    EXPECT_FALSE(shown("pinMark", harness.card(1)));
    QQuickItem *pin = harness.find("pinButton", harness.card(1));
    EXPECT_EQ(pin->property("symbol").toString(), "pin.fill");
    EXPECT_EQ(pin->property("help").toString(), "Desafixar (⌘P)");
    EXPECT_EQ(harness.find("deleteButton", harness.card(1))->property("help").toString(),
              "Excluir (⌘⌫)");
    EXPECT_EQ(harness.find("pinButton", harness.card(0))->property("help").toString(),
              "Fixar (⌘P)");

    QTest::mouseMove(&view, QPoint(399, 559));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown("controls", harness.card(1)); }));
    EXPECT_TRUE(shown("pinMark", harness.card(1)));
}

TEST_F(PanelViewsTest, AClickPastesAndTheButtonsPinAndDelete)
{
    const ClipItem a = sampleText("a", now);
    const ClipItem b = sampleText("b", now);
    setItems({a, b});
    QQuickView &view = harness.view();

    click(view, harness.find("metaRow", harness.card(1)));
    EXPECT_EQ(harness.model.calls, QStringList{"paste " + idOf(b)});

    harness.model.calls.clear();
    click(view, harness.find("pinButton", harness.card(0)));
    click(view, harness.find("deleteButton", harness.card(0)));
    EXPECT_EQ(harness.model.calls, (QStringList{"togglePin " + idOf(a), "delete " + idOf(a)}));

    // The menu's actions reach the model and the desktop.
    harness.model.calls.clear();
    const ClipItem link = sampleLink(" https://example.com/x \n", now);
    const ClipItem files = sampleFiles({"/tmp/a.txt", "/tmp/b.txt"}, now);
    setItems({link, files});
    QMetaObject::invokeMethod(harness.card(0), "perform", Q_ARG(QVariant, "pastePlainText"));
    QMetaObject::invokeMethod(harness.card(0), "perform", Q_ARG(QVariant, "openLink"));
    QMetaObject::invokeMethod(harness.card(1), "perform", Q_ARG(QVariant, "revealFiles"));
    EXPECT_EQ(harness.model.calls, QStringList{"paste " + idOf(link) + " plain"});
    EXPECT_EQ(harness.workspace.opened, QList<QUrl>{QUrl("https://example.com/x")});
    EXPECT_EQ(harness.workspace.revealed,
              (QList<QList<QUrl>>{
                  {QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b.txt")}}));
}

TEST_F(PanelViewsTest, EachKindShowsItsContent)
{
    const QString fileA = "/home/ana/Documentos/relatório.pdf";
    const ClipItem text = sampleText("\t" + QString(1000, u'a') + "  ", now);
    const ClipItem link = sampleLink("https://www.example.com.br/caminho/longo?x=1", now);
    const ClipItem color = sampleColor(" #ffffff80 ", now);
    const ClipItem wide = sampleImage(2000, 500, now);
    const ClipItem small = sampleImage(100, 40, now);
    const ClipItem missing = sampleImage(800, 600, now);
    const ClipItem files = sampleFiles({fileA, "/tmp/b.png", "/tmp/c"}, now);
    harness.images.thumbnails.insert(wide.id, sampleThumbnail(400, 100));
    harness.images.thumbnails.insert(small.id, sampleThumbnail(100, 40));
    QPixmap page(32, 32);
    page.fill(Qt::gray);
    harness.images.genericFileIcon = QIcon(page);
    setItems({text, link, color, wide, small, missing, files});

    QQuickItem *list = harness.find("historyList");
    const auto card = [&](int row) {
        QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, row),
                                  Q_ARG(int, 2 /* ListView.Contain */));
        harness.settle();
        return harness.card(row);
    };

    const QString preview = harness.find("previewText", card(0))->property("text").toString();
    EXPECT_EQ(preview, QString(700, u'a'));
    EXPECT_TRUE(harness.find("previewText", card(0))->property("truncated").toBool());

    EXPECT_EQ(harness.texts("linkTitle", card(1)), QStringList{"www.example.com.br"});
    EXPECT_EQ(harness.texts("linkAddress", card(1)),
              QStringList{"https://www.example.com.br/caminho/longo?x=1"});

    EXPECT_EQ(harness.texts("colorLabel", card(2)), QStringList{"#FFFFFF80"});
    EXPECT_EQ(harness.find("swatch", card(2))->property("color").value<QColor>(),
              QColor::fromRgb(255, 255, 255, 128));

    QQuickItem *wideImage = harness.find("thumbnail", card(3));
    ASSERT_TRUE(wideImage && isShown(wideImage));
    EXPECT_EQ(QSizeF(wideImage->width(), wideImage->height()), QSizeF(356, 89));
    QQuickItem *smallImage = harness.find("thumbnail", card(4));
    EXPECT_EQ(QSizeF(smallImage->width(), smallImage->height()), QSizeF(50, 24));
    EXPECT_EQ(smallImage->property("status").toInt(), 1 /* Image.Ready */);
    EXPECT_TRUE(shown("imageMissing", card(5)));
    EXPECT_FALSE(shown("thumbnail", card(5)));

    EXPECT_EQ(harness.texts("fileNames", card(6)), QStringList{"relatório.pdf, b.png, c"});
    EXPECT_EQ(harness.texts("fileFolder", card(6)), QStringList{"/home/ana/Documentos"});
    EXPECT_TRUE(shown("fileIcon", card(6)));
}

TEST_F(PanelViewsTest, TheListFollowsTheSelectionAndStartsAtTheTopOnEachOpening)
{
    QList<ClipItem> items;
    for (int i = 0; i < 30; ++i)
        items.append(sampleText(QStringLiteral("entrada %1").arg(i), now, 60.0 * i));
    setItems(items);
    QQuickItem *list = harness.find("historyList");
    const auto cardVisible = [&](int row) {
        QQuickItem *card = harness.card(row);
        if (!card)
            return false;
        const QRectF inList = card->mapRectToItem(list, card->boundingRect());
        return inList.top() >= -0.5 && inList.bottom() <= list->height() + 0.5;
    };
    EXPECT_TRUE(cardVisible(0));

    harness.model.setSelectedID(idOf(items[20]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cardVisible(20); }, 3000));
    // Only as far as needed: the card ends at the bottom of the list.
    QQuickItem *card = harness.card(20);
    const QRectF inList = card->mapRectToItem(list, card->boundingRect());
    EXPECT_NEAR(inList.bottom(), list->height(), 1.0);
    EXPECT_FALSE(cardVisible(0));

    harness.model.open();
    harness.settle();
    EXPECT_TRUE(cardVisible(0));
    EXPECT_DOUBLE_EQ(list->property("contentY").toReal(),
                     list->property("originY").toReal() - list->property("topMargin").toReal());
}
