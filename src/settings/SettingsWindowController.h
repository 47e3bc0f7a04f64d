#pragma once

#include "panel/PanelViews.h"
#include "settings/ApplicationPicker.h"
#include "settings/SettingsView.h"

#include <QObject>

#include <functional>
#include <memory>

class QKeyEvent;
class QQuickView;

namespace tessaly {

class AccessibilityPermission;
class AppSettings;
class GlobalHotKey;
class HistoryStore;
class LaunchAtLogin;
class HotKeyRecorder;
class KeyTranslator;
class SettingsState;

// The settings window: a fixed 540 × 680 window titled "Ajustes do Tessaly" with the settings
// form. Built once on the first request and reused: closing it only hides it. While it is
// hidden nothing of it runs (the form's refresh stops). It takes the keyboard when shown; its
// key presses go to the hot-key recorder while that records, and otherwise give the window
// actions: Ctrl+W closes the window, Ctrl+H hides the program's windows, Ctrl+Q quits, Ctrl+,
// shows the settings.
class SettingsWindowController : public QObject
{
    Q_OBJECT

public:
    static constexpr int width = 540;
    static constexpr int height = 680;

    struct Services
    {
        AppSettings &settings;
        HistoryStore &store;
        AccessibilityPermission &accessibility;
        LaunchAtLogin &launchAtLogin;
        GlobalHotKey &hotKey;
        KeyTranslator &keys;
        PanelViewBackends pictures; // the icons the form shows
        ApplicationPicker::Services picker;
        // As SettingsView::Services.
        std::function<QString(const QString &bundleID)> appName = {};
        std::function<QUrl(const QString &bundleID)> appIcon = {};
        std::function<void(const QString &path)> revealFolder = {};
        std::function<bool()> hasTray = {};
        std::function<void()> quit = {};
        QString shortVersion = {};
        // Brings the shown window to the front with the keyboard, past focus-stealing rules.
        std::function<void(quintptr windowId)> bringForward = {};
        // Ctrl+H: hides every window of the program.
        std::function<void()> hideApplication = {};
        std::function<void()> beep = {};
    };

    explicit SettingsWindowController(Services services, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Shows the window in front with the keyboard; `welcome` turns the welcome section on (it
    // stays on), false leaves it as it is.
    void present(bool welcome);
    // Hides the window (as closing it does).
    void close();
    bool isVisible() const;
    // Whether the form loaded.
    bool isReady() const;

    SettingsState &state() const { return *m_state; }
    SettingsView &view() const { return *m_view; }
    HotKeyRecorder &recorder() const { return *m_recorder; }
    ApplicationPicker &picker() const { return *m_picker; }
    QQuickView *window() const { return m_window.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKeyPress(const QKeyEvent &event);
    void onVisibilityChanged();

    Services m_services;
    std::unique_ptr<SettingsState> m_state;
    std::unique_ptr<HotKeyRecorder> m_recorder;
    std::unique_ptr<ApplicationPicker> m_picker;
    std::unique_ptr<SettingsView> m_view;
    std::unique_ptr<QQuickView> m_window;
    bool m_placed = false;
};

} // namespace tessaly
