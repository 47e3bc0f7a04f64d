#pragma once

#include "hotkey/HotKeyService.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tessaly::gnome {

// The hot key on GNOME under Wayland, where only the compositor sees every key: a custom
// keybinding of GNOME's keyboard settings that runs the program's toggle command (which reaches
// the running program as a press does, or starts it). It belongs to the user's settings, as the
// recorded combination does: written when a combination is registered, rewritten when it
// changes, and left in place when the program ends. A combination that another of GNOME's
// keybindings uses is refused.
//
// The settings are read and written with the gsettings tool, each call bounded in time.
class GnomeHotKeyService : public HotKeyService
{
public:
    // Runs gsettings with the arguments; answers its output, absent when it failed.
    using Gsettings = std::function<std::optional<QString>(const QStringList &arguments)>;

    GnomeHotKeyService(const QString &toggleCommand, Gsettings gsettings = runGsettings);

    // Whether GNOME's custom keybindings can be written here.
    static bool isAvailable(const Gsettings &gsettings = runGsettings);

    bool grab(const HotKeyCombo &combo) override;
    void ungrab() override;

    // The combination as GNOME writes an accelerator ("<Control><Shift>v"); absent for a key
    // that types nothing on the current layout and has no fixed name.
    static std::optional<QString> acceleratorOf(const HotKeyCombo &combo);
    // Whether two accelerators name the same keys ("<Ctrl><Shift>V" is "<Shift><Control>v").
    static bool sameAccelerator(const QString &a, const QString &b);
    // The strings of a GVariant string array as gsettings prints it ("['a', 'b']", "@as []").
    static QStringList stringsOf(const QString &variant);

    static QString bindingPath();
    static std::optional<QString> runGsettings(const QStringList &arguments);

private:
    bool isTakenElsewhere(const QString &accelerator) const;

    QString m_command;
    Gsettings m_gsettings;
    // The accelerator this program wrote last.
    std::optional<QString> m_written;
};

} // namespace tessaly::gnome
