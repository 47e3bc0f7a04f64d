#pragma once

class QQmlEngine;

namespace tessaly {

class CardFormatting;
class CardImageSource;
class CardWorkspace;

// What the panel's views need from the rest of the program. Each backend stays owned by the
// caller and must outlive the engine; one left null makes the cards go without it (no ages
// beyond "agora" and no details, no pictures, no desktop actions).
struct PanelViewBackends
{
    const CardFormatting *formatting = nullptr;
    CardImageSource *images = nullptr;
    CardWorkspace *workspace = nullptr;
};

// Makes the QML modules Tessaly.Theme, Tessaly.Cards and Tessaly.Panel available to `engine`
// with these backends: registers their types, adds the modules' import path and the card image
// provider, and selects the Fusion style of Qt Quick Controls (for the whole process, before any
// control is loaded). Then `import Tessaly.Panel` gives HistoryView and its companions, `import
// Tessaly.Cards` the cards.
void installPanelViews(QQmlEngine &engine, const PanelViewBackends &backends);

} // namespace tessaly
