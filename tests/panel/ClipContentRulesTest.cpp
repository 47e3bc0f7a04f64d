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
    EXPECT_EQ(linkTitle(text(QStringLiteral("https://www.example.com/a/b?c=d"))),
              QStringLiteral("www.example.com"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("  https://Example.COM:8080/x\n"))),
              QStringLiteral("Example.COM"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("ftp://user:pw@files.example.org/pub"))),
              QStringLiteral("files.example.org"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("http://[::1]:80/"))), QStringLiteral("[::1]"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("palavra"))), QStringLiteral("palavra"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("mailto:ana@example.com"))),
              QStringLiteral("mailto:ana@example.com"));
    EXPECT_EQ(linkTitle(text(QStringLiteral("https://exa mple.com/"))),
              QStringLiteral("https://exa mple.com/"));
}

TEST(ClipContentRules, ColorFromHexAcceptsThreeSixAndEightDigits)
{
    const QColor white = QColor::fromRgb(255, 255, 255, 255);
    EXPECT_EQ(colorFromHex(u"#fff"), white);
    EXPECT_EQ(colorFromHex(u"fff"), white);
    EXPECT_EQ(colorFromHex(u"  #FFFFFF \n"), white);
    EXPECT_EQ(colorFromHex(u"#ffffffff"), white);
    EXPECT_EQ(colorFromHex(u"#ffffff80"), QColor::fromRgb(255, 255, 255, 128));
    EXPECT_EQ(colorFromHex(u"#1e90FF"), QColor::fromRgb(0x1e, 0x90, 0xff));
    EXPECT_EQ(colorFromHex(u"#abc"), QColor::fromRgb(0xaa, 0xbb, 0xcc));

    EXPECT_FALSE(colorFromHex(u"#ffff"));
    EXPECT_FALSE(colorFromHex(u"#ggg"));
    EXPECT_FALSE(colorFromHex(u"#"));
    EXPECT_FALSE(colorFromHex(u""));
    EXPECT_FALSE(colorFromHex(u"##fff"));
    EXPECT_FALSE(colorFromHex(u"#+fffff"));
    EXPECT_FALSE(colorFromHex(u"0x123456"));
    EXPECT_FALSE(colorFromHex(u"#12 456"));

    EXPECT_EQ(colorLabel(text(QStringLiteral(" #ffffff80 "))), QStringLiteral("#FFFFFF80"));
    EXPECT_EQ(colorLabel(text(QStringLiteral("#ggg"))), QStringLiteral("#GGG"));
}

TEST(ClipContentRules, ImageDisplaySizeFitsHalvesAndKeepsAMinimum)
{
    EXPECT_EQ(imageDisplaySize(2000, 500, {}), QSizeF(356, 89));
    EXPECT_EQ(imageDisplaySize(100, 40, {}), QSizeF(50, 24));
    EXPECT_EQ(imageDisplaySize(20, 20, {}), QSizeF(24, 24));
    EXPECT_EQ(imageDisplaySize(0, 0, QSize()), QSizeF(356, 140));
    EXPECT_EQ(imageDisplaySize(std::nullopt, std::nullopt, QSize(0, 0)), QSizeF(356, 140));
    // A tall image is limited by the height.
    EXPECT_EQ(imageDisplaySize(400, 1600, {}), QSizeF(35, 140));
    // A missing stored size is taken from the thumbnail, side by side.
    EXPECT_EQ(imageDisplaySize(std::nullopt, std::nullopt, QSize(200, 100)), QSizeF(100, 50));
    EXPECT_EQ(imageDisplaySize(2000, std::nullopt, QSize(640, 500)), QSizeF(356, 89));
    // A stored zero is not replaced by the thumbnail's size.
    EXPECT_EQ(imageDisplaySize(0, 300, QSize(640, 480)), QSizeF(356, 140));
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
