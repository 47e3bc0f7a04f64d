#include "platform/x11/X11AccessibilityPermission.h"

#include "platform/atspi/AtSpiBus.h"
#include "platform/x11/XTestProbe.h"

#include <QProcess>
#include <QStandardPaths>

namespace tessaly {

namespace {

struct DesktopSettings
{
    const char *desktop;           // as named in $XDG_CURRENT_DESKTOP
    QList<QStringList> candidates; // programs to try, in order
};

const QList<DesktopSettings> &knownDesktops()
{
    static const QList<DesktopSettings> desktops = {
        {"GNOME", {{QStringLiteral("gnome-control-center"), QStringLiteral("universal-access")}}},
        {"Unity", {{QStringLiteral("gnome-control-center"), QStringLiteral("universal-access")}}},
        {"KDE",
         {{QStringLiteral("systemsettings"), QStringLiteral("kcm_access")},
          {QStringLiteral("systemsettings5"), QStringLiteral("kcm_access")}}},
        {"XFCE", {{QStringLiteral("xfce4-accessibility-settings")}}},
        {"MATE", {{QStringLiteral("mate-at-properties")}}},
        {"X-Cinnamon", {{QStringLiteral("cinnamon-settings"), QStringLiteral("accessibility")}}},
        {"Cinnamon", {{QStringLiteral("cinnamon-settings"), QStringLiteral("accessibility")}}},
    };
    return desktops;
}

} // namespace

std::optional<QStringList>
X11AccessibilityPermission::settingsCommand(const QStringList &desktops,
                                            const std::function<bool(const QString &)> &isInstalled)
{
    for (const QString &name : desktops) {
        for (const DesktopSettings &known : knownDesktops()) {
            if (name.compare(QLatin1String(known.desktop), Qt::CaseInsensitive) != 0)
                continue;
            for (const QStringList &candidate : known.candidates) {
                if (isInstalled(candidate.first()))
                    return candidate;
            }
        }
    }
    return std::nullopt;
}

bool X11AccessibilityPermission::isTrusted() const
{
    return XTestProbe::displayHasXTest();
}

void X11AccessibilityPermission::request()
{
    AtSpiBus::setEnabled(true);
    openSettings();
}

void X11AccessibilityPermission::openSettings()
{
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    const auto command = settingsCommand(desktops, [](const QString &program) {
        return !QStandardPaths::findExecutable(program).isEmpty();
    });
    if (command)
        QProcess::startDetached(command->first(), command->mid(1));
}

} // namespace tessaly
