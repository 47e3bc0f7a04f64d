#include "panel/HistoryViewRules.h"
#include "fakes/SampleClips.h"
#include "panel/theme/Symbols.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::HistoryViewRules;

TEST(HistoryViewRules, FilterChipsInOrder)
{
    QStringList values;
    QStringList labels;
    for (const FilterChoice &choice : filterChoices()) {
        values.append(choice.value);
        labels.append(choice.label);
    }
    EXPECT_EQ(values, (QStringList{"all", "text", "link", "image", "file", "pinned"}));
    EXPECT_EQ(labels, (QStringList{"Tudo", "Texto", "Links", "Imagens", "Arquivos", "Fixados"}));
    EXPECT_EQ(filterLabel(QStringLiteral("image")), QStringLiteral("Imagens"));
    EXPECT_EQ(filterLabel(QStringLiteral("nope")), QString());
}

TEST(HistoryViewRules, EmptyStateForSearchFilterAndEmptyHistory)
{
    const QString hint = QStringLiteral(
        "Copie algo com ⌘C e ele aparece aqui.\nFixe itens para mantê-los ao limpar.");

    const EmptyState nothing = emptyState(QString(), QStringLiteral("all"));
    EXPECT_EQ(nothing.symbol, QStringLiteral("clipboard"));
    EXPECT_EQ(nothing.title, QStringLiteral("Nada copiado ainda"));
    EXPECT_EQ(nothing.subtitle, hint);

    const EmptyState images = emptyState(QString(), QStringLiteral("image"));
    EXPECT_EQ(images.title, QStringLiteral("Nada em Imagens"));
    EXPECT_EQ(images.subtitle, hint);
    EXPECT_EQ(images.symbol, QStringLiteral("clipboard"));

    // The query is quoted as typed, spaces included.
    const EmptyState search = emptyState(QStringLiteral(" xyz "), QStringLiteral("image"));
    EXPECT_EQ(search.symbol, QStringLiteral("magnifyingglass"));
    EXPECT_EQ(search.title, QStringLiteral("Nenhum resultado"));
    EXPECT_EQ(search.subtitle, QStringLiteral("Nada encontrado para “ xyz ”."));
    // A placeholder-like query is quoted literally.
    EXPECT_EQ(emptyState(QStringLiteral("%1"), QStringLiteral("all")).subtitle,
              QStringLiteral("Nada encontrado para “%1”."));

    // Spaces and tabs alone are no search; a line break is.
    EXPECT_EQ(emptyState(QStringLiteral(" \t "), QStringLiteral("all")).title,
              QStringLiteral("Nada copiado ainda"));
    EXPECT_EQ(emptyState(QStringLiteral("\n"), QStringLiteral("all")).title,
              QStringLiteral("Nenhum resultado"));
}

TEST(HistoryViewRules, ClearAllNeedsAnUnpinnedEntryInTheWholeHistory)
{
    const Instant now(700000000);
    EXPECT_FALSE(hasUnpinnedItems({}));
    ClipItem pinned = test::sampleText(QStringLiteral("a"), now);
    pinned.pinned = true;
    EXPECT_FALSE(hasUnpinnedItems({pinned, pinned}));
    EXPECT_TRUE(hasUnpinnedItems({pinned, test::sampleText(QStringLiteral("b"), now)}));
}

TEST(HistoryViewRules, BannerNamesTheAccessibilityPage)
{
    EXPECT_EQ(bannerTitle(), QStringLiteral("Colar automático indisponível"));
    EXPECT_EQ(bannerMessage(),
              QStringLiteral("Permita o Tessaly em Acessibilidade. Até lá, o item só é copiado."));
}

TEST(Symbols, EveryNamedSymbolIsBundled)
{
    // The resources of the panel's views are linked into this test through tessaly_panel_views.
    for (const char *name : {"square.on.square.fill", "gearshape", "magnifyingglass",
                             "xmark.circle.fill", "exclamationmark.triangle.fill", "clipboard",
                             "link", "photo", "pin", "pin.fill", "trash"}) {
        EXPECT_TRUE(Symbols::names().contains(QLatin1String(name))) << name;
    }
    for (const QString &name : Symbols::names())
        EXPECT_TRUE(QFile::exists(Symbols::resourcePath(name))) << name.toStdString();
    EXPECT_EQ(Symbols::resourcePath(QStringLiteral("nope")), QString());
}
