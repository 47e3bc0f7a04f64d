#include "platform/xdg/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(DesktopEntriesTest, FindsApplicationsByIdClassAndFileName)
{
    QTemporaryDir first;
    QTemporaryDir second;
    writeFile(first.filePath(QStringLiteral("org.example.Editor.desktop")),
              "[Desktop Entry]\nType=Application\nName=Editor\nName[pt_BR]=Editor de Texto\n"
              "Name[de]=Bearbeiter\nIcon=accessories-text-editor\nStartupWMClass=ExampleEdit\n"
              "Exec=example-edit %U\n[Desktop Action new]\nName=Ignored\n");
    writeFile(first.filePath(QStringLiteral("kde/konsole.desktop")),
              "[Desktop Entry]\nType=Application\nName=Konsole\nTerminal=false\nExec=konsole\n");
    writeFile(first.filePath(QStringLiteral("link.desktop")),
              "[Desktop Entry]\nType=Link\nName=A link\nURL=https://example.org\n");
    writeFile(first.filePath(QStringLiteral("gone.desktop")),
              "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    writeFile(second.filePath(QStringLiteral("org.example.Editor.desktop")),
              "[Desktop Entry]\nType=Application\nName=Shadowed\n");
    writeFile(
        second.filePath(QStringLiteral("xterm.desktop")),
        "[Desktop Entry]\nType=Application\nName=XTerm\nName[pt]=Terminal X\n"
        "Terminal=true\nNoDisplay=true\nComment=a\\sb\nCategories=System;TerminalEmulator;\n");

    DesktopEntries entries({first.path(), second.path()});
    const auto editor = entries.byId(QStringLiteral("org.example.Editor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, QStringLiteral("Editor de Texto"));
    EXPECT_EQ(editor->iconName, QStringLiteral("accessories-text-editor"));
    EXPECT_EQ(entries.byStartupWMClass(QStringLiteral("ExampleEdit"))->id, editor->id);
    EXPECT_EQ(entries.byStartupWMClass(QStringLiteral("exampleedit"))->id, editor->id);
    EXPECT_TRUE(entries.byId(QStringLiteral("kde-konsole"))) << "subdirectories join with '-'";
    EXPECT_FALSE(entries.byId(QStringLiteral("link")));
    EXPECT_FALSE(entries.byId(QStringLiteral("gone")));
    const auto xterm = entries.byFileName(QStringLiteral("XTerm"));
    ASSERT_TRUE(xterm);
    EXPECT_EQ(xterm->name, QStringLiteral("Terminal X"));
    EXPECT_TRUE(xterm->terminal);
    EXPECT_TRUE(xterm->noDisplay);
    EXPECT_EQ(xterm->categories,
              (QStringList{QStringLiteral("System"), QStringLiteral("TerminalEmulator")}));
    EXPECT_EQ(entries.all().size(), 3);
}

// A desktop entry file the user picks gives its id; anything else gives nothing, and a FIFO or a
// huge file is never read.
TEST(DesktopEntriesTest, APickedFileGivesTheIdOfTheApplicationItDescribes)
{
    QTemporaryDir dir;
    const QByteArray application = "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n";
    writeFile(dir.filePath("org.example.Editor.desktop"), application);
    writeFile(dir.filePath("link.desktop"), "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n");
    writeFile(dir.filePath("editor.txt"), application);
    writeFile(dir.filePath("huge.desktop"), application + QByteArray(2 << 20, '#'));
    ASSERT_EQ(::mkfifo(dir.filePath("fifo.desktop").toLocal8Bit().constData(), 0600), 0);

    EXPECT_EQ(DesktopEntries::bundleIDOfFile(dir.filePath("org.example.Editor.desktop")),
              QStringLiteral("org.example.Editor"));
    for (const char *name :
         {"link.desktop", "editor.txt", "huge.desktop", "fifo.desktop", "missing.desktop"})
        EXPECT_FALSE(DesktopEntries::bundleIDOfFile(dir.filePath(name))) << name;
}
