#pragma once

#include "hotkey/HotKeyCombo.h"
#include "panel/PanelPosition.h"

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace tessaly {

// The application's preferences. Each assignment is written to the settings store at once (even
// when the value is unchanged) and runs the matching callback; observers are notified only when
// the value actually changes.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(tessaly::HotKeyCombo hotKey READ hotKey WRITE setHotKey NOTIFY hotKeyChanged)
    Q_PROPERTY(bool hotKeyRegistered READ hotKeyRegistered WRITE setHotKeyRegistered NOTIFY
                   hotKeyRegisteredChanged)
    Q_PROPERTY(qint64 maxItems READ maxItems WRITE setMaxItems NOTIFY maxItemsChanged)
    Q_PROPERTY(bool autoPaste READ autoPaste WRITE setAutoPaste NOTIFY autoPasteChanged)
    Q_PROPERTY(bool ignoreConcealed READ ignoreConcealed WRITE setIgnoreConcealed NOTIFY
                   ignoreConcealedChanged)
    Q_PROPERTY(QStringList ignoredBundleIDs READ ignoredBundleIDs WRITE setIgnoredBundleIDs NOTIFY
                   ignoredBundleIDsChanged)
    Q_PROPERTY(tessaly::PanelPosition panelPosition READ panelPosition WRITE setPanelPosition NOTIFY
                   panelPositionChanged)
    Q_PROPERTY(bool isPaused READ isPaused WRITE setIsPaused NOTIFY isPausedChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE
                   setHasCompletedOnboarding NOTIFY hasCompletedOnboardingChanged)

public:
    // Opens (or creates) the INI store at the given path.
    explicit AppSettings(const QString &storePath, QObject *parent = nullptr);
    ~AppSettings() override;

    // The one instance, on $XDG_CONFIG_HOME/Tessaly/Tessaly.conf. Created on first use.
    static AppSettings &shared();
    // Where shared() keeps its store unless redirected.
    static QString defaultStorePath();
    // Points shared() at another store (tests): the previous shared instance is destroyed and
    // the next call of shared() opens the given path.
    static void redirectShared(const QString &storePath);

    QString storePath() const;

    HotKeyCombo hotKey() const { return m_hotKey; }
    bool hotKeyRegistered() const { return m_hotKeyRegistered; }
    qint64 maxItems() const { return m_maxItems; }
    bool autoPaste() const { return m_autoPaste; }
    bool ignoreConcealed() const { return m_ignoreConcealed; }
    QStringList ignoredBundleIDs() const { return m_ignoredBundleIDs; }
    PanelPosition panelPosition() const { return m_panelPosition; }
    bool isPaused() const { return m_isPaused; }
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }

    void setHotKey(const HotKeyCombo &combo);
    void setHotKeyRegistered(bool registered);
    void setMaxItems(qint64 maxItems);
    void setAutoPaste(bool on);
    void setIgnoreConcealed(bool on);
    void setIgnoredBundleIDs(const QStringList &ids);
    void setPanelPosition(PanelPosition position);
    void setIsPaused(bool paused);
    void setHasCompletedOnboarding(bool completed);

    // The panel's remembered top-left corner, read from the store on every call; present only
    // when the stored value is a list of exactly two numbers.
    std::optional<QPointF> lastPanelTopLeft() const;
    // Written by the panel when the user has moved it; not an observable property.
    void storeLastPanelTopLeft(const QPointF &topLeft);

    // Run after every assignment of hotKey / maxItems (changed or not).
    std::function<void()> onHotKeyChange;
    std::function<void()> onMaxItemsChange;

    static const QStringList &defaultIgnoredBundleIDs();
    // Names shown for the default ignored applications when they are not installed here.
    static const QHash<QString, QString> &knownAppNames();

Q_SIGNALS:
    void hotKeyChanged();
    void hotKeyRegisteredChanged();
    void maxItemsChanged();
    void autoPasteChanged();
    void ignoreConcealedChanged();
    void ignoredBundleIDsChanged();
    void panelPositionChanged();
    void isPausedChanged();
    void hasCompletedOnboardingChanged();

private:
    void load();
    void write(const QString &key, const QVariant &value);
    bool readBool(const QString &key, bool fallback) const;

    std::unique_ptr<QSettings> m_store;
    HotKeyCombo m_hotKey;
    bool m_hotKeyRegistered = true;
    qint64 m_maxItems = 50;
    bool m_autoPaste = true;
    bool m_ignoreConcealed = true;
    QStringList m_ignoredBundleIDs;
    PanelPosition m_panelPosition = PanelPosition::Caret;
    bool m_isPaused = false;
    bool m_hasCompletedOnboarding = false;
};

} // namespace tessaly
