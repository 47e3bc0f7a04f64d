#include "platform/clipboard/SelectionTypes.h"

#include <gtest/gtest.h>

using namespace tessaly::clipboard;
using namespace Qt::Literals::StringLiterals;

TEST(SelectionTypesTest, ProtocolTargetsAreNotContent)
{
    for (const QString &meta : {u"TARGETS"_s, u"MULTIPLE"_s, u"TIMESTAMP"_s, u"SAVE_TARGETS"_s,
                                u"DELETE"_s, u"INSERT_SELECTION"_s, u"INSERT_PROPERTY"_s})
        EXPECT_TRUE(SelectionTypes::isMetaTarget(meta)) << meta.toStdString();
    EXPECT_FALSE(SelectionTypes::isMetaTarget(u"UTF8_STRING"_s));
    EXPECT_FALSE(SelectionTypes::isMetaTarget(u"targets"_s));
}

TEST(SelectionTypesTest, TextIsDecodedByItsTarget)
{
    EXPECT_EQ(SelectionTypes::decodeText(u"UTF8_STRING"_s, "caf\xc3\xa9"_ba), u"café"_s);
    EXPECT_EQ(SelectionTypes::decodeText(u"UTF8_STRING"_s, "nul-terminated\0"_ba),
              u"nul-terminated"_s);
    EXPECT_FALSE(SelectionTypes::decodeText(u"UTF8_STRING"_s, "caf\xe9"_ba));
    EXPECT_FALSE(SelectionTypes::decodeText(u"text/plain"_s, "\xc3"_ba)) << "truncated sequence";
    EXPECT_EQ(SelectionTypes::decodeText(u"STRING"_s, "caf\xe9"_ba), u"café"_s);
    EXPECT_EQ(SelectionTypes::decodeTextLeniently(u"UTF8_STRING"_s, "a\xffz"_ba), u"a\ufffdz"_s);
}

TEST(SelectionTypesTest, OnlyLocalFilesComeFromUriLists)
{
    const QList<QUrl> urls = SelectionTypes::fileURLsFromUriList(
        "# comment\r\nfile:///home/ana/a%20b.txt\r\nhttps://example.com/\r\n"
        "file://elsewhere/etc/passwd\r\nfile:relative\r\n\r\n[::]bad\r\n"
        "file://localhost/tmp/c\nfile:///tmp/d\0"_ba);
    ASSERT_EQ(urls.size(), 3);
    EXPECT_EQ(urls[0].toLocalFile(), u"/home/ana/a b.txt"_s);
    EXPECT_EQ(urls[1].toLocalFile(), u"/tmp/c"_s);
    EXPECT_EQ(urls[2].toLocalFile(), u"/tmp/d"_s);
    EXPECT_TRUE(SelectionTypes::fileURLsFromUriList("\x80\xff garbage"_ba).isEmpty());

    const QList<QUrl> gnome =
        SelectionTypes::fileURLsFromGnomeCopiedFiles("cut\nfile:///tmp/x\nfile:///tmp/y"_ba);
    EXPECT_EQ(gnome.size(), 2);
    EXPECT_TRUE(SelectionTypes::fileURLsFromGnomeCopiedFiles("file:///tmp/x"_ba).isEmpty())
        << "the action line is required";
}

TEST(SelectionTypesTest, APlainStringIsOfferedUnderTheUsualTextTargets)
{
    const auto representations = SelectionTypes::plainTextRepresentations(u"é ✓"_s);
    QStringList targets;
    for (const auto &[target, bytes] : representations)
        targets.append(target);
    EXPECT_EQ(targets, (QStringList{u"UTF8_STRING"_s, u"text/plain;charset=utf-8"_s,
                                    u"text/plain"_s, u"TEXT"_s, u"STRING"_s}));
    EXPECT_EQ(representations[0].second, u"é ✓"_s.toUtf8());
    EXPECT_EQ(representations[4].second, "\xe9 ?"_ba);
}
