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

// Makes the QML module Tessaly.Panel available to `engine` with these backends: registers its
// types, adds the module's import path and the card image provider, and selects the Fusion
// style of Qt Quick Controls (for the whole process, before any control is loaded). Then
// `import Tessaly.Panel` gives HistoryView, ClipCard, ClipContent and their companions.
void installPanelViews(QQmlEngine &engine, const PanelViewBackends &backends);

} // namespace tessaly
