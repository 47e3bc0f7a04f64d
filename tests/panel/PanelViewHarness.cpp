#include "panel/PanelViewHarness.h"

#include "panel/PanelViews.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <iostream>

namespace tessaly::test {

namespace {

void collect(QQuickItem *item, const QString &objectName, QList<QQuickItem *> &found)
{
    if (!item)
        return;
    if (item->objectName() == objectName)
        found.append(item);
    for (QQuickItem *child : item->childItems())
        collect(child, objectName, found);
}

} // namespace

bool isShown(const QQuickItem *item)
{
    for (; item; item = item->parentItem()) {
        if (!item->isVisible())
            return false;
    }
    return true;
}

PanelViewHarness::PanelViewHarness() = default;

PanelViewHarness::~PanelViewHarness() = default;

bool PanelViewHarness::load(Qt::WindowFlags flags, CardWorkspace *desktop)
{
    m_view = std::make_unique<QQuickView>();
    m_view->setFlags(flags);
    m_view->setColor(Qt::transparent);
    installPanelViews(*m_view->engine(), {&formatting, &images, desktop ? desktop : &workspace});
    m_view->setInitialProperties({{QStringLiteral("panelModel"), QVariant::fromValue(&model)}});
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->resize(400, 560);
    m_view->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/Panel/HistoryView.qml")));
    if (m_view->status() != QQuickView::Ready) {
        for (const QQmlError &error : m_view->errors())
            std::cerr << error.toString().toStdString() << '\n';
        return false;
    }
    return true;
}

bool PanelViewHarness::show()
{
    m_view->show();
    const bool exposed = QTest::qWaitForWindowExposed(m_view.get(), 10000);
    settle();
    return exposed;
}

QQuickItem *PanelViewHarness::find(const QString &objectName, QQuickItem *from) const
{
    const QList<QQuickItem *> all = findAll(objectName, from);
    for (QQuickItem *item : all) {
        if (isShown(item))
            return item;
    }
    return all.value(0);
}

QList<QQuickItem *> PanelViewHarness::findAll(const QString &objectName, QQuickItem *from) const
{
    QList<QQuickItem *> found;
    collect(from ? from : root(), objectName, found);
    return found;
}

QQuickItem *PanelViewHarness::card(int row) const
{
    QQuickItem *list = find(QStringLiteral("historyList"));
    if (!list)
        return nullptr;
    QQuickItem *item = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, item),
                              Q_ARG(int, row));
    return item;
}

QStringList PanelViewHarness::texts(const QString &objectName, QQuickItem *from) const
{
    QStringList result;
    for (QQuickItem *item : findAll(objectName, from)) {
        if (isShown(item))
            result.append(item->property("text").toString());
    }
    return result;
}

void PanelViewHarness::settle()
{
    // The queued work first, then the layout it asked for.
    QCoreApplication::processEvents();
    if (m_view && m_view->isExposed())
        QQuickTest::qWaitForPolish(m_view.get());
    QCoreApplication::processEvents();
}

} // namespace tessaly::test
