#include "settings/AppSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <mutex>

namespace tessaly {

namespace {

namespace Key {
const QString hotKey = QStringLiteral("hotKey");
const QString maxItems = QStringLiteral("maxItems");
const QString autoPaste = QStringLiteral("autoPaste");
const QString ignoreConcealed = QStringLiteral("ignoreConcealed");
const QString ignoredBundleIDs = QStringLiteral("ignoredBundleIDs");
const QString panelPosition = QStringLiteral("panelPosition");
const QString isPaused = QStringLiteral("isPaused");
const QString hasCompletedOnboarding = QStringLiteral("hasCompletedOnboarding");
const QString lastPanelTopLeft = QStringLiteral("lastPanelTopLeft");
} // namespace Key

constexpr qint64 defaultMaxItems = 50;

std::mutex sharedMutex;
AppSettings *sharedInstance = nullptr;
QString sharedPathOverride;

// The INI store gives every value back as text after a restart; these read them typed.
std::optional<bool> toBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return std::nullopt;
}

std::optional<double> toReal(const QVariant &value)
{
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    if (ok)
        return number;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int ||
        value.typeId() == QMetaType::LongLong)
        return value.toDouble();
    return std::nullopt;
}

} // namespace

AppSettings::AppSettings(const QString &storePath, QObject *parent)
    : QObject(parent), m_store(std::make_unique<QSettings>(storePath, QSettings::IniFormat))
{
    load();
}

AppSettings::~AppSettings() = default;

QString AppSettings::defaultStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tessaly/Tessaly.conf");
}

AppSettings &AppSettings::shared()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedInstance) {
        sharedInstance =
            new AppSettings(sharedPathOverride.isEmpty() ? defaultStorePath() : sharedPathOverride);
    }
    return *sharedInstance;
}

void AppSettings::redirectShared(const QString &storePath)
{
    std::lock_guard lock(sharedMutex);
    delete sharedInstance;
    sharedInstance = nullptr;
    sharedPathOverride = storePath;
}

QString AppSettings::storePath() const
{
    return m_store->fileName();
}

const QStringList &AppSettings::defaultIgnoredBundleIDs()
{
    static const QStringList ids = {
        QStringLiteral("com.apple.keychainaccess"),
        QStringLiteral("com.apple.Passwords"),
        QStringLiteral("com.1password.1password"),
        QStringLiteral("com.agilebits.onepassword7"),
        QStringLiteral("com.bitwarden.desktop"),
        QStringLiteral("com.lastpass.LastPass"),
        // The same password managers, and others, as Linux desktops name them.
        QStringLiteral("org.keepassxc.KeePassXC"),
        QStringLiteral("1password"),
        QStringLiteral("bitwarden"),
        QStringLiteral("keepass2"),
        QStringLiteral("org.gnome.seahorse.Application"),
        QStringLiteral("org.gnome.World.Secrets"),
        QStringLiteral("org.kde.kwalletmanager5"),
        QStringLiteral("org.kde.kwalletmanager"),
    };
    return ids;
}

const QHash<QString, QString> &AppSettings::knownAppNames()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("com.apple.keychainaccess"), QStringLiteral("Acesso às Chaves")},
        {QStringLiteral("com.apple.Passwords"), QStringLiteral("Senhas")},
        {QStringLiteral("com.1password.1password"), QStringLiteral("1Password")},
        {QStringLiteral("com.agilebits.onepassword7"), QStringLiteral("1Password 7")},
        {QStringLiteral("com.bitwarden.desktop"), QStringLiteral("Bitwarden")},
        {QStringLiteral("com.lastpass.LastPass"), QStringLiteral("LastPass")},
        {QStringLiteral("org.keepassxc.KeePassXC"), QStringLiteral("KeePassXC")},
        {QStringLiteral("1password"), QStringLiteral("1Password")},
        {QStringLiteral("bitwarden"), QStringLiteral("Bitwarden")},
        {QStringLiteral("keepass2"), QStringLiteral("KeePass")},
        {QStringLiteral("org.gnome.seahorse.Application"), QStringLiteral("Senhas e chaves")},
        {QStringLiteral("org.gnome.World.Secrets"), QStringLiteral("Segredos")},
        {QStringLiteral("org.kde.kwalletmanager5"), QStringLiteral("Gerenciador de carteiras")},
        {QStringLiteral("org.kde.kwalletmanager"), QStringLiteral("Gerenciador de carteiras")},
    };
    return names;
}

bool AppSettings::readBool(const QString &key, bool fallback) const
{
    if (!m_store->contains(key))
        return fallback;
    return toBool(m_store->value(key)).value_or(fallback);
}

