#pragma once

#include <QString>

namespace tessaly {

// Whether this program may read the clipboard. Desktop Linux has no per-application clipboard
// privacy setting, so reading is always allowed; the state is kept so that the settings window
// and the status menu can ask the same question on every system.
class PasteboardAccess
{
public:
    enum class State
    {
        Allowed,
        Asks,
        Denied
    };

    // Derived on every call.
    static State currentState();
    // One line for the launch log: "accessBehavior=n/a" where the system has no such setting.
    static QString debugDescription();
    // Opens the system's clipboard privacy settings. There is no such page on this system (and
    // the state never says reading is restricted, so nothing offers it): answers false.
    static bool openSettings();
};

} // namespace tessaly
