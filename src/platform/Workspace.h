#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tessaly {

// An application with a window on the desktop.
struct RunningApplication
{
    // The application's identifier: its desktop-entry id, or its window class when it has no
    // entry. This program's own windows carry its own id.
    std::optional<QString> bundleID;
    // The name the desktop shows for it.
    std::optional<QString> localizedName;
    qint64 processID = 0;
    // The window that has the focus (0 when there is none to speak of).
    quint32 windowID = 0;
    // Its desktop entry calls it a terminal emulator.
    bool terminalEmulator = false;

    friend bool operator==(const RunningApplication &, const RunningApplication &) = default;
};

// The desktop's applications and windows. Its operations may be called from any thread.
class Workspace
{
public:
    virtual ~Workspace() = default;

    // The application whose window is active; absent when no window is.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;

    // Asks the desktop to make the application's window active. Answers false when the window
    // is gone. Activation takes effect a moment later: isActive() tells when it has.
    virtual bool activate(const RunningApplication &application) = 0;
    // Whether the application's window is the active one (holds the keyboard focus).
    virtual bool isActive(const RunningApplication &application) = 0;
    // Whether the application's window is gone (the application quit or closed it).
    virtual bool isTerminated(const RunningApplication &application) = 0;
};

} // namespace tessaly
