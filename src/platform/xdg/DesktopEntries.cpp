#include "platform/xdg/DesktopEntries.h"

#include "platform/xdg/DesktopEntryFile.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace tessaly {

namespace {

constexpr qint64 refreshIntervalMs = 5000;

bool isTrue(const QString &value)
{
    return value.trimmed() == u"true";
}

} // namespace

DesktopEntries &DesktopEntries::shared()
{
    static DesktopEntries entries;
    return entries;
}

DesktopEntries::DesktopEntries(const QStringList &applicationDirectories)
    : m_directories(applicationDirectories),
      m_explicitDirectories(!applicationDirectories.isEmpty())
{}

QStringList DesktopEntries::defaultApplicationDirectories()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

std::optional<QString> DesktopEntries::bundleIDOfFile(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (info.suffix() != u"desktop")
        return std::nullopt;
    const QString id = info.completeBaseName();
    const auto entry = parse(filePath, id);
    if (!entry || id.isEmpty())
        return std::nullopt;
    return id;
}

std::optional<DesktopEntry> DesktopEntries::parse(const QString &filePath, const QString &id)
{
    const auto pairs = DesktopEntryFile::mainGroup(filePath);
    if (!pairs)
        return std::nullopt;

    DesktopEntry entry;
    entry.id = id;
    entry.filePath = filePath;
    QString type;
    QString nameDefault;
    QString namePt;
    QString namePtBr;
    bool hidden = false;

    for (const auto &[key, written] : *pairs) {
        const QString value = DesktopEntryFile::unescaped(written);
        if (key == u"Type")
            type = value;
        else if (key == u"Name")
            nameDefault = value;
        else if (key == u"Name[pt_BR]")
            namePtBr = value;
        else if (key == u"Name[pt]")
            namePt = value;
        else if (key == u"Icon")
            entry.iconName = value;
        else if (key == u"StartupWMClass")
            entry.startupWMClass = value;
        else if (key == u"Exec")
            entry.exec = value;
        else if (key == u"Terminal")
            entry.terminal = isTrue(value);
        else if (key == u"NoDisplay")
            entry.noDisplay = isTrue(value);
        else if (key == u"Hidden")
            hidden = isTrue(value);
        else if (key == u"Categories")
            entry.categories = value.split(u';', Qt::SkipEmptyParts);
    }
    if (type != u"Application" || hidden)
        return std::nullopt;
    entry.name = !namePtBr.isEmpty() ? namePtBr : !namePt.isEmpty() ? namePt : nameDefault;
    return entry;
}

void DesktopEntries::load()
{
    if (!m_explicitDirectories)
        m_directories = defaultApplicationDirectories();
    m_byId.clear();
    m_order.clear();
    for (const QString &root : std::as_const(m_directories)) {
        const QDir rootDir(root);
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = rootDir.relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(u'/', u'-');
            if (m_byId.contains(id))
                continue; // an earlier directory wins
            if (auto entry = parse(path, id)) {
                m_byId.insert(id, *entry);
                m_order.append(id);
            }
        }
    }
    m_loaded = true;
    m_loadedAtMs = QDateTime::currentMSecsSinceEpoch();
}

void DesktopEntries::ensureLoaded(bool refreshIfStale)
{
    if (!m_loaded ||
        (refreshIfStale && QDateTime::currentMSecsSinceEpoch() - m_loadedAtMs > refreshIntervalMs))
        load();
}

std::optional<DesktopEntry> DesktopEntries::byId(const QString &id)
{
    std::lock_guard lock(m_mutex);
    ensureLoaded(false);
    auto found = m_byId.constFind(id);
    if (found == m_byId.cend()) {
        ensureLoaded(true);
        found = m_byId.constFind(id);
        if (found == m_byId.cend())
            return std::nullopt;
    }
    return *found;
}

std::optional<DesktopEntry> DesktopEntries::byStartupWMClass(const QString &wmClass)
{
    if (wmClass.isEmpty())
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    ensureLoaded(false);
    const DesktopEntry *caseInsensitive = nullptr;
    for (const QString &id : std::as_const(m_order)) {
        const DesktopEntry &entry = m_byId[id];
        if (entry.startupWMClass == wmClass)
            return entry;
        if (!caseInsensitive && entry.startupWMClass.compare(wmClass, Qt::CaseInsensitive) == 0)
            caseInsensitive = &entry;
    }
    if (caseInsensitive)
        return *caseInsensitive;
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::byFileName(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    ensureLoaded(false);
    for (const QString &id : std::as_const(m_order)) {
        if (id.compare(name, Qt::CaseInsensitive) == 0)
            return m_byId[id];
    }
    return std::nullopt;
}

QList<DesktopEntry> DesktopEntries::all()
{
    std::lock_guard lock(m_mutex);
    ensureLoaded(false);
    QList<DesktopEntry> entries;
    entries.reserve(m_order.size());
    for (const QString &id : std::as_const(m_order))
        entries.append(m_byId[id]);
    return entries;
}

} // namespace tessaly
