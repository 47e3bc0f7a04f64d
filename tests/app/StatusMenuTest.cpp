#include "app/StatusMenu.h"
#include "fakes/SampleClips.h"
#include "hotkey/KeyPosition.h"

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using Type = StatusMenuEntry::Type;

namespace {

// The menu in a form that reads like the menu: titles, "---" for separators, "# " before the
// heading, "[off] " before a disabled item, " {key}" after one with a key, " <symbol>".
QStringList outline(const QList<StatusMenuEntry> &menu)
{
    QStringList lines;
    for (const StatusMenuEntry &entry : menu) {
        if (entry.type == Type::Separator) {
            lines.append(u"---"_s);
            continue;
        }
        QString line = entry.type == Type::Header ? u"# "_s : QString();
        if (!entry.enabled && entry.type == Type::Item)
            line += u"[off] "_s;
        line += entry.title;
        if (!entry.shortcut.isEmpty())
            line += u" {"_s + entry.shortcut.toString() + u'}';
        if (!entry.symbol.isEmpty())
            line += u" <"_s + entry.symbol + u'>';
        lines.append(line);
    }
    return lines;
}

QList<ClipItem> texts(int count, bool pinned = false)
{
    QList<ClipItem> items;
    for (int n = 1; n <= count; ++n) {
        ClipItem item = test::sampleText(u"texto %1"_s.arg(n), Instant(800'000'000.0));
        item.pinned = pinned;
        items.append(item);
    }
    return items;
}

StatusMenuState state(QList<ClipItem> items, bool paused = false)
{
    StatusMenuState menu;
    menu.items = std::move(items);
    menu.paused = paused;
    menu.hotKeyCharacter = u"v"_s;
    return menu;
}

} // namespace

TEST(StatusMenu, FollowsTheHistoryAndThePauseState)
{
    const QStringList tail = {u"---"_s,
                              u"Pausar captura <pause.circle>"_s,
                              u"Limpar histórico"_s,
                              u"---"_s,
                              u"Ajustes… {Ctrl+,}"_s,
                              u"Sair do Tessaly {Ctrl+Q}"_s};
    const QStringList head = {u"Mostrar histórico {Ctrl+Shift+V}"_s, u"---"_s};

    // Empty: the other heading, nothing to clear.
    QStringList empty = head + QStringList{u"# Nenhum item copiado"_s} + tail;
    empty[empty.indexOf(u"Limpar histórico"_s)] = u"[off] Limpar histórico"_s;
    EXPECT_EQ(outline(StatusMenu::build(state({}))), empty);

    // Twelve entries: ten listed, the first nine with keys 1 to 9.
    QStringList twelve = head + QStringList{u"# Recentes"_s};
    for (int n = 1; n <= 9; ++n)
        twelve.append(u"texto %1 {%1} <text.alignleft>"_s.arg(n));
    twelve.append(u"texto 10 <text.alignleft>"_s);
    twelve += tail;
    const QList<ClipItem> items = texts(12);
    const QList<StatusMenuEntry> menu = StatusMenu::build(state(items));
    EXPECT_EQ(outline(menu), twelve);
    EXPECT_EQ(menu[3].action, StatusAction::ChooseItem);
    EXPECT_EQ(menu[3].itemID, items[0].id);

    // Only pinned entries: nothing to clear; pinned rows show the pin, blank text "(vazio)".
    QList<ClipItem> pinned = texts(2, true);
    pinned.append(test::sampleText(u" \n "_s, Instant(800'000'000.0)));
    pinned.last().pinned = true;
    const QStringList pinnedRows = outline(StatusMenu::build(state(pinned)));
    EXPECT_EQ(pinnedRows.mid(3, 3), (QStringList{u"texto 1 {1} <pin>"_s, u"texto 2 {2} <pin>"_s,
                                                 u"(vazio) {3} <pin>"_s}));
    EXPECT_TRUE(pinnedRows.contains(u"[off] Limpar histórico"_s));

    // An unpinned entry past the tenth still has something to clear.
    QList<ClipItem> eleven = texts(10, true);
    eleven += texts(1);
    EXPECT_TRUE(outline(StatusMenu::build(state(eleven))).contains(u"Limpar histórico"_s));

    // Paused.
    EXPECT_TRUE(outline(StatusMenu::build(state(texts(1), true)))
                    .contains(u"Retomar captura <play.circle>"_s));
}

TEST(StatusMenu, EntrySymbolsAndTheHotKeyFollowWhatTheyShow)
{
    const Instant now(800'000'000.0);
    EXPECT_EQ(StatusMenu::symbolFor(test::sampleLink(u"https://a.b"_s, now)), u"link");
    EXPECT_EQ(StatusMenu::symbolFor(test::sampleColor(u"#ffaa00"_s, now)), u"paintpalette");
    EXPECT_EQ(StatusMenu::symbolFor(test::sampleImage(10, 10, now)), u"photo");
    EXPECT_EQ(StatusMenu::symbolFor(test::sampleFiles({u"/a"_s}, now)), u"doc");

    // ⌃⌥ + the key: Super and Alt; no character, no key shown.
    EXPECT_EQ(StatusMenu::hotKeySequence(HotKeyCombo(KeyPosition::V, 0xC0000), u"v"_s).toString(),
              u"Meta+Alt+V"_s);
    EXPECT_EQ(StatusMenu::hotKeySequence(HotKeyCombo(KeyPosition::V, 0x120000), u"ç"_s).toString(),
              u"Ctrl+Shift+Ç"_s);
    EXPECT_TRUE(StatusMenu::hotKeySequence(HotKeyCombo(), std::nullopt).isEmpty());
}
