#pragma once

#include "settings/AccessibilityPermission.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly {

// Accessibility on an X11 desktop: the program may synthesise input when the display offers
// XTEST; asking for the right turns the accessibility bus on (so that applications expose their
// text fields, for the caret) and opens the desktop's accessibility settings, when the desktop
// has such a page.
class X11AccessibilityPermission : public AccessibilityPermission
{
public:
    bool isTrusted() const override;
    void request() override;
    void openSettings() override;

    // The program (and its arguments) that shows the accessibility settings of the desktop named
    // by $XDG_CURRENT_DESKTOP ("ubuntu:GNOME", "KDE", "XFCE" …); absent when none of them has
    // one or it is not installed.
    static std::optional<QStringList>
    settingsCommand(const QStringList &desktops,
                    const std::function<bool(const QString &)> &isInstalled);
};

} // namespace tessaly
