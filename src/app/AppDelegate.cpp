#include "app/AppDelegate.h"

#include "app/SingleInstance.h"
#include "capture/ClipboardMonitor.h"
#include "capture/PasteboardAccess.h"
#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyApplier.h"
#include "hotkey/KeyboardLayout.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11KeyboardLayoutSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>

#include <cstdio>

namespace tessaly {

namespace {

void logLine(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

AppDelegate::AppDelegate(AppSettings &settings, HistoryStore &store, QObject *parent)
    : QObject(parent), m_settings(settings), m_store(store)
{}

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

    // The launch line.
    logLine(QStringLiteral("Tessaly iniciado — pasteboard %1")
                .arg(PasteboardAccess::debugDescription()));

    // The main menu's window actions come with the first window.

    if (!createSystemServices())
        return Launch::Failed;

    // The history.
    m_store.load();

    // Capture.
    m_monitor =
        std::make_unique<ClipboardMonitor>(m_store, m_settings, *m_pasteboard, m_workspace.get());
    m_monitor->setOwnBundleID(bundleIdentifier());
    m_monitor->start();

    // Next: the paste service, the panel controller and the status item with their callbacks.

    // The hot key toggles the panel; a new combination is registered again; a new limit trims.
    GlobalHotKey::shared().onPressed = [this] { hotKeyPressed(); };
    m_settings.onHotKeyChange = [this] { applyHotKey(); };
    m_settings.onMaxItemsChange = [this] { m_store.trim(); };
    applyHotKey();

    // Next: on the first launch, the welcome.
    return Launch::Running;
}

bool AppDelegate::createSystemServices()
{
    auto pasteboard = std::make_unique<X11Pasteboard>();
    auto workspace =
        std::make_unique<X11Workspace>(bundleIdentifier(), QCoreApplication::applicationName());
    if (!pasteboard->isValid() || !workspace->isValid()) {
        logLine(QStringLiteral("Tessaly: sem acesso à área de transferência do X11 (DISPLAY=%1).")
                    .arg(qEnvironmentVariable("DISPLAY")));
        return false;
    }
    m_pasteboard = std::move(pasteboard);
    m_workspace = std::move(workspace);

    // The keyboard: key names follow the session's current layout; the hot key is grabbed on
    // the session's root window.
    KeyboardLayout::setSource(std::make_shared<x11::X11KeyboardLayoutSource>());
    GlobalHotKey::shared().setService(std::make_unique<x11::X11HotKeyService>());
    m_hotKeyApplier = std::make_unique<HotKeyApplier>(m_settings, GlobalHotKey::shared());
    return true;
}

void AppDelegate::applyHotKey()
{
    if (m_hotKeyApplier)
        m_hotKeyApplier->applyHotKey();
}

void AppDelegate::hotKeyPressed()
{
    // The history panel opens and closes here once it exists.
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_settings.onHotKeyChange = nullptr;
    m_settings.onMaxItemsChange = nullptr;
    GlobalHotKey::shared().unregister();
    if (m_monitor)
        m_monitor->finish();
    m_store.waitForPendingWrites();
}

} // namespace tessaly
