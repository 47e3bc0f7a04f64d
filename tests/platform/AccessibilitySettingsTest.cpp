#include "platform/x11/X11AccessibilityPermission.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tessaly;

TEST(AccessibilitySettingsTest, OpensTheSettingsOfTheDesktopInUse)
{
    const auto everything = [](const QString &) { return true; };
    const auto command = [&](const QString &desktops, auto installed) {
        return X11AccessibilityPermission::settingsCommand(desktops.split(u':'), installed)
            .value_or(QStringList{QStringLiteral("<none>")});
    };
    EXPECT_EQ(
        command(QStringLiteral("ubuntu:GNOME"), everything),
        QStringList({QStringLiteral("gnome-control-center"), QStringLiteral("universal-access")}));
    EXPECT_EQ(command(QStringLiteral("KDE"), everything),
              QStringList({QStringLiteral("systemsettings"), QStringLiteral("kcm_access")}));
    // Plasma 5 installs its settings program under another name.
    EXPECT_EQ(command(QStringLiteral("KDE"),
                      [](const QString &program) { return program == u"systemsettings5"; }),
              QStringList({QStringLiteral("systemsettings5"), QStringLiteral("kcm_access")}));
    EXPECT_EQ(command(QStringLiteral("xfce"), everything),
              QStringList({QStringLiteral("xfce4-accessibility-settings")}));
    // A desktop without such a page, or one whose program is missing: nothing to open.
    EXPECT_EQ(command(QStringLiteral("LXQt"), everything), QStringList({QStringLiteral("<none>")}));
    EXPECT_EQ(command(QStringLiteral("GNOME"), [](const QString &) { return false; }),
              QStringList({QStringLiteral("<none>")}));
}
