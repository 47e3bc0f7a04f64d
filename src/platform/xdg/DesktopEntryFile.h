#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tessaly {

// The key files of the XDG Desktop Entry format (.desktop files): installed applications'
// entries and the autostart entry both read and write through here.
namespace DesktopEntryFile {

struct KeyValue
{
    QString key;   // "Name", "Name[pt_BR]", "X-GNOME-Autostart-enabled" …
    QString value; // as written: see unescaped()
};

// The keys and values of the file's [Desktop Entry] group, in file order. Blank lines, comments
// and the other groups are skipped, and so is a line with nothing before its "=". Keys and
// values are trimmed. Absent when the file cannot be read.
std::optional<QList<KeyValue>> mainGroup(const QString &filePath);

// A string value with its escapes undone: \s, \n, \t, \r and \\; any other escaped character
// stands for itself, and a trailing backslash is kept.
QString unescaped(const QString &value);
// A string value escaped for writing: backslashes, line breaks, tabs and carriage returns.
QString escaped(const QString &value);

} // namespace DesktopEntryFile
} // namespace tessaly
