#pragma once

#include <QList>
#include <QUrl>

namespace tessaly {

// What a clip card asks of the desktop directly, without going through the panel.
class CardWorkspace
{
public:
    virtual ~CardWorkspace() = default;

    // Shows the files in the file manager, selected.
    virtual void revealFiles(const QList<QUrl> &files) = 0;
    // Opens a link in its default application.
    virtual void openUrl(const QUrl &url) = 0;
};

} // namespace tessaly
