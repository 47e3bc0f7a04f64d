#pragma once

#include "settings/LaunchAtLogin.h"

#include <QString>

namespace tessaly {

// Launch at login as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/
// br.com.norvale.tessaly.desktop, whose Exec starts this program's executable. Registered while
// the entry exists and is not switched off (Hidden=true, or X-GNOME-Autostart-enabled=false,
// as desktop session settings write it).
class XdgAutostart : public LaunchAtLogin
{
public:
    // The entry's file name.
    static QString entryFileName();
    // $XDG_CONFIG_HOME/autostart (~/.config/autostart).
    static QString defaultDirectory();

    // Starts this program's own executable, from the default directory.
    XdgAutostart();
    XdgAutostart(const QString &executable, const QString &directory);

    QString entryPath() const;

    Status status() const override;
    bool setEnabled(bool enabled, QString *errorDescription = nullptr) override;

    // The entry's text.
    QString entryText() const;
    // One argument of an Exec line, quoted when it holds a reserved character, with "%"
    // doubled, then escaped as a desktop-entry string value.
    static QString execArgument(const QString &argument);

private:
    QString m_executable;
    QString m_directory;
};

} // namespace tessaly
