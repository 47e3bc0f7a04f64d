#include "platform/Platform.h"

#include "capture/Pasteboard.h"
#include "hotkey/HotKeyService.h"
#include "hotkey/KeyboardLayoutSource.h"
#include "panel/CaretSource.h"
#include "panel/KeySynth.h"
#include "panel/KeyTranslator.h"
#include "panel/PanelWindowSystem.h"
#include "panel/Screens.h"
#include "panel/cards/ApplicationDirectory.h"
#include "panel/cards/CardWorkspace.h"
#include "platform/Workspace.h"
#include "platform/atspi/AtSpiCaretSource.h"
#include "platform/gnome/GnomeHotKeyService.h"
#include "platform/kde/KGlobalAccelHotKeyService.h"
#include "platform/kde/KWinWorkspace.h"
#include "platform/portal/RemoteDesktopPortal.h"
#include "platform/sway/SwayCaretSource.h"
#include "platform/sway/SwayHotKeyService.h"
#include "platform/sway/SwayIpc.h"
#include "platform/sway/SwayPanelWindowSystem.h"
#include "platform/sway/SwayWorkspace.h"
#include "platform/wayland/KWinFakeInput.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandPasteboard.h"
#include "platform/x11/X11AccessibilityPermission.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11KeySynth.h"
#include "platform/x11/X11KeyboardLayoutSource.h"
#include "platform/x11/X11PanelSupport.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Workspace.h"
#include "platform/x11/XcbConnection.h"
#include "platform/xdg/XdgApplicationDirectory.h"
#include "platform/xdg/XdgAutostart.h"
#include "platform/xdg/XdgCardWorkspace.h"
#include "settings/AccessibilityPermission.h"
#include "settings/LaunchAtLogin.h"

#include <QCoreApplication>

