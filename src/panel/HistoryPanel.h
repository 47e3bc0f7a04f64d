#pragma once

#include "panel/DesktopSpace.h"
#include "panel/KeyTranslator.h"
#include "panel/PanelPlacement.h"
#include "panel/PanelViews.h"
#include "panel/PanelWindow.h"
#include "panel/PanelWindowSystem.h"

#include <QObject>

#include <functional>
#include <memory>

class QQuickView;
class QTimer;

namespace tessaly {

class PanelModel;

// The history panel's window: a frameless panel of the fixed size with 14-point rounded corners
// that shows the history view over the panel model. It is created once and kept hidden between
// openings. Frames are given in the desktop space of placement.
class HistoryPanel : public QObject, public PanelWindow
{
    Q_OBJECT

public:
    // The panel's size is the one placement lays out (PanelPlacement.h).
    static constexpr int width = int(panelWidth);
    static constexpr int height = int(panelHeight);
    static constexpr int cornerRadius = 14;

    HistoryPanel(PanelModel &model, const PanelViewBackends &backends, KeyTranslator &keys,
                 PanelWindowSystem &system, std::function<DesktopSpace()> desktopSpace,
                 QObject *parent = nullptr);
    ~HistoryPanel() override;

    // Whether the view loaded (a broken view leaves the panel unusable).
    bool isReady() const;
    // Builds and draws the view once off the screen, so that the first opening is as quick as
    // the later ones (run once the program is idle after its start).
    void warmUp();
    QQuickView *view() const { return m_view.get(); }

    bool isVisible() const override;
    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    void show() override;
    void hide() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onActiveChanged();
    void checkDeactivation();

    KeyTranslator &m_keys;
    PanelWindowSystem &m_system;
    std::function<DesktopSpace()> m_desktopSpace;
    std::unique_ptr<QQuickView> m_view;
    // Whether the panel has had the keyboard since it was last shown.
    bool m_activeSinceShow = false;
    // Re-checks a loss of the keyboard once the pointer buttons are up.
    QTimer *m_deactivationCheck = nullptr;
};

} // namespace tessaly
