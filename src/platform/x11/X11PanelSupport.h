#pragma once

#include "panel/HistoryPanel.h"
#include "panel/PanelKey.h"

#include <QByteArray>

#include <memory>

namespace tessaly::x11 {

class Connection;
class X11Keymap;

// Key events of Qt's X11 windows as the panel reads them: the X11 keycode back to its stored
// key position, the modifier state to modifier flags, and what the key types unshifted in the
// current layout.
class X11KeyTranslator : public KeyTranslator
{
public:
    explicit X11KeyTranslator(const QByteArray &display = {});
    ~X11KeyTranslator() override;

    void refresh() override;
    std::optional<PanelKey> translate(quint32 nativeScanCode,
                                      quint32 nativeModifiers) const override;

private:
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<X11Keymap> m_keymap;
};

// The panel window's place among the desktop's windows: EWMH states set before it is mapped,
// activation through the window manager, and whether a compositor runs (_NET_WM_CM_S0).
class X11PanelWindowSystem : public PanelWindowSystem
{
public:
    explicit X11PanelWindowSystem(const QByteArray &display = {});
    ~X11PanelWindowSystem() override;

    bool hasCompositor() const override;
    void preparePanelWindow(quintptr windowId) override;
    void activate(quintptr windowId) override;
    bool isPointerButtonDown() const override;

private:
    std::unique_ptr<Connection> m_connection;
};

} // namespace tessaly::x11
