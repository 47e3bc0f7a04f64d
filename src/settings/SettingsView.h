#pragma once

#include "capture/PasteboardAccess.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>

namespace tessaly {

class AccessibilityPermission;
class ApplicationPicker;
class AppSettings;
class HistoryStore;
class HotKeyRecorder;
class LaunchAtLogin;
class SettingsState;

// What the settings form shows and does, apart from its drawing (SettingsForm.qml): the derived
// texts, the enabled rules, the platform states re-read every second while the window is shown,
// and the actions of its buttons. The form binds to the settings through `settings` and to the
// recorder through `recorder`; everything else goes through here. Main thread only.
class SettingsView : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")

    Q_PROPERTY(tessaly::AppSettings *settings READ settings CONSTANT)
    Q_PROPERTY(tessaly::SettingsState *state READ state CONSTANT)
    Q_PROPERTY(tessaly::HotKeyRecorder *recorder READ recorder CONSTANT)
    Q_PROPERTY(tessaly::ApplicationPicker *picker READ picker CONSTANT)

    // The welcome's sentence about the shortcut (styled text: the shortcut in bold) and the one
    // about where the program lives.
    Q_PROPERTY(QString welcomeText READ welcomeText NOTIFY welcomeTextChanged)
    Q_PROPERTY(QString whereText READ whereText NOTIFY hasTrayChanged)
    // Whether a tray shows the program's icon; without one the data section offers to quit.
    Q_PROPERTY(bool hasTray READ hasTray NOTIFY hasTrayChanged)

    // "Comportamento".
    Q_PROPERTY(QStringList panelPositionOptions READ panelPositionOptions CONSTANT)
    Q_PROPERTY(int panelPositionIndex READ panelPositionIndex WRITE setPanelPositionIndex NOTIFY
                   panelPositionIndexChanged)
    Q_PROPERTY(QStringList maxItemsOptions READ maxItemsOptions CONSTANT)
    Q_PROPERTY(
        int maxItemsIndex READ maxItemsIndex WRITE setMaxItemsIndex NOTIFY maxItemsIndexChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY statusChanged)
    Q_PROPERTY(bool launchNeedsApproval READ launchNeedsApproval NOTIFY statusChanged)
    // Empty when there is no error to show.
    Q_PROPERTY(QString launchError READ launchError NOTIFY statusChanged)

    // "Permissões".
    Q_PROPERTY(bool accessibilityTrusted READ accessibilityTrusted NOTIFY statusChanged)
    Q_PROPERTY(QString accessibilityTitle READ accessibilityTitle CONSTANT)
    Q_PROPERTY(QString accessibilityDetail READ accessibilityDetail NOTIFY statusChanged)
    Q_PROPERTY(bool pasteboardAllowed READ pasteboardAllowed NOTIFY statusChanged)
    Q_PROPERTY(QString pasteboardTitle READ pasteboardTitle CONSTANT)
    Q_PROPERTY(QString pasteboardDetail READ pasteboardDetail NOTIFY statusChanged)

    // "Privacidade": one entry per identifier of the list, in its order: {bundleID, name,
    // iconSource (empty when the application has no icon)}.
    Q_PROPERTY(QVariantList ignoredApps READ ignoredApps NOTIFY ignoredAppsChanged)

    // "Dados".
    Q_PROPERTY(QString storedItemsText READ storedItemsText NOTIFY historyChanged)
    Q_PROPERTY(bool canClearHistory READ canClearHistory NOTIFY historyChanged)
    Q_PROPERTY(bool canWipeHistory READ canWipeHistory NOTIFY historyChanged)
    Q_PROPERTY(bool confirmWipe READ confirmWipe WRITE setConfirmWipe NOTIFY confirmWipeChanged)
    Q_PROPERTY(QString footerText READ footerText CONSTANT)

public:
    // What the view asks of the rest of the program. Each function may be left empty.
    struct Services
    {
        AppSettings &settings;
        HistoryStore &store;
        SettingsState &state;
        HotKeyRecorder &recorder;
        AccessibilityPermission &accessibility;
        LaunchAtLogin &launchAtLogin;
        // An application's name and the picture of its icon (an empty URL when it has none).
        std::function<QString(const QString &bundleID)> appName;
        std::function<QUrl(const QString &bundleID)> appIcon;
        // Shows a folder selected in the file manager.
        std::function<void(const QString &path)> revealFolder;
        // Whether a tray shows the program's icon.
        std::function<bool()> hasTray;
        // The application picker of "Adicionar app…"; what it hands over is added.
        ApplicationPicker *picker = nullptr;
        std::function<void()> quit;
        QString shortVersion;
    };

