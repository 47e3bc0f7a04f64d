#include "panel/HistoryPanel.h"

#include "panel/PanelModel.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QPalette>
#include <QQmlEngine>
#include <QQuickView>
#include <QRegion>
#include <QTimer>

namespace tessaly {

namespace {

// How often a loss of the keyboard is looked at again while a pointer button is held.
constexpr int deactivationPollMs = 30;

QRegion roundedRegion(int width, int height, int radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

HistoryPanel::HistoryPanel(PanelModel &model, const PanelViewBackends &backends,
                           KeyTranslator &keys, PanelWindowSystem &system,
                           std::function<DesktopSpace()> desktopSpace, QObject *parent)
    : QObject(parent), m_keys(keys), m_system(system), m_desktopSpace(std::move(desktopSpace))
{
    // A 400 × 560 panel draws quickly in software, and needs no GPU context: its first opening
    // takes 30 ms instead of 180 on a machine without a GPU. (QT_QUICK_BACKEND still decides
    // when it is set.)
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    m_view = std::make_unique<QQuickView>();

    m_view->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_view->setTitle(QStringLiteral("Tessaly"));
    if (m_system.hasCompositor()) {
        QSurfaceFormat format = m_view->format();
        format.setAlphaBufferSize(8);
        m_view->setFormat(format);
        m_view->setColor(Qt::transparent);
    } else {
        m_view->setColor(QGuiApplication::palette().window().color());
        m_view->setMask(roundedRegion(width, height, cornerRadius));
    }
    m_view->setMinimumSize(QSize(width, height));
    m_view->setMaximumSize(QSize(width, height));
    m_view->resize(width, height);

    installPanelViews(*m_view->engine(), backends);
    m_view->setInitialProperties({{QStringLiteral("panelModel"), QVariant::fromValue(&model)}});
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/Panel/HistoryView.qml")));

    m_deactivationCheck = new QTimer(this);
    m_deactivationCheck->setInterval(deactivationPollMs);
    connect(m_deactivationCheck, &QTimer::timeout, this, &HistoryPanel::checkDeactivation);

    m_view->installEventFilter(this);
    connect(m_view.get(), &QWindow::activeChanged, this, &HistoryPanel::onActiveChanged);
    // The keyboard may go from one of the panel's own popups to another application.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focus) {
        if (!focus)
            onActiveChanged();
    });
    const auto moved = [this] {
        if (onMoved && m_view->isVisible())
            onMoved();
    };
    connect(m_view.get(), &QWindow::xChanged, this, moved);
    connect(m_view.get(), &QWindow::yChanged, this, moved);
}

HistoryPanel::~HistoryPanel() = default;

bool HistoryPanel::isReady() const
{
    return m_view->status() == QQuickView::Ready;
}

void HistoryPanel::warmUp()
{
    if (isReady() && !m_view->isVisible())
        m_view->grabWindow();
}

bool HistoryPanel::isVisible() const
{
    return m_view->isVisible();
}

QRectF HistoryPanel::frame() const
{
    return m_desktopSpace().fromTopDown(QRectF(m_view->geometry()));
}

void HistoryPanel::setFrame(const QRectF &frame)
{
    m_view->setGeometry(m_desktopSpace().toTopDown(frame).toRect());
}

void HistoryPanel::show()
{
    // Window managers drop a window's states when it is hidden: they are set before every
    // showing (on a panel that is already up they stay as they are).
    m_view->create();
    if (!m_view->isVisible())
        m_system.preparePanelWindow(m_view->winId());
    m_keys.refresh();
    // Showing a panel that is already up keeps whether it has the keyboard.
    m_activeSinceShow = m_view->isVisible() && m_view->isActive();
    m_view->show();
    m_view->raise();
    m_view->requestActivate();
    m_system.activate(m_view->winId());
    // A click in another application closes the panel even when that application does not take
    // the keyboard from it.
    m_system.watchClicksElsewhere(m_view->winId(), [this] {
        if (m_view->isVisible() && onDeactivated)
            onDeactivated();
    });
}

void HistoryPanel::hide()
{
    m_system.stopWatchingClicks();
    m_deactivationCheck->stop();
    m_view->hide();
}

bool HistoryPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view.get() && event->type() == QEvent::KeyPress && onKey) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (const auto key =
                m_keys.translate(keyEvent->nativeScanCode(), keyEvent->nativeModifiers())) {
            if (onKey(*key))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void HistoryPanel::onActiveChanged()
{
    if (!m_view->isVisible())
        return;
    if (m_view->isActive()) {
        m_activeSinceShow = true;
        return;
    }
    // Only a panel that had the keyboard can lose it: the report of an earlier opening's
    // closing may arrive after the panel was shown again.
    if (!m_activeSinceShow)
        return;
    // Checked once the focus has settled, the pointer buttons are up and the keyboard focus has
    // left the program's windows: a popup menu of the panel's own (a card's context menu) takes
    // the focus without the user leaving the panel, and the window manager holds the keyboard
    // while the user drags the panel by its header; a click in another window is over once its
    // button is released.
    m_deactivationCheck->start();
}

void HistoryPanel::checkDeactivation()
{
    if (!m_view->isVisible() || m_view->isActive() || QGuiApplication::focusWindow()) {
        m_deactivationCheck->stop();
        return;
    }
    // Asked again at the next tick while a button is held or while the window manager only
    // holds the keyboard: it gives it back once a move ends, a little after the button is up.
    if (m_system.isPointerButtonDown() || m_system.isFocusOnOwnWindow(m_view->winId()))
        return;
    m_deactivationCheck->stop();
    if (onDeactivated)
        onDeactivated();
}

} // namespace tessaly
