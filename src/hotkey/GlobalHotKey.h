#pragma once

#include "hotkey/HotKeyCombo.h"
#include "hotkey/HotKeyService.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tessaly {

// The one system-wide hot key: registers a combination with the system's hot-key service and
// runs onPressed on the main thread, after the service's event handler has returned, each time
// the user presses it in any application.
//
// One combination at a time: registerCombo() always drops the current registration first, so a
// refused combination leaves nothing registered. The registration follows keyboard changes (a
// new keymap or modifier mapping is answered by registering the same combination again, once the
// burst of changes has settled).
//
// While suspended (see Suspension) the grab is lifted so that a keystroke this program
// synthesises itself — Ctrl+Shift+V into a terminal — reaches its target; the combination stays
// registered and is grabbed again when the last suspension ends.
class GlobalHotKey : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool registered READ isRegistered NOTIFY registeredChanged)

public:
    // How long a burst of keyboard changes must be quiet before the combination is grabbed again.
    static constexpr std::chrono::milliseconds defaultKeyboardSettle{200};

    explicit GlobalHotKey(std::unique_ptr<HotKeyService> service = nullptr,
                          QObject *parent = nullptr);
    ~GlobalHotKey() override;

    // The one instance for the life of the process (never released). The application gives it
    // its service at start (setService); until then every registration is refused.
    static GlobalHotKey &shared();

    std::chrono::milliseconds keyboardSettle() const { return m_settleTimer.intervalAsDuration(); }
    // Tests shorten the wait; the program keeps the default.
    void setKeyboardSettle(std::chrono::milliseconds settle) { m_settleTimer.setInterval(settle); }

    // Replaces the service; a registration made through the previous one is gone with it.
    void setService(std::unique_ptr<HotKeyService> service);

    // Drops the current registration, then registers `combo`; answers whether the system
    // accepted it. Registering the registered combination again answers true again.
    bool registerCombo(const HotKeyCombo &combo);
    // Drops the current registration, if any.
    void unregister();

    // Whether a combination is registered (its grab held, or lifted only for a suspension).
    bool isRegistered() const;
    // The combination asked for by the last successful registerCombo(), until unregister() or a
    // refused registerCombo(); it stays while a keyboard change keeps it from being grabbed.
    std::optional<HotKeyCombo> combination() const { return m_combo; }

    // Lifts the grab until a matching resume(); nests. Prefer Suspension.
    void suspend();
    // Ends a suspend(); the last one grabs the registered combination again (answering the
    // outcome through isRegistered()).
    void resume();
    bool isSuspended() const { return m_suspensions > 0; }

    // Lifts the hot key for its lifetime:
    //     { GlobalHotKey::Suspension quiet(GlobalHotKey::shared()); sendKeystroke(); }
    // The synthetic keystroke must have reached the server (a round trip on its connection)
    // before the suspension ends.
    class [[nodiscard]] Suspension
    {
    public:
        explicit Suspension(GlobalHotKey &hotKey) : m_hotKey(&hotKey) { m_hotKey->suspend(); }
        ~Suspension()
        {
            if (m_hotKey)
                m_hotKey->resume();
        }
        Suspension(Suspension &&other) noexcept : m_hotKey(std::exchange(other.m_hotKey, nullptr))
        {}
        Suspension(const Suspension &) = delete;
        Suspension &operator=(const Suspension &) = delete;
        Suspension &operator=(Suspension &&) = delete;

    private:
        GlobalHotKey *m_hotKey;
    };

    // What to do when the hot key fires; read on the main thread at the moment it runs.
    std::function<void()> onPressed;

Q_SIGNALS:
    // isRegistered() changed: a registration made or dropped, or lost or regained after a
    // keyboard change or a suspension.
    void registeredChanged();

private:
    void installHandlerIfNeeded();
    void handlePressed();
    void grabAgain();
    void releaseGrab();
    void notifyIfChanged(bool wasRegistered);

    std::unique_ptr<HotKeyService> m_service;
    std::optional<HotKeyCombo> m_combo;
    bool m_held = false; // the service holds the grab of m_combo
    bool m_handlerInstalled = false;
    int m_suspensions = 0;
    QTimer m_settleTimer;
};

} // namespace tessaly
