#pragma once

#include "panel/PanelActions.h"
#include "panel/PanelKey.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tessaly {

class AccessibilityPermission;
class AppSettings;
class HistoryStore;
class PanelModel;
class PanelPlacer;
class PanelWindow;
class PasteService;

// Owns the floating history panel: opens it next to the user's work, remembers which
// application was in front so that a chosen entry is pasted back into it, interprets the
// keyboard while the panel is up, and carries out what the panel's views ask for. It closes
// the panel on Escape, Ctrl+W, and whenever the panel loses the keyboard or the user clicks
// elsewhere.
class PanelController : public QObject, public PanelActions
{
    Q_OBJECT

public:
    // The services the controller works with; each must outlive it.
    struct Services
    {
        HistoryStore &store;
        AppSettings &settings;
        PasteService &pasteService;
        Workspace &workspace;
        AccessibilityPermission &accessibility;
        PanelPlacer &placer;
    };

    // How long the paste keystroke waits after the panel closed, how long it waits at most for
    // an application it had to activate, and how often it looks whether that one is in front.
    struct Delays
    {
        std::chrono::milliseconds keystroke{60};
        std::chrono::milliseconds activation{220};
        std::chrono::milliseconds activationPoll{10};
    };

    // Becomes the model's actions and drives the window; both must outlive the controller.
    PanelController(const Services &services, PanelModel &model, PanelWindow &window,
                    QObject *parent = nullptr);
    ~PanelController() override;

    const Delays &delays() const { return m_delays; }
    // Tests shorten the delays; the program keeps the ones above.
    void setDelays(const Delays &delays) { m_delays = delays; }

    PanelModel &model() const { return m_model; }
    bool isVisible() const;
    // The application that was in front when the panel last opened; absent when that was this
    // program or nothing.
    const std::optional<RunningApplication> &targetApp() const { return m_targetApp; }

    // Opens the panel (again): captures the application in front, resets the model, places
    // the panel and gives it the keyboard.
    void show();
    // Closes the panel if it is open, remembering where the user dragged it.
    void hide();

    // Writes the entry back to the clipboard, marks it used and, with automatic pasting on,
    // pastes it into `target` (activating it first when it is not in front). Does not hide the
    // panel: callers do that first.
    void paste(const ClipItem &item, bool plainText,
               const std::optional<RunningApplication> &target);

    // The key table of the open panel; answers whether the key was used.
    bool handleKey(const PanelKey &key);

    // The panel's actions (the views call them through the model).
    void paste(const ClipItem &item, bool plainText) override;
    void togglePin(const ClipItem &item) override;
    void remove(const ClipItem &item) override;
    void clearAll() override;
    void requestAccessibility() override;
    void openSettings() override;

    // Opens the settings window; set by the application.
    std::function<void()> onOpenSettings;
    // The system alert sound (an entry that cannot be written).
    std::function<void()> beep;

private:
    void sendKeystrokeWhenReady(std::optional<RunningApplication> target,
                                std::chrono::milliseconds waited, quint64 paste);
    bool keystrokeStillWanted(quint64 paste) const;
    void pasteNth(int n, bool plainText);

    HistoryStore &m_store;
    AppSettings &m_settings;
    PasteService &m_pasteService;
    Workspace &m_workspace;
    AccessibilityPermission &m_accessibility;
    PanelPlacer &m_placer;
    PanelModel &m_model;
    PanelWindow &m_window;
    Delays m_delays;
    std::optional<RunningApplication> m_targetApp;
    // Counts pastes and openings: a keystroke still waiting for its delay is dropped when the
    // panel opened again or another paste began meanwhile.
    quint64 m_pasteGeneration = 0;
};

} // namespace tessaly
