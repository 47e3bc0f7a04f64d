#pragma once

#include "panel/KeyTranslator.h"
#include "panel/PanelWindowSystem.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;

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
// activation through the window manager, whether a compositor runs (_NET_WM_CM_S0), and the
// pointer's clicks anywhere on the screen (XInput 2 raw button events on the root window, which
// reach every client that asks, without a grab).
class X11PanelWindowSystem : public PanelWindowSystem
{
public:
    explicit X11PanelWindowSystem(const QByteArray &display = {});
    ~X11PanelWindowSystem() override;

    bool hasCompositor() const override;
    void preparePanelWindow(quintptr windowId) override;
    void activate(quintptr windowId) override;
    bool isPointerButtonDown() const override;
    bool isFocusOnOwnWindow(quintptr ownWindowId) const override;
    void watchClicksElsewhere(quintptr ownWindowId, std::function<void()> onClick) override;
    void stopWatchingClicks() override;

private:
    bool openClickConnection();
    void selectClicks(bool on);
    void readClicks();
    bool isPointerOverOwnWindow();

    std::unique_ptr<Connection> m_connection;
    // The clicks' own connection: its events are read whenever they arrive.
    std::unique_ptr<Connection> m_clicks;
    std::unique_ptr<QSocketNotifier> m_clickNotifier;
    bool m_clicksTried = false;
    uint8_t m_inputOpcode = 0;
    bool m_watching = false;
    quintptr m_ownWindow = 0;
    std::function<void()> m_onClick;
};

} // namespace tessaly::x11
