#pragma once

#include <QStringList>

namespace tessaly::IconTheme {

// Makes QIcon::fromTheme() find the desktop's icons when no desktop environment told Qt which
// theme to use (a bare window manager, a test display): the XDG icon directories become the
// theme search paths, the first installed of the common full-colour themes becomes the theme,
// hicolor its fallback, and the pixmaps directories the search paths for unthemed icons.
// Keeps what a desktop did set. Runs once; needs a QGuiApplication.
void ensureConfigured();

// The XDG icon directories: $XDG_DATA_HOME/icons, ~/.icons, then each $XDG_DATA_DIRS/icons.
QStringList themeDirectories();
// Each $XDG_DATA_DIRS/pixmaps (and $XDG_DATA_HOME's).
QStringList pixmapDirectories();

} // namespace tessaly::IconTheme
