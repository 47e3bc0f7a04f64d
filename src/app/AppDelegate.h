#pragma once

#include "app/SingleInstance.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tessaly {

class AppSettings;
class ClipboardMonitor;
class FieldPaste;
class HistoryStore;
class LaunchAtLogin;
class HotKeyApplier;
class HistoryPanel;
class PanelController;
class PasteService;
class SettingsWindowController;
class Pasteboard;
struct Platform;
class StatusItemController;
class Workspace;

// The application: creates the long-lived services in a fixed order at launch, owns them for
// the life of the process, and takes them down in order at the end.
//
// Launch, in this order: refuse to run twice; the launch line on standard error; the system
// services (the clipboard, the desktop and the keyboard of the session's platform); load the
// history; create and start the clipboard monitor; the paste service; the panel controller with its
// window; the tray icon with its menu; the hot key's handler and the two settings callbacks;
// register the hot key; on the very first launch, the welcome. The services every later part needs
// exist before anything can call back into them, and the hot key is registered only once its
// handler is in place.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // The program's own application id; its windows are recognised by process id.
    static QString bundleIdentifier() { return QStringLiteral("br.com.norvale.tessaly"); }

    enum class Launch
    {
        Running,        // launched; the event loop runs until the program is asked to end
        AlreadyRunning, // another copy runs: this one ends at once, quietly
        Failed,         // the session offers no clipboard to watch (no display)
    };

    // Creates the session's platform; absent, with the reason, when the session offers none.
    using PlatformFactory = std::function<std::unique_ptr<Platform>(QString *failure)>;
    // The platform of the session the program runs in.
    static PlatformFactory sessionPlatform();

    AppDelegate(AppSettings &settings, HistoryStore &store,
                PlatformFactory createPlatform = sessionPlatform(), QObject *parent = nullptr);
    ~AppDelegate() override;

    Launch applicationDidFinishLaunching();
    // Stops noticing changes, hands the captures already under way to the store and writes
    // every queued history file. Runs once the event loop has ended.
    void applicationWillTerminate();

    AppSettings &settings() const { return m_settings; }
    HistoryStore &store() const { return m_store; }
    Pasteboard *pasteboard() const;
    Workspace *workspace() const;
    ClipboardMonitor *monitor() const { return m_monitor.get(); }
    PasteService *pasteService() const;
    StatusItemController *statusController() const;
    PanelController *panelController() const;
    HistoryPanel *historyPanel() const;
    // Absent until the settings are first shown.
    SettingsWindowController *settingsWindow() const { return m_settingsWindow.get(); }

    // (Re)registers settings.hotKey and publishes the outcome in settings.hotKeyRegistered.
    void applyHotKey();
    // What a later start of the program asks for (or this start's own option, once launched).
    void handleRequest(SingleInstance::Request request);
    // Builds the settings window on first use, then shows it in front; `welcome` turns its
    // welcome section on.
    void showSettings(bool welcome);

private:
    bool createSystemServices();
    void hotKeyPressed();
    void createPanel();
    void createStatusItem();
    void createSettingsWindow();

    AppSettings &m_settings;
    HistoryStore &m_store;
    PlatformFactory m_createPlatform;
    std::unique_ptr<SingleInstance> m_instance;
    // Declared before the services that use it, so that it goes last.
    std::unique_ptr<Platform> m_platform;
    // Pastes into the program's own text fields without Qt's blocking clipboard.
    std::unique_ptr<FieldPaste> m_fieldPaste;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<HotKeyApplier> m_hotKeyApplier;
    // The paste service, the panel and everything they stand on.
    struct Panel;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<StatusItemController> m_statusController;
    std::unique_ptr<SettingsWindowController> m_settingsWindow;
    bool m_terminated = false;
};

} // namespace tessaly
