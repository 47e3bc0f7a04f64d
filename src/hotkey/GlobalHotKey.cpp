#include "hotkey/GlobalHotKey.h"

#include "hotkey/HotKeyService.h"

#include <QCoreApplication>
#include <QThread>

namespace tessaly {

GlobalHotKey::GlobalHotKey(std::unique_ptr<HotKeyService> service, QObject *parent)
    : QObject(parent), m_service(std::move(service))
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(defaultKeyboardSettle);
    connect(&m_settleTimer, &QTimer::timeout, this, &GlobalHotKey::grabAgain);
}

GlobalHotKey::~GlobalHotKey()
{
    // Only the callbacks go; the service's own teardown ends its grab.
    onPressed = nullptr;
    if (m_service) {
        m_service->onPressed = nullptr;
        m_service->onKeyboardChanged = nullptr;
    }
}

GlobalHotKey &GlobalHotKey::shared()
{
    static GlobalHotKey *const instance = [] {
        auto *hotKey = new GlobalHotKey;
        // Its presses are delivered on the main thread, whoever asked first.
        if (QCoreApplication *app = QCoreApplication::instance())
            hotKey->moveToThread(app->thread());
        return hotKey;
    }();
    return *instance;
}

void GlobalHotKey::setService(std::unique_ptr<HotKeyService> service)
{
    const bool wasRegistered = isRegistered();
    m_settleTimer.stop();
    if (m_service) {
        m_service->onPressed = nullptr;
        m_service->onKeyboardChanged = nullptr;
    }
    m_service = std::move(service);
    m_combo.reset();
    m_held = false;
    m_handlerInstalled = false;
    notifyIfChanged(wasRegistered);
}

bool GlobalHotKey::registerCombo(const HotKeyCombo &combo)
{
    const bool wasRegistered = isRegistered();
    m_settleTimer.stop();
    releaseGrab();
    m_combo.reset();

    installHandlerIfNeeded();
    const bool accepted = m_service && m_service->grab(combo);
    if (accepted) {
        m_combo = combo;
        m_held = true;
        // Accepted, but kept lifted until the suspension ends.
        if (isSuspended())
            releaseGrab();
    }
    notifyIfChanged(wasRegistered);
    return accepted;
}

void GlobalHotKey::unregister()
{
    const bool wasRegistered = isRegistered();
    m_settleTimer.stop();
    releaseGrab();
    m_combo.reset();
    notifyIfChanged(wasRegistered);
}

bool GlobalHotKey::isRegistered() const
{
    return m_combo && (m_held || isSuspended());
}

void GlobalHotKey::suspend()
{
    if (m_suspensions++ == 0)
        releaseGrab();
}

void GlobalHotKey::resume()
{
    Q_ASSERT(m_suspensions > 0);
    if (m_suspensions == 0)
        return;
    const bool wasRegistered = isRegistered();
    if (--m_suspensions == 0 && m_combo) {
        m_held = m_service && m_service->grab(*m_combo);
        // A keyboard change seen while suspended is covered by this fresh grab.
        m_settleTimer.stop();
    }
    notifyIfChanged(wasRegistered);
}

void GlobalHotKey::installHandlerIfNeeded()
{
    if (m_handlerInstalled || !m_service)
        return;
    m_service->onPressed = [this] { handlePressed(); };
    m_service->onKeyboardChanged = [this] { m_settleTimer.start(); };
    m_handlerInstalled = true;
}

void GlobalHotKey::handlePressed()
{
    // Never from inside the service's handler: queued, and onPressed read when it runs.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const auto callback = onPressed;
            if (callback)
                callback();
        },
        Qt::QueuedConnection);
}

void GlobalHotKey::grabAgain()
{
    if (!m_combo || isSuspended())
        return;
    const bool wasRegistered = isRegistered();
    releaseGrab();
    m_held = m_service && m_service->grab(*m_combo);
    notifyIfChanged(wasRegistered);
}

void GlobalHotKey::releaseGrab()
{
    if (m_held && m_service)
        m_service->ungrab();
    m_held = false;
}

void GlobalHotKey::notifyIfChanged(bool wasRegistered)
{
    if (isRegistered() != wasRegistered)
        Q_EMIT registeredChanged();
}

} // namespace tessaly
