#include "platform/xdg/DesktopEntryFile.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

QStringList keysAndValues(const QList<DesktopEntryFile::KeyValue> &pairs)
{
    QStringList written;
    for (const DesktopEntryFile::KeyValue &pair : pairs)
        written.append(pair.key + u'|' + pair.value);
    return written;
}

} // namespace

TEST(DesktopEntryFileTest, ReadsOnlyTheMainGroupInFileOrder)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("a.desktop"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# a comment\n"
               "[Desktop Entry]\n"
               "Type=Application\n"
               "\n"
               "  Name = Editor  \n"
               "Name[pt_BR]=Editor de Texto\n"
               "#Hidden=true\n"
               "=no key\n"
               "no equals sign\n"
               "Comment=a\\sb\n"
               "Exec=run --flag=1\n"
               "Hidden=false\n"
               "[Desktop Action new]\n"
               "Name=Ignored\n"
               "[Desktop Entry]\n"
               "Hidden=true\n");
    file.close();

    const auto pairs = DesktopEntryFile::mainGroup(path);
    ASSERT_TRUE(pairs);
    EXPECT_EQ(keysAndValues(*pairs),
              (QStringList{"Type|Application", "Name|Editor", "Name[pt_BR]|Editor de Texto",
                           "Comment|a\\sb", "Exec|run --flag=1", "Hidden|false", "Hidden|true"}));

    EXPECT_FALSE(DesktopEntryFile::mainGroup(directory.filePath(QStringLiteral("none.desktop"))));
}

TEST(DesktopEntryFileTest, StringValuesEscapeAndUnescape)
{
    EXPECT_EQ(DesktopEntryFile::unescaped(QStringLiteral("a\\sb\\nc\\td\\re\\\\f")),
              QStringLiteral("a b\nc\td\re\\f"));
    // Another escaped character stands for itself; a trailing backslash is kept.
    EXPECT_EQ(DesktopEntryFile::unescaped(QStringLiteral("\\;x\\")), QStringLiteral(";x\\"));

    EXPECT_EQ(DesktopEntryFile::escaped(QStringLiteral("a b\nc\td\re\\f")),
              QStringLiteral("a b\\nc\\td\\re\\\\f"));
    const QString awkward = QStringLiteral("\"/opt/Meus Apps\\\\\"\n\t\r%%");
    EXPECT_EQ(DesktopEntryFile::unescaped(DesktopEntryFile::escaped(awkward)), awkward);
}
