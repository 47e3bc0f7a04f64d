#pragma once

#include "history/ClipRecords.h"

namespace tessaly {

// What the panel's view and cards ask of the panel controller, its only implementer. The model
// keeps a weak reference to it.
class PanelActions
{
public:
    virtual ~PanelActions() = default;

    // Hides the panel and pastes the entry into the application that was in front when the
    // panel opened; plainText pastes only its plain text.
    virtual void paste(const ClipItem &item, bool plainText) = 0;
    // Flips the entry's pinned state.
    virtual void togglePin(const ClipItem &item) = 0;
    // Removes the entry from the history.
    virtual void remove(const ClipItem &item) = 0;
    // Clears the history, keeping pinned entries.
    virtual void clearAll() = 0;
    // Asks for the right to synthesise input and opens the matching settings.
    virtual void requestAccessibility() = 0;
    // Hides the panel and opens the settings window.
    virtual void openSettings() = 0;
};

} // namespace tessaly
