#pragma once

#include <QString>

#include <memory>

namespace tessaly {

class AccessibilityPermission;
class ApplicationDirectory;
class CardWorkspace;
class CaretSource;
class HotKeyService;
class KeySynth;
class KeyTranslator;
class KeyboardLayoutSource;
class LaunchAtLogin;
class PanelWindowSystem;
class Pasteboard;
class Screens;
class Workspace;

// The services a desktop session supplies, each behind the interface of the subsystem that uses
// it, created together for the session the program runs in. The program owns them for its
// whole life; nothing above this seam names a session's own classes.
struct Platform
{
    Platform();
    ~Platform();
    Platform(Platform &&) noexcept;
    Platform &operator=(Platform &&) noexcept;

    // The session's name ("X11", "Wayland").
    QString sessionName;
    // A line for the launch output about how the session is met, or empty.
    QString note;

    // The clipboard and the applications on the desktop.
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<Workspace> workspace;
    // The keyboard: the hot key, the names of keys in the current layout, the panel's keys and
    // the paste keystroke.
    std::unique_ptr<HotKeyService> hotKeys;
    std::shared_ptr<KeyboardLayoutSource> keyboardLayout;
    std::unique_ptr<KeyTranslator> keys;
    std::unique_ptr<KeySynth> keySynth;
    // The panel's window and its place next to the text cursor.
    std::unique_ptr<PanelWindowSystem> panelWindowSystem;
    std::unique_ptr<Screens> screens;
    std::unique_ptr<CaretSource> caretSource;
    std::unique_ptr<AccessibilityPermission> accessibility;
    // What the cards show and open, and the start at login.
    std::unique_ptr<ApplicationDirectory> applications;
    std::unique_ptr<CardWorkspace> cardWorkspace;
    std::unique_ptr<LaunchAtLogin> launchAtLogin;
};

// How the program meets the desktop session in its environment, decided before the application
// object exists.
struct SessionChoice
{
    // Whether a session the program can work with is in reach.
    bool reachable = false;
};

// Tells Qt the platform the session's backend needs (QT_QPA_PLATFORM, unless the user set it):
// in a Wayland session the program's windows go through its XWayland server.
SessionChoice chooseSession();

// The platform of the session the program was started in, for an application with this id
// and name (its own windows are recognised by them). In a Wayland session whose compositor
// offers data-control, the clipboard is the compositor's own (native applications' copies
// reach XWayland only while one of its windows has the keyboard); the rest goes through
// XWayland. Absent, with the reason in `failure`, when
// the session offers no clipboard the program can watch.
std::unique_ptr<Platform> createPlatform(const QString &ownBundleID, const QString &ownName,
                                         QString *failure);

} // namespace tessaly
