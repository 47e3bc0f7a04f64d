#include "settings/SettingsView.h"

#include "history/HistoryStore.h"
#include "hotkey/HotKeyRecorder.h"
#include "panel/PanelPosition.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"
#include "settings/ApplicationPicker.h"
#include "settings/LaunchAtLogin.h"
#include "settings/SettingsState.h"

#include <QDir>

#include <algorithm>

namespace tessaly {

namespace {

constexpr std::chrono::milliseconds statusRefreshInterval{1000};

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

SettingsView::SettingsView(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    m_refreshTimer.setInterval(statusRefreshInterval);
    connect(&m_refreshTimer, &QTimer::timeout, this, &SettingsView::refreshStatus);

    // At construction only an enabled login item counts; the first refresh applies the rest.
    m_launchAtLogin = m_services.launchAtLogin.status() == LaunchAtLogin::Status::Enabled;
    m_accessibilityTrusted = m_services.accessibility.isTrusted();
    m_pasteboardState = PasteboardAccess::currentState();
    if (m_services.hasTray)
        m_hasTray = m_services.hasTray();

    AppSettings &settings = m_services.settings;
    connect(&settings, &AppSettings::hotKeyChanged, this, &SettingsView::welcomeTextChanged);
    connect(&settings, &AppSettings::panelPositionChanged, this,
            &SettingsView::panelPositionIndexChanged);
    connect(&settings, &AppSettings::maxItemsChanged, this, &SettingsView::maxItemsIndexChanged);
    connect(&settings, &AppSettings::ignoredBundleIDsChanged, this,
            &SettingsView::ignoredAppsChanged);
    connect(&m_services.store, &HistoryStore::itemsChanged, this, &SettingsView::historyChanged);
    if (m_services.picker)
        connect(m_services.picker, &ApplicationPicker::chosen, this, &SettingsView::addIgnoredApps);
}

SettingsView::~SettingsView() = default;

QString SettingsView::welcomeText() const
{
    return QStringLiteral("Tudo o que você copiar fica guardado. Pressione <b>") +
           escaped(m_services.settings.hotKey().displayString()) +
           QStringLiteral("</b> em qualquer app para abrir o histórico e colar um item antigo — "
                          "como o Win+V do Windows.");
}

QString SettingsView::whereText() const
{
    if (m_hasTray)
        return QStringLiteral("O app fica no ícone da bandeja do sistema.");
    return QStringLiteral("Sem ícone na bandeja neste ambiente: abra o Tessaly de novo pelo menu "
                          "de aplicativos para ver estes ajustes.");
}

const QList<qint64> &SettingsView::maxItemsChoices()
{
    static const QList<qint64> choices = {25, 50, 100, 200, 500};
    return choices;
}

QStringList SettingsView::panelPositionOptions() const
{
    QStringList labels;
    for (const PanelPosition position : allPanelPositions)
        labels.append(panelPositionLabel(position));
    return labels;
}

int SettingsView::panelPositionIndex() const
{
    const auto found = std::find(allPanelPositions.begin(), allPanelPositions.end(),
                                 m_services.settings.panelPosition());
    return found == allPanelPositions.end() ? -1 : int(found - allPanelPositions.begin());
}

void SettingsView::setPanelPositionIndex(int index)
{
    if (index >= 0 && index < int(allPanelPositions.size()))
        m_services.settings.setPanelPosition(allPanelPositions[size_t(index)]);
}

QStringList SettingsView::maxItemsOptions() const
{
    QStringList labels;
    for (const qint64 count : maxItemsChoices())
        labels.append(QString::number(count) + QStringLiteral(" itens"));
    return labels;
}

int SettingsView::maxItemsIndex() const
{
    return int(maxItemsChoices().indexOf(m_services.settings.maxItems()));
}

void SettingsView::setMaxItemsIndex(int index)
{
    if (index >= 0 && index < maxItemsChoices().size())
        m_services.settings.setMaxItems(maxItemsChoices().at(index));
}

QString SettingsView::accessibilityTitle() const
{
    return QStringLiteral("Acessibilidade");
}

QString SettingsView::accessibilityDetail() const
{
    return m_accessibilityTrusted
               ? QStringLiteral("Permitido — os itens são colados direto no app.")
               : QStringLiteral("Necessária para colar automaticamente (simular ⌘V) e abrir o "
                                "painel perto do cursor de texto.");
}

QString SettingsView::pasteboardTitle() const
{
    return QStringLiteral("Área de transferência");
}

QString SettingsView::pasteboardDetail() const
{
    switch (m_pasteboardState) {
    case PasteboardAccess::State::Allowed:
        return QStringLiteral("Permitido — o histórico é registrado automaticamente.");
    case PasteboardAccess::State::Asks:
        return QStringLiteral("O macOS pergunta a cada leitura. Escolha “Permitir sempre” para o "
                              "histórico funcionar.");
    case PasteboardAccess::State::Denied:
        break;
    }
    return QStringLiteral("Negado — nada será registrado até você permitir.");
}

QVariantList SettingsView::ignoredApps() const
{
    QVariantList rows;
    for (const QString &id : m_services.settings.ignoredBundleIDs()) {
        const QString name = m_services.appName ? m_services.appName(id) : id;
        const QUrl icon = m_services.appIcon ? m_services.appIcon(id) : QUrl();
        rows.append(QVariantMap{{QStringLiteral("bundleID"), id},
                                {QStringLiteral("name"), name.isEmpty() ? id : name},
                                {QStringLiteral("iconSource"), icon}});
    }
    return rows;
}

QString SettingsView::storedItemsText() const
{
    const QList<ClipItem> &items = m_services.store.items();
    const auto pinned =
        std::count_if(items.begin(), items.end(), [](const ClipItem &item) { return item.pinned; });
    QString text = QString::number(items.size());
    if (pinned > 0)
        text += QStringLiteral(" (%1 fixados)").arg(pinned);
    return text;
}

bool SettingsView::canClearHistory() const
{
    const QList<ClipItem> &items = m_services.store.items();
    return std::any_of(items.begin(), items.end(),
                       [](const ClipItem &item) { return !item.pinned; });
}

bool SettingsView::canWipeHistory() const
{
    return !m_services.store.items().isEmpty();
}

void SettingsView::setConfirmWipe(bool confirm)
{
    if (confirm == m_confirmWipe)
        return;
    m_confirmWipe = confirm;
    Q_EMIT confirmWipeChanged();
}

QString SettingsView::footerText() const
{
    const QString version =
        m_services.shortVersion.isEmpty() ? QStringLiteral("dev") : m_services.shortVersion;
    return QStringLiteral("Tessaly ") + version +
           QStringLiteral(" · o histórico fica só neste computador, em ") +
           homeRelative(m_services.store.directory()) + u'.';
}

QString SettingsView::homeRelative(const QString &path)
{
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString clean = QDir::cleanPath(path);
    if (home.isEmpty() || home == u"/")
        return clean;
    if (clean == home)
        return QStringLiteral("~");
    if (clean.startsWith(home + u'/'))
        return u'~' + clean.mid(home.size());
    return clean;
}

void SettingsView::setActive(bool active)
{
    if (active == m_refreshTimer.isActive())
        return;
    if (!active) {
        m_refreshTimer.stop();
        return;
    }
    // Whether a tray shows the icon is asked at each showing (a panel may have come or gone).
    if (m_services.hasTray) {
        if (const bool tray = m_services.hasTray(); tray != m_hasTray) {
            m_hasTray = tray;
            Q_EMIT hasTrayChanged();
        }
    }
    refreshStatus();
    m_refreshTimer.start();
}

void SettingsView::refreshStatus()
{
    const bool trusted = m_services.accessibility.isTrusted();
    const PasteboardAccess::State pasteboard = PasteboardAccess::currentState();
    const LaunchAtLogin::Status login = m_services.launchAtLogin.status();
    const bool launch =
        login == LaunchAtLogin::Status::Enabled || login == LaunchAtLogin::Status::RequiresApproval;
    const bool approval = login == LaunchAtLogin::Status::RequiresApproval;
    if (trusted != m_accessibilityTrusted || pasteboard != m_pasteboardState ||
        launch != m_launchAtLogin || approval != m_launchNeedsApproval) {
        m_accessibilityTrusted = trusted;
        m_pasteboardState = pasteboard;
        m_launchAtLogin = launch;
        m_launchNeedsApproval = approval;
        Q_EMIT statusChanged();
    }
}

void SettingsView::setLaunchAtLoginEnabled(bool enabled)
{
    QString reason;
    if (m_services.launchAtLogin.setEnabled(enabled, &reason))
        m_launchError.clear();
    else
        m_launchError = QStringLiteral("Não foi possível alterar: ") + reason;
    // The switch shows what the system holds, whatever the outcome.
    Q_EMIT statusChanged();
    refreshStatus();
}

void SettingsView::requestAccessibility()
{
    m_services.accessibility.request();
}

void SettingsView::openPasteboardSettings()
{
    PasteboardAccess::openSettings();
}

void SettingsView::addIgnoredApp()
{
    if (!m_services.picker)
        return;
    m_services.picker->open();
    Q_EMIT applicationPickerRequested();
}

void SettingsView::addIgnoredApps(const QStringList &bundleIDs)
{
    QStringList ids = m_services.settings.ignoredBundleIDs();
    const qsizetype before = ids.size();
    for (const QString &id : bundleIDs) {
        if (!id.isEmpty() && !ids.contains(id))
            ids.append(id);
    }
    if (ids.size() != before)
        m_services.settings.setIgnoredBundleIDs(ids);
}

void SettingsView::removeIgnoredApp(const QString &bundleID)
{
    QStringList ids = m_services.settings.ignoredBundleIDs();
    if (ids.removeAll(bundleID) > 0)
        m_services.settings.setIgnoredBundleIDs(ids);
}

void SettingsView::revealHistoryFolder()
{
    if (m_services.revealFolder)
        m_services.revealFolder(m_services.store.directory());
}

void SettingsView::clearHistory()
{
    m_services.store.clear(true);
}

void SettingsView::wipeHistory()
{
    setConfirmWipe(false);
    m_services.store.clear(false);
}

void SettingsView::quit()
{
    if (m_services.quit)
        m_services.quit();
}

} // namespace tessaly
