#pragma once

#include "fakes/FakeCardBackends.h"
#include "fakes/FakePanelModel.h"

#include <QQuickItem>
#include <QQuickView>

#include <memory>

namespace tessaly::test {

// The history view loaded on a fake panel model and fake card backends, in a 400 × 560 window
// (offscreen in unit tests, on a private X server in end-to-end tests).
class PanelViewHarness
{
public:
    PanelViewHarness();
    ~PanelViewHarness();

    // Loads HistoryView; answers false (with the QML errors printed) when it cannot. The cards'
    // desktop actions go to `desktop` when given, else to the fake `workspace`.
    bool load(Qt::WindowFlags flags = Qt::Window, CardWorkspace *desktop = nullptr);
    // Shows the window and waits until it is exposed.
    bool show();

    QQuickView &view() { return *m_view; }
    QQuickItem *root() const { return m_view->rootObject(); }

    // The first / every visible item with that objectName in the visual tree under `from`
    // (the root when absent).
    QQuickItem *find(const QString &objectName, QQuickItem *from = nullptr) const;
    QList<QQuickItem *> findAll(const QString &objectName, QQuickItem *from = nullptr) const;
    // The card of the visible list at `row` (created by the list), or nullptr.
    QQuickItem *card(int row) const;
    // The texts of the items with that objectName under `from`.
    QStringList texts(const QString &objectName, QQuickItem *from = nullptr) const;

    // Runs the event loop until the scene is polished and rendered.
    void settle();

    FakePanelModel model;
    FakeCardFormatting formatting;
    FakeCardImageSource images;
    FakeCardWorkspace workspace;

private:
    std::unique_ptr<QQuickView> m_view;
};

// Whether an item and all its ancestors are visible.
bool isShown(const QQuickItem *item);

} // namespace tessaly::test
