#include "platform/xdg/XdgAutostart.h"

#include "platform/xdg/DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace tessaly {

namespace {

bool isSwitchedOff(const QString &entryPath)
{
    const auto pairs = DesktopEntryFile::mainGroup(entryPath);
    if (!pairs)
        return false;
    return std::any_of(pairs->cbegin(), pairs->cend(), [](const DesktopEntryFile::KeyValue &pair) {
        return (pair.key == u"Hidden" && pair.value == u"true") ||
               (pair.key == u"X-GNOME-Autostart-enabled" && pair.value == u"false");
    });
}

} // namespace

QString XdgAutostart::entryFileName()
{
    return QStringLiteral("br.com.norvale.tessaly.desktop");
}

QString XdgAutostart::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

XdgAutostart::XdgAutostart()
    : XdgAutostart(QCoreApplication::applicationFilePath(), defaultDirectory())
{}

XdgAutostart::XdgAutostart(const QString &executable, const QString &directory)
    : m_executable(executable), m_directory(directory)
{}

QString XdgAutostart::entryPath() const
{
    return m_directory + u'/' + entryFileName();
}

QString XdgAutostart::execArgument(const QString &argument)
{
    QString quoted = argument;
    quoted.replace(u'%', QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        quoted.isEmpty() ||
        std::any_of(quoted.cbegin(), quoted.cend(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        QString inQuotes;
        inQuotes.reserve(quoted.size() + 2);
        inQuotes.append(u'"');
        for (QChar c : std::as_const(quoted)) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                inQuotes.append(u'\\');
            inQuotes.append(c);
        }
        inQuotes.append(u'"');
        quoted = inQuotes;
    }
    // The Exec value is a string value of the entry: its own escapes come on top.
    return DesktopEntryFile::escaped(quoted);
}

QString XdgAutostart::entryText() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.0\n"
                          "Name=Tessaly\n"
                          "Comment=Histórico da área de transferência\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "Icon=br.com.norvale.tessaly\n"
                          "Categories=Utility;\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          // After the session's tray is up, so that the icon finds it.
                          "X-GNOME-Autostart-Delay=2\n")
        .arg(execArgument(m_executable));
}

LaunchAtLogin::Status XdgAutostart::status() const
{
    const QString path = entryPath();
    if (!QFile::exists(path) || isSwitchedOff(path))
        return Status::NotRegistered;
    return Status::Enabled;
}

bool XdgAutostart::setEnabled(bool enabled, QString *errorDescription)
{
    const QString path = entryPath();
    if (!enabled) {
        QFile entry(path);
        if (!entry.exists() || entry.remove())
            return true;
        if (errorDescription)
            *errorDescription = entry.errorString();
        return false;
    }

    QDir().mkpath(m_directory);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText().toUtf8()) < 0 ||
        !file.commit()) {
        if (errorDescription)
            *errorDescription = file.errorString();
        return false;
    }
    return true;
}

} // namespace tessaly
