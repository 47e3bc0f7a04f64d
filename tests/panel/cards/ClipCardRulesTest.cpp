#include "panel/cards/ClipCardRules.h"
#include "fakes/SampleClips.h"

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::ClipCardRules;
using Action = tessaly::ClipCardRules::MenuEntry::Action;

namespace {

const Instant now = Instant(700000000);

QString relative(Instant date, Instant reference)
{
    return QStringLiteral("há %1 s").arg(reference.secondsSince(date));
}

QList<Action> actionsOf(const QList<MenuEntry> &menu)
{
    QList<Action> actions;
    for (const MenuEntry &entry : menu)
        actions.append(entry.action);
    return actions;
}

} // namespace

TEST(ClipCardRules, AgeIsAgoraBelowTenSecondsAndInTheFuture)
{
    EXPECT_EQ(ageText(now.addingSeconds(-9.9), now, relative), QStringLiteral("agora"));
    EXPECT_EQ(ageText(now, now, relative), QStringLiteral("agora"));
    EXPECT_EQ(ageText(now.addingSeconds(3600), now, relative), QStringLiteral("agora"));
    EXPECT_EQ(ageText(now.addingSeconds(-10), now, relative), QStringLiteral("há 10 s"));
    EXPECT_EQ(ageText(now.addingSeconds(-7200), now, relative), QStringLiteral("há 7200 s"));
}

TEST(ClipCardRules, BadgeForTheFirstNineCardsOnly)
{
    EXPECT_EQ(shortcutBadge(0), QStringLiteral("⌘1"));
    EXPECT_EQ(shortcutBadge(8), QStringLiteral("⌘9"));
    EXPECT_FALSE(shortcutBadge(9));
    EXPECT_FALSE(shortcutBadge(-1));
}

TEST(ClipCardRules, MetaPiecesNameTheAppAndAddTheDetailOnlyWhenPresent)
{
    EXPECT_EQ(metaPieces(std::nullopt, QStringLiteral("agora"), std::nullopt),
              (QStringList{QStringLiteral("Desconhecido"), QStringLiteral("agora")}));
    EXPECT_EQ(
        metaPieces(QStringLiteral("Editor"), QStringLiteral("há 5 min"), QStringLiteral("2 itens")),
        (QStringList{QStringLiteral("Editor"), QStringLiteral("há 5 min"),
                     QStringLiteral("2 itens")}));
    // An empty name is a name the application gave.
    EXPECT_EQ(metaPieces(QString(), QStringLiteral("agora"), std::nullopt).first(), QString());
}

TEST(ClipCardRules, PinControlFollowsThePinnedState)
{
    EXPECT_EQ(pinControl(false).symbol, QStringLiteral("pin"));
    EXPECT_FALSE(pinControl(false).orange);
    EXPECT_EQ(pinControl(false).help, QStringLiteral("Fixar (⌘P)"));
    EXPECT_EQ(pinControl(true).symbol, QStringLiteral("pin.fill"));
    EXPECT_TRUE(pinControl(true).orange);
    EXPECT_EQ(pinControl(true).help, QStringLiteral("Desafixar (⌘P)"));
    EXPECT_EQ(deleteHelp(), QStringLiteral("Excluir (⌘⌫)"));
}

TEST(ClipCardRules, ContextMenuItemsDependOnKindAndState)
{
    const ClipItem textItem = test::sampleText(QStringLiteral("olá"), now);
    EXPECT_EQ(actionsOf(contextMenu(textItem)),
              (QList<Action>{Action::Paste, Action::PastePlainText, Action::Separator,
                             Action::TogglePin, Action::Separator, Action::Delete}));
    const QList<MenuEntry> menu = contextMenu(textItem);
    EXPECT_EQ(menu.at(0).text, QStringLiteral("Colar"));
    EXPECT_EQ(menu.at(1).text, QStringLiteral("Colar como texto puro"));
    EXPECT_EQ(menu.at(3).text, QStringLiteral("Fixar"));
    EXPECT_EQ(menu.last().text, QStringLiteral("Excluir"));
    EXPECT_TRUE(menu.last().destructive);

    ClipItem pinned = textItem;
    pinned.pinned = true;
    EXPECT_EQ(contextMenu(pinned).at(3).text, QStringLiteral("Desafixar"));

    // Images cannot be pasted as plain text.
    const ClipItem image = test::sampleImage(100, 100, now);
    EXPECT_EQ(actionsOf(contextMenu(image)),
              (QList<Action>{Action::Paste, Action::Separator, Action::TogglePin, Action::Separator,
                             Action::Delete}));

    const ClipItem files = test::sampleFiles({QStringLiteral("/tmp/a.txt")}, now);
    EXPECT_TRUE(actionsOf(contextMenu(files)).contains(Action::RevealFiles));
    EXPECT_EQ(contextMenu(files).at(4).text, QStringLiteral("Mostrar no gerenciador de arquivos"));
    ClipItem noFiles = files;
    noFiles.filePaths = QStringList();
    EXPECT_FALSE(actionsOf(contextMenu(noFiles)).contains(Action::RevealFiles));
    noFiles.filePaths.reset();
    EXPECT_FALSE(actionsOf(contextMenu(noFiles)).contains(Action::RevealFiles));

    const ClipItem link = test::sampleLink(QStringLiteral("  https://example.com/a\n"), now);
    EXPECT_EQ(contextMenu(link).at(4).action, Action::OpenLink);
    EXPECT_EQ(contextMenu(link).at(4).text, QStringLiteral("Abrir link"));
    EXPECT_EQ(linkURL(link), QUrl(QStringLiteral("https://example.com/a")));
    // A text entry never offers to open a link, even when it reads as one.
    EXPECT_FALSE(
        actionsOf(contextMenu(test::sampleText(QStringLiteral("https://example.com"), now)))
            .contains(Action::OpenLink));
}

TEST(ClipCardRules, OpenLinkNeedsAnAbsoluteURL)
{
    EXPECT_FALSE(linkURL(test::sampleLink(QStringLiteral("palavra"), now)));
    EXPECT_FALSE(linkURL(test::sampleLink(QStringLiteral("https://exa mple.com"), now)));
    ClipItem noText = test::sampleLink(QStringLiteral("https://example.com"), now);
    noText.text.reset();
    EXPECT_FALSE(linkURL(noText));
    EXPECT_FALSE(actionsOf(contextMenu(noText)).contains(Action::OpenLink));
    EXPECT_EQ(linkURL(test::sampleLink(QStringLiteral("mailto:ana@example.com"), now)),
              QUrl(QStringLiteral("mailto:ana@example.com")));
}
