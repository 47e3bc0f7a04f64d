#include "platform/x11/X11Screens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace tessaly {

namespace {

QList<QScreen *> orderedScreens()
{
    QList<QScreen *> screens = QGuiApplication::screens();
    if (QScreen *primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    return screens;
}

// A screen's area in display pixels: Qt keeps each screen's top-left corner and divides sizes
// by its device pixel ratio.
QRectF nativeGeometry(const QScreen *screen)
{
    const QRectF logical = screen->geometry();
    return {logical.topLeft(), logical.size() * screen->devicePixelRatio()};
}

} // namespace

DesktopSpace X11Screens::desktopSpace() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return DesktopSpace(primary ? QRectF(primary->geometry()) : QRectF());
}

QList<ScreenArea> X11Screens::screens() const
{
    const DesktopSpace space = desktopSpace();
    QList<ScreenArea> areas;
    for (const QScreen *screen : orderedScreens()) {
        areas.append({space.fromTopDown(QRectF(screen->geometry())),
                      space.fromTopDown(QRectF(screen->availableGeometry()))});
    }
    return areas;
}

QPointF X11Screens::mouseLocation() const
{
    return desktopSpace().fromTopDown(QPointF(QCursor::pos()));
}

QRectF X11Screens::fromDisplayPixels(const QRectF &rect) const
{
    const QList<QScreen *> screens = orderedScreens();
    const QScreen *holder = screens.isEmpty() ? nullptr : screens.first();
    for (const QScreen *screen : screens) {
        if (nativeGeometry(screen).contains(rect.center())) {
            holder = screen;
            break;
        }
    }
    QRectF logical = rect;
    if (holder && holder->devicePixelRatio() != 1.0) {
        const double ratio = holder->devicePixelRatio();
        const QPointF origin = nativeGeometry(holder).topLeft();
        logical = QRectF(origin + (rect.topLeft() - origin) / ratio, rect.size() / ratio);
    }
    return desktopSpace().fromTopDown(logical);
}

} // namespace tessaly
