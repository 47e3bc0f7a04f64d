#include "platform/sway/SwayPanelWindowSystem.h"

#include "platform/sway/SwayIpc.h"
#include "platform/sway/SwayWorkspace.h"

#include <QGuiApplication>
#include <QWindow>

#include <unistd.h>

namespace tessaly::sway {

namespace {

// sway maps a shown window within a frame or two: it is looked at this often, this many times at
// most, until it has been in its place this many times in a row.
constexpr int retryIntervalMs = 5;
constexpr int attempts = 80;
constexpr int settledAfter = 4;

const QWindow *windowWithId(quintptr id)
{
    const QList<QWindow *> windows = QGuiApplication::allWindows();
    const auto found = std::find_if(windows.cbegin(), windows.cend(), [&](QWindow *candidate) {
        return candidate->handle() && candidate->winId() == WId(id);
    });
    return found == windows.cend() ? nullptr : *found;
}

} // namespace

SwayPanelWindowSystem::SwayPanelWindowSystem(std::unique_ptr<PanelWindowSystem> x11,
                                             std::shared_ptr<const SwayIpc> ipc)
    : m_x11(std::move(x11)), m_ipc(std::move(ipc))
{
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (settle() || --m_attemptsLeft <= 0)
            m_retry.stop();
    });
}

SwayPanelWindowSystem::~SwayPanelWindowSystem() = default;

bool SwayPanelWindowSystem::hasCompositor() const
{
    return m_x11->hasCompositor();
}

void SwayPanelWindowSystem::preparePanelWindow(quintptr windowId)
{
    m_x11->preparePanelWindow(windowId);
}

void SwayPanelWindowSystem::activate(quintptr windowId)
{
    m_x11->activate(windowId);
    m_window = windowId;
    // The place chosen for it, before sway's own placing reaches the window.
    const QWindow *window = windowWithId(windowId);
    if (!window)
        return;
    m_wanted = window->geometry().topLeft();
    m_attemptsLeft = attempts;
    m_timesInPlace = 0;
    if (!settle())
        m_retry.start();
}

bool SwayPanelWindowSystem::settle()
{
    const QWindow *window = windowWithId(m_window);
    if (!window || !window->isVisible())
        return true; // nothing to place any more
    const QPoint wanted = m_wanted;
    const auto tree = m_ipc->tree();
    const auto isPanel = [&](const QJsonObject &node) {
        return node.value(QStringLiteral("window")).toInteger() == qint64(m_window);
    };
    const auto panel = tree ? SwayWorkspace::findWindow(*tree, isPanel) : std::nullopt;
    if (!panel) {
        m_timesInPlace = 0;
        return false; // not mapped yet
    }
    // A focus event sway sent before the subscription began is seen here.
    if (panel->value(QStringLiteral("focused")).toBool())
        m_panelWasFocused = true;
    const QRect content = SwayWorkspace::contentRect(*panel);
    if (content.topLeft() == wanted)
        return ++m_timesInPlace >= settledAfter;
    m_timesInPlace = 0;
    // sway places the container; the window sits inside its borders.
    const QJsonObject frame = panel->value(QStringLiteral("rect")).toObject();
    const QPoint border = content.topLeft() - QPoint(frame.value(QStringLiteral("x")).toInt(),
                                                     frame.value(QStringLiteral("y")).toInt());
    const QPoint container = wanted - border;
    m_ipc->run(QStringLiteral("[id=%1] move absolute position %2 px %3 px")
                   .arg(m_window)
                   .arg(container.x())
                   .arg(container.y()));
    return false;
}

bool SwayPanelWindowSystem::isPointerButtonDown() const
{
    return m_x11->isPointerButtonDown();
}

bool SwayPanelWindowSystem::isFocusOnOwnWindow(quintptr ownWindowId) const
{
    return m_x11->isFocusOnOwnWindow(ownWindowId);
}

void SwayPanelWindowSystem::watchClicksElsewhere(quintptr ownWindowId,
                                                 std::function<void()> onClick)
{
    m_onElsewhere = onClick;
    m_panelWasFocused = false;
    if (!m_focus) {
        m_focus = std::make_unique<SwayFocusEvents>(m_ipc->socketPath());
        m_focus->onFocus = [this](qint64 processID) {
            if (!m_onElsewhere)
                return;
            if (processID == qint64(::getpid())) {
                m_panelWasFocused = true;
                return;
            }
            // Only once the panel had the keyboard: the window in front may be reported late.
            if (!m_panelWasFocused)
                return;
            m_panelWasFocused = false;
            const auto elsewhere = m_onElsewhere;
            elsewhere();
        };
    }
    m_x11->watchClicksElsewhere(ownWindowId, std::move(onClick));
}

void SwayPanelWindowSystem::stopWatchingClicks()
{
    // Nothing is read while the panel is hidden.
    m_onElsewhere = nullptr;
    m_focus.reset();
    m_x11->stopWatchingClicks();
}

} // namespace tessaly::sway
