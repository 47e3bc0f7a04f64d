#include "app/AppDelegate.h"

#include "app/SingleInstance.h"
#include "app/StatusItemController.h"
#include "app/Version.h"
#include "capture/ClipboardMonitor.h"
#include "capture/FieldPaste.h"
#include "capture/Pasteboard.h"
#include "capture/PasteboardAccess.h"
#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyApplier.h"
#include "hotkey/HotKeyService.h"
#include "hotkey/KeyboardLayout.h"
#include "hotkey/KeyboardLayoutSource.h"
#include "panel/CaretLocator.h"
#include "panel/HistoryPanel.h"
#include "panel/KeySynth.h"
#include "panel/KeyTranslator.h"
#include "panel/PanelController.h"
#include "panel/PanelModel.h"
#include "panel/PanelPlacer.h"
#include "panel/PanelWindowSystem.h"
#include "panel/PasteService.h"
#include "panel/Screens.h"
#include "panel/cards/CardBackends.h"
#include "panel/cards/CardImageProvider.h"
#include "panel/cards/CardWorkspace.h"
#include "panel/cards/IconCache.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "platform/posix/MemoryRelease.h"
#include "platform/xdg/DesktopEntries.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"
#include "settings/LaunchAtLogin.h"
#include "settings/SettingsWindowController.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QQuickView>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>

