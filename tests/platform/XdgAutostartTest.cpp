#include "platform/xdg/XdgAutostart.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;

TEST(XdgAutostartTest, ExecQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(XdgAutostart::execArgument(QStringLiteral("/usr/bin/tessaly")),
              QStringLiteral("/usr/bin/tessaly"));
    EXPECT_EQ(XdgAutostart::execArgument(QStringLiteral("/opt/Meus Apps/tessaly")),
              QStringLiteral("\"/opt/Meus Apps/tessaly\""));
    // Inside quotes " ` $ \ take a backslash; % is doubled; then the value's own escaping
    // doubles every backslash.
    EXPECT_EQ(XdgAutostart::execArgument(QStringLiteral("/tmp/a$b\"c\\d%e`f")),
              QStringLiteral("\"/tmp/a\\\\$b\\\\\"c\\\\\\\\d%%e\\\\`f\""));
    EXPECT_EQ(XdgAutostart::execArgument(QStringLiteral("/tmp/100%")),
              QStringLiteral("/tmp/100%%"));
}

TEST(XdgAutostartTest, CreatesAndRemovesTheEntry)
{
    QTemporaryDir config;
    const QString directory = config.filePath(QStringLiteral("autostart"));
    XdgAutostart autostart(QStringLiteral("/opt/Tessaly/bin/tessaly"), directory);
    EXPECT_EQ(autostart.entryPath(), directory + QStringLiteral("/br.com.norvale.tessaly.desktop"));
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::NotRegistered);
    EXPECT_TRUE(autostart.setEnabled(false)); // nothing to remove is no failure

    QString error;
    ASSERT_TRUE(autostart.setEnabled(true, &error)) << error.toStdString();
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::Enabled);
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    entry.close();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=/opt/Tessaly/bin/tessaly\n")));

    ASSERT_TRUE(autostart.setEnabled(false));
    EXPECT_FALSE(QFile::exists(autostart.entryPath()));
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::NotRegistered);
}

TEST(XdgAutostartTest, AnEntrySwitchedOffByTheDesktopIsNotRegistered)
{
    QTemporaryDir config;
    XdgAutostart autostart(QStringLiteral("/usr/bin/tessaly"), config.path());
    ASSERT_TRUE(autostart.setEnabled(true));
    for (const QByteArray &line :
         {QByteArray("Hidden=true\n"), QByteArray("X-GNOME-Autostart-enabled=false\n")}) {
        QFile entry(autostart.entryPath());
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nExec=/usr/bin/tessaly\n" + line);
        entry.close();
        EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::NotRegistered) << line.constData();
        ASSERT_TRUE(autostart.setEnabled(true)); // switching on again writes a fresh entry
        EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::Enabled);
    }
}

TEST(XdgAutostartTest, AFailureComesBackWithTheSystemsDescription)
{
    QTemporaryDir config;
    // The autostart "directory" is a file: nothing can be created in it.
    const QString blocker = config.filePath(QStringLiteral("autostart"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    XdgAutostart autostart(QStringLiteral("/usr/bin/tessaly"), blocker);
    QString error;
    EXPECT_FALSE(autostart.setEnabled(true, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::NotRegistered);
}
