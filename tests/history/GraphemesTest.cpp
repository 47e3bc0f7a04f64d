#include "history/Graphemes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tessaly;

namespace {

const QString family =
    QStringLiteral("👨‍👩‍👧");           // a ZWJ sequence: one character, 8 units
const QString flag = QStringLiteral("🇧🇷");          // two regional indicators: one character
const QString accented = QStringLiteral("e\u0301"); // e + combining acute: one character

} // namespace

TEST(Graphemes, CountKeepsClustersTogether)
{
    EXPECT_EQ(Graphemes::count(QString()), 0);
    EXPECT_EQ(Graphemes::count(accented), 1);
    // A family followed by a flag: two characters, twelve code units.
    EXPECT_EQ(Graphemes::count(family + flag), 2);
    EXPECT_EQ(Graphemes::count(
                  QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\U0001F1E7\U0001F1F7")),
              2);
    // A thumbs-up with a skin tone is one character.
    EXPECT_EQ(Graphemes::count(QStringLiteral("\U0001F44D\U0001F3FD").repeated(141)), 141);
    // "\r\n" is one character.
    EXPECT_EQ(Graphemes::count(QStringLiteral("a\r\nb")), 3);
}

TEST(Graphemes, PrefixNeverSplitsACharacter)
{
    const QString text = family + flag + accented + QStringLiteral("xyz");
    EXPECT_EQ(Graphemes::prefix(text, 1), family);
    EXPECT_EQ(Graphemes::prefix(text, 2), family + flag);
    EXPECT_EQ(Graphemes::prefix(text, 3), family + flag + accented);
    EXPECT_EQ(Graphemes::prefix(text, 4), family + flag + accented + u'x');
    EXPECT_EQ(Graphemes::prefix(text, 100), text);
    EXPECT_EQ(Graphemes::prefix(family + flag + flag, 2), family + flag);
    EXPECT_EQ(Graphemes::prefix(accented.repeated(800), 700), accented.repeated(700));
}

TEST(Graphemes, PrefixOfNothingAndOfShortTexts)
{
    EXPECT_EQ(Graphemes::prefix(QString(), 0), QString());
    EXPECT_EQ(Graphemes::prefix(QStringLiteral("abc"), 0), QString());
    EXPECT_EQ(Graphemes::prefix(QStringLiteral("abc"), -1), QString());
    EXPECT_EQ(Graphemes::prefix(QString(), 5), QString());
    EXPECT_EQ(Graphemes::prefix(QStringLiteral("abc"), 3), QStringLiteral("abc"));
}

TEST(Graphemes, LongTextsCountCharactersNotUnits)
{
    // 200,002 UTF-16 units but fewer than 200,000 characters: nothing is cut.
    const QString emoji = QStringLiteral("😀").repeated(100'001);
    EXPECT_EQ(Graphemes::prefix(emoji, 200'000), emoji);
    EXPECT_EQ(Graphemes::prefix(emoji, 3).size(), 6);
    EXPECT_EQ(Graphemes::count(emoji), 100'001);
}

TEST(Graphemes, EveryThreadCanCountAtOnce)
{
    // The capture worker and the panel count at the same time.
    const QString text = (family + flag + accented).repeated(1000);
    qsizetype counts[2] = {};
    std::thread other([&] { counts[0] = Graphemes::count(text); });
    counts[1] = Graphemes::count(text);
    other.join();
    EXPECT_EQ(counts[0], 3000);
    EXPECT_EQ(counts[1], 3000);
}