void AppSettings::load()
{
    // Hot key: absent or undecodable data gives the default combination.
    m_hotKey = HotKeyCombo::defaultCombo();
    if (m_store->contains(Key::hotKey)) {
        if (const auto combo = HotKeyCombo::fromJson(m_store->value(Key::hotKey).toByteArray()))
            m_hotKey = *combo;
    }

    // A value that is not a number (a hand-edited store) reads as the default, never as 0:
    // a limit of 0 would trim the history down to one entry.
    m_maxItems = defaultMaxItems;
    if (m_store->contains(Key::maxItems)) {
        bool ok = false;
        const qint64 stored = m_store->value(Key::maxItems).toString().trimmed().toLongLong(&ok);
        if (ok)
            m_maxItems = stored;
    }

    m_autoPaste = readBool(Key::autoPaste, true);
    m_ignoreConcealed = readBool(Key::ignoreConcealed, true);

    // The INI format stores an empty list as an invalid value and a one-element list as a
    // plain string; a stored empty list wins over the default.
    m_ignoredBundleIDs = defaultIgnoredBundleIDs();
    if (m_store->contains(Key::ignoredBundleIDs)) {
        const QVariant stored = m_store->value(Key::ignoredBundleIDs);
        if (!stored.isValid())
            m_ignoredBundleIDs = {};
        else if (stored.typeId() == QMetaType::QStringList)
            m_ignoredBundleIDs = stored.toStringList();
        else if (stored.typeId() == QMetaType::QString)
            m_ignoredBundleIDs = {stored.toString()};
    }

    m_panelPosition = PanelPosition::Caret;
    if (m_store->contains(Key::panelPosition)) {
        m_panelPosition = panelPositionFromName(m_store->value(Key::panelPosition).toString())
                              .value_or(PanelPosition::Caret);
    }

    m_isPaused = readBool(Key::isPaused, false);
    m_hasCompletedOnboarding = readBool(Key::hasCompletedOnboarding, false);
}

void AppSettings::write(const QString &key, const QVariant &value)
{
    m_store->setValue(key, value);
    m_store->sync();
}

void AppSettings::setHotKey(const HotKeyCombo &combo)
{
    const bool changed = combo != m_hotKey;
    m_hotKey = combo;
    if (changed)
        Q_EMIT hotKeyChanged();
    write(Key::hotKey, combo.toJson());
    if (onHotKeyChange)
        onHotKeyChange();
}

void AppSettings::setHotKeyRegistered(bool registered)
{
    if (registered == m_hotKeyRegistered)
        return;
    m_hotKeyRegistered = registered;
    Q_EMIT hotKeyRegisteredChanged();
}

void AppSettings::setMaxItems(qint64 maxItems)
{
    const bool changed = maxItems != m_maxItems;
    m_maxItems = maxItems;
    if (changed)
        Q_EMIT maxItemsChanged();
    write(Key::maxItems, maxItems);
    if (onMaxItemsChange)
        onMaxItemsChange();
}

void AppSettings::setAutoPaste(bool on)
{
    const bool changed = on != m_autoPaste;
    m_autoPaste = on;
    if (changed)
        Q_EMIT autoPasteChanged();
    write(Key::autoPaste, on);
}

void AppSettings::setIgnoreConcealed(bool on)
{
    const bool changed = on != m_ignoreConcealed;
    m_ignoreConcealed = on;
    if (changed)
        Q_EMIT ignoreConcealedChanged();
    write(Key::ignoreConcealed, on);
}

void AppSettings::setIgnoredBundleIDs(const QStringList &ids)
{
    const bool changed = ids != m_ignoredBundleIDs;
    m_ignoredBundleIDs = ids;
    if (changed)
        Q_EMIT ignoredBundleIDsChanged();
    write(Key::ignoredBundleIDs, ids);
}

void AppSettings::setPanelPosition(PanelPosition position)
{
    const bool changed = position != m_panelPosition;
    m_panelPosition = position;
    if (changed)
        Q_EMIT panelPositionChanged();
    write(Key::panelPosition, panelPositionName(position));
}

void AppSettings::setIsPaused(bool paused)
{
    const bool changed = paused != m_isPaused;
    m_isPaused = paused;
    if (changed)
        Q_EMIT isPausedChanged();
    write(Key::isPaused, paused);
}

void AppSettings::setHasCompletedOnboarding(bool completed)
{
    const bool changed = completed != m_hasCompletedOnboarding;
    m_hasCompletedOnboarding = completed;
    if (changed)
        Q_EMIT hasCompletedOnboardingChanged();
    write(Key::hasCompletedOnboarding, completed);
}

std::optional<QPointF> AppSettings::lastPanelTopLeft() const
{
    m_store->sync(); // picks up a value written by another process since the last read
    const QVariant stored = m_store->value(Key::lastPanelTopLeft);
    // Only a real list counts (QVariant would turn a string into a list of its characters).
    if (stored.typeId() != QMetaType::QVariantList && stored.typeId() != QMetaType::QStringList)
        return std::nullopt;
    const QVariantList list = stored.toList();
    if (list.size() != 2)
        return std::nullopt;
    const auto x = toReal(list[0]);
    const auto y = toReal(list[1]);
    if (!x || !y)
        return std::nullopt;
    return QPointF(*x, *y);
}

void AppSettings::storeLastPanelTopLeft(const QPointF &topLeft)
{
    write(Key::lastPanelTopLeft, QVariantList{topLeft.x(), topLeft.y()});
}

} // namespace tessaly