    explicit SettingsView(const Services &services, QObject *parent = nullptr);
    ~SettingsView() override;

    AppSettings *settings() const { return &m_services.settings; }
    SettingsState *state() const { return &m_services.state; }
    HotKeyRecorder *recorder() const { return &m_services.recorder; }
    ApplicationPicker *picker() const { return m_services.picker; }

    QString welcomeText() const;
    QString whereText() const;
    bool hasTray() const { return m_hasTray; }

    static const QList<qint64> &maxItemsChoices();
    QStringList panelPositionOptions() const;
    int panelPositionIndex() const;
    void setPanelPositionIndex(int index);
    QStringList maxItemsOptions() const;
    int maxItemsIndex() const;
    void setMaxItemsIndex(int index);

    bool launchAtLogin() const { return m_launchAtLogin; }
    bool launchNeedsApproval() const { return m_launchNeedsApproval; }
    QString launchError() const { return m_launchError; }

    bool accessibilityTrusted() const { return m_accessibilityTrusted; }
    QString accessibilityTitle() const;
    QString accessibilityDetail() const;
    bool pasteboardAllowed() const { return m_pasteboardState == PasteboardAccess::State::Allowed; }
    QString pasteboardTitle() const;
    QString pasteboardDetail() const;

    QVariantList ignoredApps() const;

    QString storedItemsText() const;
    bool canClearHistory() const;
    bool canWipeHistory() const;
    bool confirmWipe() const { return m_confirmWipe; }
    void setConfirmWipe(bool confirm);
    QString footerText() const;

    // Starts (true) or stops the refresh of the platform states every second: the window runs
    // it while it is shown and nothing of it runs while it is hidden. Starting refreshes at once.
    void setActive(bool active);
    bool isActive() const { return m_refreshTimer.isActive(); }
    // How often the states are read again while shown (every second; tests shorten it).
    std::chrono::milliseconds refreshInterval() const
    {
        return m_refreshTimer.intervalAsDuration();
    }
    void setRefreshInterval(std::chrono::milliseconds interval)
    {
        m_refreshTimer.setInterval(interval);
    }

    // The key names in the texts follow the current keyboard layout.
    void refreshTexts() { Q_EMIT welcomeTextChanged(); }
    // Re-reads the platform states: accessibility, clipboard access, the login item.
    Q_INVOKABLE void refreshStatus();
    Q_INVOKABLE void setLaunchAtLoginEnabled(bool enabled);
    Q_INVOKABLE void requestAccessibility();
    Q_INVOKABLE void openPasteboardSettings();
    // Opens the application picker (applicationPickerRequested: the form shows it).
    Q_INVOKABLE void addIgnoredApp();
    // Appends the identifiers not yet in the list, in the order given.
    Q_INVOKABLE void addIgnoredApps(const QStringList &bundleIDs);
    // Removes every occurrence of the identifier.
    Q_INVOKABLE void removeIgnoredApp(const QString &bundleID);
    Q_INVOKABLE void revealHistoryFolder();
    // "Limpar histórico": the unpinned entries go.
    Q_INVOKABLE void clearHistory();
    // "Apagar tudo" in the confirmation: every entry goes, pinned ones too.
    Q_INVOKABLE void wipeHistory();
    Q_INVOKABLE void quit();

    // The home folder written as "~" (shown paths).
    static QString homeRelative(const QString &path);

Q_SIGNALS:
    void welcomeTextChanged();
    void hasTrayChanged();
    void panelPositionIndexChanged();
    void maxItemsIndexChanged();
    void statusChanged();
    void ignoredAppsChanged();
    void historyChanged();
    void confirmWipeChanged();
    void applicationPickerRequested();

private:
    Services m_services;
    QTimer m_refreshTimer;
    bool m_hasTray = true;
    bool m_accessibilityTrusted = false;
    PasteboardAccess::State m_pasteboardState = PasteboardAccess::State::Allowed;
    bool m_launchAtLogin = false;
    bool m_launchNeedsApproval = false;
    QString m_launchError;
    bool m_confirmWipe = false;
};

} // namespace tessaly
