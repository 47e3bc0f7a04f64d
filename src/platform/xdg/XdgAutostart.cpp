#include "platform/xdg/XdgAutostart.h"

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
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == u"Hidden" && value == u"true") ||
            (key == u"X-GNOME-Autostart-enabled" && value == u"false"))
            return true;
    }
    return false;
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
    QString value;
    value.reserve(quoted.size());
    for (QChar c : std::as_const(quoted)) {
        switch (c.unicode()) {
        case '\\':
            value.append(QStringLiteral("\\\\"));
            break;
        case '\n':
            value.append(QStringLiteral("\\n"));
            break;
        case '\t':
            value.append(QStringLiteral("\\t"));
            break;
        case '\r':
            value.append(QStringLiteral("\\r"));
            break;
        default:
            value.append(c);
        }
    }
    return value;
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
                          "Categories=Utility;\n"
                          "X-GNOME-Autostart-enabled=true\n")
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
