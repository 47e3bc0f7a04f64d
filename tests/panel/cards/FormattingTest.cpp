#include "panel/cards/Formatting.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

ClipItem textItem(const QString &text)
{
    ClipItem item;
    item.kind = ClipKind::Text;
    item.text = text;
    return item;
}

QString detailOf(const ClipItem &item)
{
    return Formatting::detail(item).value_or(QStringLiteral("<none>"));
}

} // namespace

TEST(FormattingTest, TextDetailCountsUserPerceivedCharactersWithGrouping)
{
    EXPECT_EQ(detailOf(textItem(QString(140, u'a'))), QStringLiteral("<none>"));
    EXPECT_EQ(detailOf(textItem(QString(141, u'a'))), QStringLiteral("141 caracteres"));
    EXPECT_EQ(detailOf(textItem(QString(1234, u'a'))), QStringLiteral("1.234 caracteres"));
    EXPECT_EQ(detailOf(textItem(QString(12000, u'a'))), QStringLiteral("12.000 caracteres"));
    ClipItem noText;
    EXPECT_EQ(detailOf(noText), QStringLiteral("<none>"));

    // 141 thumbs-up with a skin tone: 564 UTF-16 units, 141 characters.
    QString thumbs;
    for (int i = 0; i < 141; ++i)
        thumbs += QStringLiteral("\U0001F44D\U0001F3FD");
    EXPECT_EQ(detailOf(textItem(thumbs)), QStringLiteral("141 caracteres"));
    // 140 characters in 280 units: no detail.
    EXPECT_EQ(detailOf(textItem(
                  QString(140, QChar(0x00E9)).replace(QChar(0x00E9), QStringLiteral("e\u0301")))),
              QStringLiteral("<none>"));
}

TEST(FormattingTest, DetailsOfOtherKinds)
{
    ClipItem image;
    image.kind = ClipKind::Image;
    image.imageWidth = 1920;
    image.imageHeight = 1080;
    EXPECT_EQ(detailOf(image), QStringLiteral("1920 \u00D7 1080"));
    image.imageHeight.reset();
    EXPECT_EQ(detailOf(image), QStringLiteral("<none>"));

    ClipItem files;
    files.kind = ClipKind::File;
    EXPECT_EQ(detailOf(files), QStringLiteral("<none>"));
    files.filePaths = QStringList{QStringLiteral("/a")};
    EXPECT_EQ(detailOf(files), QStringLiteral("<none>"));
    files.filePaths->append(QStringLiteral("/b"));
    EXPECT_EQ(detailOf(files), QStringLiteral("2 itens"));

    ClipItem link = textItem(QString(500, u'x'));
    link.kind = ClipKind::Link;
    EXPECT_EQ(detailOf(link), QStringLiteral("<none>"));
    link.kind = ClipKind::Color;
    EXPECT_EQ(detailOf(link), QStringLiteral("<none>"));
}

TEST(FormattingTest, RelativeTextsInTheLargestWholeUnit)
{
    const QDateTime now = QDateTime(QDate(2024, 3, 15), QTime(12, 0), Qt::UTC);
    const auto ago = [&](qint64 seconds) {
        return Formatting::relativeText(now.addSecs(-seconds), now);
    };
    EXPECT_EQ(ago(30), QStringLiteral("há 30 seg."));
    EXPECT_EQ(ago(5 * 60), QStringLiteral("há 5 min."));
    EXPECT_EQ(ago(119), QStringLiteral("há 1 min.")); // whole minutes
    EXPECT_EQ(ago(3 * 3600 + 59 * 60), QStringLiteral("há 3 h"));
    EXPECT_EQ(ago(26 * 3600), QStringLiteral("há 1 dia"));
    EXPECT_EQ(ago(2 * 86400), QStringLiteral("há 2 dias"));
    EXPECT_EQ(ago(8 * 86400), QStringLiteral("há 1 sem."));
    EXPECT_EQ(ago(40 * 86400), QStringLiteral("há 1 mês"));
    EXPECT_EQ(ago(400 * 86400), QStringLiteral("há 1 ano"));
    // Calendar months: 15 January to 14 March is one whole month.
    EXPECT_EQ(Formatting::relativeText(QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC),
                                       QDateTime(QDate(2024, 3, 14), QTime(12, 0), Qt::UTC)),
              QStringLiteral("há 1 mês"));
    EXPECT_EQ(Formatting::relativeText(now.addSecs(5 * 60), now), QStringLiteral("em 5 min."));
}