namespace tessaly {

namespace {

// How long after the start or a closing of the panel the freed memory is given back: past the
// closing and whatever the choice of an entry set off.
constexpr int releaseMemoryDelayMs = 3000;

void logLine(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

// Everything the history panel stands on, created once at launch over the platform's services.
struct AppDelegate::Panel
{
    Panel(AppSettings &settings, HistoryStore &store, ClipboardMonitor &monitor, Platform &platform)
        : platform(platform),
          caretLocator(*platform.caretSource, *platform.screens, *platform.accessibility),
          placer(*platform.screens, caretLocator, settings), icons(*platform.applications),
          pictures(icons, store), pasteService(store, monitor, *platform.pasteboard,
                                               *platform.keySynth, &GlobalHotKey::shared())
    {
        model = std::make_unique<PanelModel>(store, settings, *platform.accessibility);
        window = std::make_unique<HistoryPanel>(
            *model, backends(), *platform.keys, *platform.panelWindowSystem,
            [screens = platform.screens.get()] { return screens->desktopSpace(); });
        controller = std::make_unique<PanelController>(
            PanelController::Services{store, settings, pasteService, *platform.workspace,
                                      *platform.accessibility, placer},
            *model, *window);
        controller->beep = [] { QApplication::beep(); };
    }

    PanelViewBackends backends() { return {&texts, &pictures, platform.cardWorkspace.get()}; }

    Platform &platform;
    // Placement next to the text caret.
    CaretLocator caretLocator;
    PanelPlacer placer;
    // What the cards show.
    IconCache icons;
    CardTexts texts;
    CardPictures pictures;
    PasteService pasteService;
    // The model outlives the window whose view reads it; the controller goes first.
    std::unique_ptr<PanelModel> model;
    std::unique_ptr<HistoryPanel> window;
    std::unique_ptr<PanelController> controller;
};

AppDelegate::PlatformFactory AppDelegate::sessionPlatform()
{
    return [](QString *failure) {
        return createPlatform(bundleIdentifier(), QCoreApplication::applicationName(), failure);
    };
}

AppDelegate::AppDelegate(AppSettings &settings, HistoryStore &store, PlatformFactory createPlatform,
                         QObject *parent)
    : QObject(parent), m_settings(settings), m_store(store),
      m_createPlatform(std::move(createPlatform))
{}

Pasteboard *AppDelegate::pasteboard() const
{
    return m_platform ? m_platform->pasteboard.get() : nullptr;
}

Workspace *AppDelegate::workspace() const
{
    return m_platform ? m_platform->workspace.get() : nullptr;
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
    // The shared hot key outlives the delegate: it must not call back into it.
    GlobalHotKey::shared().onPressed = nullptr;
}

AppDelegate::Launch AppDelegate::applicationDidFinishLaunching()
{
    // One copy per user.
    m_instance = std::make_unique<SingleInstance>();
    if (!m_instance->claim())
        return Launch::AlreadyRunning;
    connect(m_instance.get(), &SingleInstance::requested, this, &AppDelegate::handleRequest);

    // The launch line.
    logLine(QStringLiteral("Tessaly iniciado — pasteboard %1")
                .arg(PasteboardAccess::debugDescription()));

    // The main menu's window actions come with the first window.

    if (!createSystemServices())
        return Launch::Failed;
    if (!m_platform->note.isEmpty())
        logLine(m_platform->note);

    // The history; the alert sound when an entry cannot be written.
    m_store.load();
    connect(&m_store, &HistoryStore::entryNotWritten, this, [] { QApplication::beep(); });

    // Capture.
    m_monitor = std::make_unique<ClipboardMonitor>(m_store, m_settings, *pasteboard(), workspace());
    m_monitor->setOwnBundleID(bundleIdentifier());
    m_monitor->start();

    // The paste service and the panel.
    createPanel();

    // The tray icon and its menu.
    createStatusItem();

    // The hot key toggles the panel; a new combination is registered again; a new limit trims.
    GlobalHotKey::shared().onPressed = [this] { hotKeyPressed(); };
    m_settings.onHotKeyChange = [this] { applyHotKey(); };
    m_settings.onMaxItemsChange = [this] { m_store.trim(); };
    applyHotKey();

    // The very first launch shows the welcome; the flag is stored first, so that a crash or a
    // quit during the welcome does not show it again.
    if (!m_settings.hasCompletedOnboarding()) {
        m_settings.setHasCompletedOnboarding(true);
        showSettings(true);
    }
    return Launch::Running;
}

bool AppDelegate::createSystemServices()
{
    QString failure;
    m_platform = m_createPlatform ? m_createPlatform(&failure) : nullptr;
    if (!m_platform) {
        logLine(QStringLiteral("Tessaly: %1.").arg(failure));
        return false;
    }
    // Before any window exists: no text field may ever wait for Qt's clipboard.
    m_fieldPaste = std::make_unique<FieldPaste>(*m_platform->pasteboard);

    // The keyboard: key names follow the session's current layout; the hot key is registered
    // with the session.
    KeyboardLayout::setSource(m_platform->keyboardLayout);
    GlobalHotKey::shared().setService(std::move(m_platform->hotKeys));
    m_hotKeyApplier = std::make_unique<HotKeyApplier>(m_settings, GlobalHotKey::shared());
    return true;
}

void AppDelegate::applyHotKey()
{
    if (m_hotKeyApplier)
        m_hotKeyApplier->applyHotKey();
    if (m_statusController)
        m_statusController->updateIcon();
}

void AppDelegate::createPanel()
{
    m_panel = std::make_unique<Panel>(m_settings, m_store, *m_monitor, *m_platform);
    // The first opening should not pay for building the view.
    QTimer::singleShot(0, m_panel->window.get(), &HistoryPanel::warmUp);
    // What the start (the index decoded, the view built) and each opening of the panel freed goes
    // back to the system once the program is idle again.
    auto *release = new QTimer(m_panel->window.get());
    release->setSingleShot(true);
    release->setInterval(releaseMemoryDelayMs);
    connect(release, &QTimer::timeout, this, [] { releaseFreeMemory(); });
    connect(m_panel->window->view(), &QWindow::visibleChanged, release, [release](bool visible) {
        if (!visible)
            release->start();
    });
    release->start();
    m_panel->controller->onOpenSettings = [this] { showSettings(false); };
}

void AppDelegate::createStatusItem()
{
    m_statusController = std::make_unique<StatusItemController>(m_store, m_settings);
    m_statusController->onShowHistory = [this] {
        if (PanelController *controller = panelController())
            controller->show();
    };
    m_statusController->onOpenSettings = [this] { showSettings(false); };
    // Into the application in front when the entry is chosen.
    m_statusController->onChoose = [this](const ClipItem &item) {
        if (PanelController *controller = panelController())
            controller->paste(item, false, m_platform->workspace->frontmostApplication());
    };
}

StatusItemController *AppDelegate::statusController() const
{
    return m_statusController.get();
}

PasteService *AppDelegate::pasteService() const
{
    return m_panel ? &m_panel->pasteService : nullptr;
}

PanelController *AppDelegate::panelController() const
{
    return m_panel ? m_panel->controller.get() : nullptr;
}

HistoryPanel *AppDelegate::historyPanel() const
{
    return m_panel ? m_panel->window.get() : nullptr;
}

void AppDelegate::handleRequest(SingleInstance::Request request)
{
    switch (request) {
    case SingleInstance::Request::Toggle:
        hotKeyPressed();
        break;
    case SingleInstance::Request::Reopen:
    case SingleInstance::Request::Settings:
        showSettings(false);
        break;
    case SingleInstance::Request::Quit:
        QCoreApplication::quit();
        break;
    }
}

void AppDelegate::showSettings(bool welcome)
{
    if (!m_panel)
        return;
    if (!m_settingsWindow)
        createSettingsWindow();
    m_settingsWindow->present(welcome);
}

void AppDelegate::createSettingsWindow()
{
    Panel &panel = *m_panel;
    ApplicationPicker::Services picker;
    picker.listApplications = [] {
        QList<PickableApplication> applications;
        for (const DesktopEntry &entry : DesktopEntries::shared().all()) {
            if (entry.noDisplay || entry.name.isEmpty())
                continue;
            applications.append(
                {entry.id, entry.name,
                 entry.iconName.isEmpty() ? QUrl() : CardImageProvider::appIconUrl(entry.id)});
        }
        return applications;
    };
    picker.bundleIDOfFile = [](const QString &path) -> std::optional<QString> {
        return DesktopEntries::bundleIDOfFile(path);
    };
    picker.chooseFiles = [](std::function<void(const QStringList &)> done) {
        auto *dialog = new QFileDialog(nullptr, QStringLiteral("Escolha os apps a ignorar"),
                                       QStringLiteral("/usr/share/applications"),
                                       QStringLiteral("Aplicativos (*.desktop)"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::ExistingFiles);
        dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Ignorar"));
        QObject::connect(dialog, &QFileDialog::filesSelected, dialog, std::move(done));
        dialog->open();
    };

    SettingsWindowController::Services services{
        m_settings,
        m_store,
        *m_platform->accessibility,
        *m_platform->launchAtLogin,
        GlobalHotKey::shared(),
        *m_platform->keys,
        panel.backends(),
        std::move(picker),
    };
    services.appName = [&panel](const QString &id) { return panel.icons.appName(id); };
    services.appIcon = [&panel](const QString &id) {
        return panel.icons.appIcon(id).isNull() ? QUrl() : CardImageProvider::appIconUrl(id);
    };
    services.revealFolder = [&panel](const QString &path) {
        panel.platform.cardWorkspace->revealFiles({QUrl::fromLocalFile(path)});
    };
    services.hasTray = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    services.quit = [] { QCoreApplication::quit(); };
    services.shortVersion = QStringLiteral(TESSALY_SHORT_VERSION);
    services.bringForward = [&panel](quintptr windowId) {
        panel.platform.panelWindowSystem->activate(windowId);
    };
    services.hideApplication = [this] {
        if (PanelController *controller = panelController(); controller && controller->isVisible())
            controller->hide();
    };
    services.beep = [] { QApplication::beep(); };
    m_settingsWindow = std::make_unique<SettingsWindowController>(std::move(services));
}

void AppDelegate::hotKeyPressed()
{
    PanelController *controller = panelController();
    if (!controller)
        return;
    if (controller->isVisible())
        controller->hide();
    else
        controller->show();
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_settings.onHotKeyChange = nullptr;
    m_settings.onMaxItemsChange = nullptr;
    // A recording under way ends with the program (its stop registers nothing any more).
    m_settingsWindow.reset();
    GlobalHotKey::shared().unregister();
    if (m_monitor)
        m_monitor->finish();
    m_store.waitForPendingWrites();
}

} // namespace tessaly
