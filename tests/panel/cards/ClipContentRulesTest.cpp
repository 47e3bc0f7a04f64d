#include "panel/cards/ClipContentRules.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::ClipContentRules;

namespace {

std::optional<QString> text(const QString &value)
{
    return value;
}

} // namespace

TEST(ClipContentRules, TextPreviewTrimsCutsAtSevenHundredCharactersAndExpandsTabs)
{
    EXPECT_EQ(textPreview(text(QString(1000, u'a'))).size(), 700);
    EXPECT_EQ(textPreview(text(QStringLiteral("  \n") + QString(1000, u'b'))), QString(700, u'b'));
    EXPECT_EQ(textPreview(text(QStringLiteral(" \t\n "))), QString());
    EXPECT_EQ(textPreview(std::nullopt), QString());
    EXPECT_EQ(textPreview(text(QStringLiteral("a\tb"))), QStringLiteral("a    b"));
    // Tabs are expanded after the cut: 700 characters may become a longer text.
    EXPECT_EQ(textPreview(text(u'x' + QString(700, u'\t') + u'y')), u'x' + QString(699 * 4, u' '));
}

TEST(ClipContentRules, TextPreviewCutsOnUserPerceivedCharacters)
{
    const QString flag = QStringLiteral("🇧🇷");
    EXPECT_EQ(textPreview(text(flag.repeated(701))), flag.repeated(700));
    // A base letter with a combining accent is one character.
    const QString accented = QStringLiteral("e\u0301");
    EXPECT_EQ(textPreview(text(accented.repeated(800))), accented.repeated(700));
}

TEST(ClipContentRules, LinkTitleIsTheHostAsWrittenOrTheWholeText)
{
    const struct
    {
        QString link;
        QString title;
    } cases[] = {
        {QStringLiteral("https://www.example.com/a/b?c=d"), QStringLiteral("www.example.com")},
        {QStringLiteral("  https://Example.COM:8080/x\n"), QStringLiteral("Example.COM")},
        {QStringLiteral("ftp://user:pw@files.example.org/pub"),
         QStringLiteral("files.example.org")},
        {QStringLiteral("http://[::1]:80/"), QStringLiteral("[::1]")},
        {QStringLiteral("palavra"), QStringLiteral("palavra")},
        {QStringLiteral("mailto:ana@example.com"), QStringLiteral("mailto:ana@example.com")},
        {QStringLiteral("https://exa mple.com/"), QStringLiteral("https://exa mple.com/")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        EXPECT_EQ(linkTitle(text(c.link)), c.title);
    }
}

TEST(ClipContentRules, ColorFromHexAcceptsThreeSixAndEightDigits)
{
    const QColor white = QColor::fromRgb(255, 255, 255, 255);
    const struct
    {
        const char16_t *hex;
        std::optional<QColor> color;
    } cases[] = {
        {u"#fff", white},
        {u"fff", white},
        {u"  #FFFFFF \n", white},
        {u"#ffffffff", white},
        {u"#ffffff80", QColor::fromRgb(255, 255, 255, 128)},
        {u"#1e90FF", QColor::fromRgb(0x1e, 0x90, 0xff)},
        {u"#abc", QColor::fromRgb(0xaa, 0xbb, 0xcc)},

        {u"#ffff", std::nullopt},
        {u"#ggg", std::nullopt},
        {u"#", std::nullopt},
        {u"", std::nullopt},
        {u"##fff", std::nullopt},
        {u"#+fffff", std::nullopt},
        {u"0x123456", std::nullopt},
        {u"#12 456", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.hex).toStdString());
        EXPECT_EQ(colorFromHex(c.hex), c.color);
    }

    EXPECT_EQ(colorLabel(text(QStringLiteral(" #ffffff80 "))), QStringLiteral("#FFFFFF80"));
    EXPECT_EQ(colorLabel(text(QStringLiteral("#ggg"))), QStringLiteral("#GGG"));
}

TEST(ClipContentRules, ImageDisplaySizeFitsHalvesAndKeepsAMinimum)
{
    const struct
    {
        std::optional<qint64> width;
        std::optional<qint64> height;
        QSize thumbnail;
        QSizeF shown;
        const char *why = "";
    } cases[] = {
        {2000, 500, {}, QSizeF(356, 89)},
        {100, 40, {}, QSizeF(50, 24)},
        {20, 20, {}, QSizeF(24, 24)},
        {0, 0, QSize(), QSizeF(356, 140)},
        {std::nullopt, std::nullopt, QSize(0, 0), QSizeF(356, 140)},
        {400, 1600, {}, QSizeF(35, 140), "a tall image is limited by the height"},
        {std::nullopt, std::nullopt, QSize(200, 100), QSizeF(100, 50),
         "a missing stored size is taken from the thumbnail"},
        {2000, std::nullopt, QSize(640, 500), QSizeF(356, 89),
         "a missing stored side is taken from the thumbnail"},
        {0, 300, QSize(640, 480), QSizeF(356, 140),
         "a stored zero is not replaced by the thumbnail's size"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.width.value_or(-1) << " x " << c.height.value_or(-1) << ", thumbnail "
                     << c.thumbnail.width() << " x " << c.thumbnail.height());
        EXPECT_EQ(imageDisplaySize(c.width, c.height, c.thumbnail), c.shown) << c.why;
    }
}

TEST(ClipContentRules, FileLinesNameTheFilesAndTheFirstFolder)
{
    const QStringList three{QStringLiteral("/home/ana/Documentos/relatório final.pdf"),
                            QStringLiteral("/home/ana/Imagens/foto 100%.png"),
                            QStringLiteral("/tmp/projeto/")};
    EXPECT_EQ(fileNamesLine(three), QStringLiteral("relatório final.pdf, foto 100%.png, projeto"));
    EXPECT_EQ(fileFolderLine(three), QStringLiteral("/home/ana/Documentos"));
    EXPECT_EQ(fileFolderLine({QStringLiteral("/tmp/projeto/")}), QStringLiteral("/tmp"));
    EXPECT_EQ(fileFolderLine({QStringLiteral("/arquivo")}), QStringLiteral("/"));
    EXPECT_EQ(fileNamesLine({}), QString());
    EXPECT_EQ(fileFolderLine({}), QString());
}

TEST(ClipContentRules, ElideMiddleKeepsBothEndsWithinTheLines)
{
    QFont font;
    font.setPixelSize(12);
    const QString url =
        QStringLiteral("https://example.com/") + QString(400, u'x') + QStringLiteral("/fim.html");
    const QString elided = elideMiddle(url, font, 300, 2);
    EXPECT_LT(elided.size(), url.size());
    EXPECT_TRUE(elided.startsWith(QStringLiteral("https://example.com/")));
    EXPECT_TRUE(elided.endsWith(QStringLiteral("fim.html")));
    EXPECT_TRUE(elided.contains(QStringLiteral("…")));
    EXPECT_EQ(elideMiddle(QStringLiteral("https://a.b/"), font, 300, 2),
              QStringLiteral("https://a.b/"));
}