namespace tessaly {

Platform::Platform() = default;
Platform::~Platform() = default;
Platform::Platform(Platform &&) noexcept = default;
Platform &Platform::operator=(Platform &&) noexcept = default;

namespace {

// What every Linux desktop shares, whatever its display server: desktop entries, the file
// manager, autostart and the accessibility bus.
void addFreedesktopServices(Platform &platform)
{
    platform.applications = std::make_unique<XdgApplicationDirectory>();
    platform.cardWorkspace = std::make_unique<XdgCardWorkspace>();
    platform.launchAtLogin = std::make_unique<XdgAutostart>();
    auto caret =
        std::make_unique<AtSpiCaretSource>(AtSpiCaretSource::frontProcessOf(*platform.workspace));
    caret->startTracking();
    platform.caretSource = std::move(caret);
}

// The shell command that toggles the running program's panel (or starts the program), for the
// compositors that run a command for a hot key.
QString toggleCommand()
{
    return sway::SwayHotKeyService::commandFor(QCoreApplication::applicationFilePath(),
                                               QStringLiteral("--toggle"));
}

// In a Wayland session the right to synthesise input is the compositor's: whether it gave the
// program a keyboard. Asking for it still turns the accessibility bus on, for the caret.
class CompositorInputPermission : public X11AccessibilityPermission
{
public:
    explicit CompositorInputPermission(const KeySynth &synth) : m_synth(synth) {}
    bool isTrusted() const override { return m_synth.isAvailable(); }

private:
    const KeySynth &m_synth;
};

// In a sway session the compositor, not XWayland, knows every window and every key: the hot key
// is a sway binding, the frontmost application sway's focused window (native or not), and the
// paste keystroke comes from a virtual keyboard (else XTest, which reaches XWayland's windows
// only). Adds to the launch output what it says of them; answers sway's socket, absent when sway
// was not reached.
std::shared_ptr<const sway::SwayIpc> addSwayServices(Platform &platform, const QString &ownBundleID,
                                                     const QString &ownName)
{
    auto ipc = std::make_shared<const sway::SwayIpc>();
    if (!ipc->isReachable())
        return nullptr;
    platform.workspace = std::make_unique<sway::SwayWorkspace>(ipc, ownBundleID, ownName);
    platform.hotKeys = std::make_unique<sway::SwayHotKeyService>(ipc, toggleCommand());
    // Without a virtual keyboard the chosen entry is only copied, and the panel says why: XTest
    // would reach XWayland's windows alone.
    auto keyboard = std::make_unique<wayland::VirtualKeyboard>();
    platform.note += keyboard->isAvailable()
                         ? QStringLiteral(" Atalho, colagem e janela ativa pelo sway.")
                         : QStringLiteral(" Atalho e janela ativa pelo sway; sem teclado virtual, "
                                          "o item escolhido só é copiado.");
    platform.accessibility = std::make_unique<CompositorInputPermission>(*keyboard);
    platform.keySynth = std::move(keyboard);
    return ipc;
}

// In a KDE Plasma session KWin knows every window and every key: the hot key is a global
// shortcut of KDE's shortcut service, the frontmost application KWin's active window (reported
// by a KWin script), and the paste keystroke goes through KWin's fake input (offered to the
// installed program only). Adds to the launch output what it says of them; answers the
// workspace, null when KWin was not reached.
kde::KWinWorkspace *addKWinServices(Platform &platform, const QString &ownBundleID,
                                    const QString &ownName)
{
    if (!kde::KWinWorkspace::isAvailable())
        return nullptr;
    auto workspace = std::make_unique<kde::KWinWorkspace>(ownBundleID, ownName);
    if (!workspace->isValid())
        return nullptr;
    kde::KWinWorkspace *kwin = workspace.get();
    platform.workspace = std::move(workspace);
    const bool hotKey = kde::KGlobalAccelHotKeyService::isAvailable();
    if (hotKey)
        platform.hotKeys = std::make_unique<kde::KGlobalAccelHotKeyService>(ownBundleID, ownName);
    // Without fake input (a program not installed with its desktop entry) the chosen entry is
    // only copied, and the panel says why.
    auto fakeInput = std::make_unique<wayland::KWinFakeInput>();
    const bool paste = fakeInput->isAvailable();
    platform.accessibility = std::make_unique<CompositorInputPermission>(*fakeInput);
    platform.keySynth = std::move(fakeInput);
    const QString withoutPaste = QStringLiteral("; sem a entrada simulada do KWin, o item "
                                                "escolhido só é copiado.");
    if (hotKey && paste)
        platform.note += QStringLiteral(" Atalho, colagem e janela ativa pelo KWin.");
    else if (hotKey)
        platform.note += QStringLiteral(" Atalho e janela ativa pelo KWin") + withoutPaste;
    else if (paste)
        platform.note += QStringLiteral(" Colagem e janela ativa pelo KWin.");
    else
        platform.note += QStringLiteral(" Janela ativa pelo KWin") + withoutPaste;
    return kwin;
}

// In a GNOME session on Wayland the windows, the paste keystroke and the frontmost application
// are XWayland's (GNOME tells clients nothing of its native windows), but the hot key is a custom
// keybinding of GNOME's keyboard settings, which works whatever window has the keyboard.
bool addGnomeServices(Platform &platform)
{
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    if (!desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive) ||
        !gnome::GnomeHotKeyService::isAvailable())
        return false;
    platform.hotKeys = std::make_unique<gnome::GnomeHotKeyService>(toggleCommand());
    platform.note += QStringLiteral(" Atalho pelas configurações de teclado do GNOME.");
    return true;
}

// The right to synthesise input through the desktop portal: granted by the user when the portal
// asks, which the program's request starts.
class PortalInputPermission : public X11AccessibilityPermission
{
public:
    explicit PortalInputPermission(portal::RemoteDesktopPortal &portal) : m_portal(portal) {}
    bool isTrusted() const override { return m_portal.isAvailable(); }
    void request() override
    {
        X11AccessibilityPermission::request();
        m_portal.start();
    }

private:
    portal::RemoteDesktopPortal &m_portal;
};

// Elsewhere on Wayland (GNOME), the paste keystroke goes through the desktop portal's remote
// desktop, which reaches native applications too, once the user has agreed.
bool addPortalServices(Platform &platform)
{
    if (!portal::RemoteDesktopPortal::isOffered())
        return false;
    auto portal = std::make_unique<portal::RemoteDesktopPortal>();
    platform.accessibility = std::make_unique<PortalInputPermission>(*portal);
    platform.keySynth = std::move(portal);
    platform.note += QStringLiteral(" Colagem pelo portal da área de trabalho (o Tessaly pede "
                                    "permissão na primeira colagem).");
    return true;
}

std::unique_ptr<Platform> createX11Platform(const QString &ownBundleID, const QString &ownName,
                                            QString *failure)
{
    std::unique_ptr<Pasteboard> pasteboard;
    QString note;
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland) {
        const QString display = qEnvironmentVariable("DISPLAY");
        auto wayland = std::make_unique<WaylandPasteboard>();
        if (wayland->isValid()) {
            note = QStringLiteral("Tessaly: sessão Wayland — área de transferência por %1; "
                                  "janelas pelo XWayland (DISPLAY=%2).")
                       .arg(wayland->protocolName(), display);
            pasteboard = std::move(wayland);
        } else {
            note = QStringLiteral("Tessaly: sessão Wayland — o Tessaly usa o XWayland "
                                  "(DISPLAY=%1).")
                       .arg(display);
        }
    }
    if (!pasteboard) {
        auto x11 = std::make_unique<X11Pasteboard>();
        if (x11->isValid())
            pasteboard = std::move(x11);
    }
    auto workspace = std::make_unique<X11Workspace>(ownBundleID, ownName);
    if (!pasteboard || !workspace->isValid()) {
        if (failure) {
            *failure = QStringLiteral("sem acesso à área de transferência do X11 (DISPLAY=%1)")
                           .arg(qEnvironmentVariable("DISPLAY"));
        }
        return nullptr;
    }
    auto platform = std::make_unique<Platform>();
    platform->sessionName = note.isEmpty() ? QStringLiteral("X11") : QStringLiteral("Wayland");
    platform->note = note;
    platform->pasteboard = std::move(pasteboard);
    platform->workspace = std::move(workspace);
    platform->hotKeys = std::make_unique<x11::X11HotKeyService>();
    platform->keyboardLayout = std::make_shared<x11::X11KeyboardLayoutSource>();
    platform->keys = std::make_unique<x11::X11KeyTranslator>();
    platform->keySynth = std::make_unique<x11::X11KeySynth>();
    platform->panelWindowSystem = std::make_unique<x11::X11PanelWindowSystem>();
    platform->screens = std::make_unique<X11Screens>();
    platform->accessibility = std::make_unique<X11AccessibilityPermission>();
    const auto sway = wayland ? addSwayServices(*platform, ownBundleID, ownName) : nullptr;
    kde::KWinWorkspace *kwin =
        wayland && !sway ? addKWinServices(*platform, ownBundleID, ownName) : nullptr;
    if (wayland && !sway && !kwin) {
        addGnomeServices(*platform);
        addPortalServices(*platform);
    }
    addFreedesktopServices(*platform);
    // The caret read over the accessibility bus is placed in its window; the panel is moved by
    // sway.
    if (sway) {
        platform->caretSource =
            std::make_unique<sway::SwayCaretSource>(std::move(platform->caretSource), sway);
        platform->panelWindowSystem = std::make_unique<sway::SwayPanelWindowSystem>(
            std::move(platform->panelWindowSystem), sway);
    }
    if (kwin) {
        platform->caretSource =
            std::make_unique<kde::KWinCaretSource>(std::move(platform->caretSource), *kwin);
        platform->panelWindowSystem = std::make_unique<kde::KWinPanelWindowSystem>(
            std::move(platform->panelWindowSystem), *kwin);
    }
    return platform;
}

} // namespace

SessionChoice chooseSession()
{
    SessionChoice choice;
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (!chosen.isEmpty() && !chosen.startsWith("xcb")) {
        choice.reachable = true; // the user chose another platform: Qt's business
        return choice;
    }
    // Qt would open its windows as Wayland surfaces, which the X11 backend cannot place, raise
    // or watch: every window goes through XWayland instead.
    if (chosen.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    choice.reachable = x11::Connection().isValid();
    return choice;
}

std::unique_ptr<Platform> createPlatform(const QString &ownBundleID, const QString &ownName,
                                         QString *failure)
{
    // The windows, the keyboard and the applications through X11 (XWayland's included).
    return createX11Platform(ownBundleID, ownName, failure);
}

} // namespace tessaly
