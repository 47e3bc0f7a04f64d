#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

namespace tessaly {

// One installed application as its desktop entry describes it.
struct DesktopEntry
{
    QString id;             // desktop-file id: "org.gnome.TextEditor", "kde-konsole"
    QString name;           // Name, localised for pt_BR when the entry has it
    QString iconName;       // Icon: a theme icon name or an absolute path
    QString startupWMClass; // StartupWMClass
    QString exec;           // Exec
    bool terminal = false;  // Terminal=true
    bool noDisplay = false; // NoDisplay=true (still an application, just not listed)
    QStringList categories; // Categories: "System", "TerminalEmulator" …
    QString filePath;       // where the entry was read from
};

// The installed applications, read from the XDG applications directories
// ($XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS). An entry found in an earlier
// directory hides one with the same id in a later one. The directories are read on first use
// and again when asked for an id that is not known and the last read is older than a few
// seconds (an application installed while the program runs).
class DesktopEntries
{
public:
    static DesktopEntries &shared();

    // Reads the given applications directories instead of the XDG ones (tests).
    explicit DesktopEntries(const QStringList &applicationDirectories = {});

    std::optional<DesktopEntry> byId(const QString &id);
    // The entry whose StartupWMClass equals the class (exactly, then case-insensitively).
    std::optional<DesktopEntry> byStartupWMClass(const QString &wmClass);
    // The entry whose id (file name without ".desktop") equals the name, case-insensitively.
    std::optional<DesktopEntry> byFileName(const QString &name);
    QList<DesktopEntry> all();

    // Parses one desktop entry file; absent when it is not an application entry (tests).
    static std::optional<DesktopEntry> parse(const QString &filePath, const QString &id);

    static QStringList defaultApplicationDirectories();
    // The id of the application a desktop entry file chosen by the user describes (its file
    // name without ".desktop"); absent when the file is not a readable application entry of a
    // sensible size.
    static std::optional<QString> bundleIDOfFile(const QString &filePath);

private:
    void ensureLoaded(bool refreshIfStale);
    void load();

    std::mutex m_mutex;
    QStringList m_directories;
    bool m_explicitDirectories = false;
    bool m_loaded = false;
    qint64 m_loadedAtMs = 0;
    QHash<QString, DesktopEntry> m_byId;
    QList<QString> m_order;
};

} // namespace tessaly
