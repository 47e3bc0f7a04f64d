#pragma once

#include "platform/Workspace.h"

#include <QJsonObject>
#include <QRect>

#include <functional>
#include <memory>

namespace tessaly {
class DesktopEntries;
}

namespace tessaly::sway {

class SwayIpc;

// The windows of a sway session, native and XWayland alike, from sway's tree: the focused
// window is the frontmost application, a window is activated by focusing it. windowID is sway's
// container id.
class SwayWorkspace : public Workspace
{
public:
    SwayWorkspace(std::shared_ptr<const SwayIpc> ipc, const QString &ownID, const QString &ownName,
                  DesktopEntries *entries = nullptr);

    std::optional<RunningApplication> frontmostApplication() override;
    bool activate(const RunningApplication &application) override;
    bool isActive(const RunningApplication &application) override;
    bool isTerminated(const RunningApplication &application) override;

    // The focused window in a tree: its container, absent when no window has the focus.
    static std::optional<QJsonObject> focusedWindow(const QJsonObject &tree);
    // The first window of a tree that `matches`.
    static std::optional<QJsonObject>
    findWindow(const QJsonObject &tree, const std::function<bool(const QJsonObject &)> &matches);
    // The window's content on the screen (layout coordinates).
    static QRect contentRect(const QJsonObject &window);
    // The application of a window of the tree, as the desktop entries know it.
    RunningApplication applicationOf(const QJsonObject &window);

private:
    std::shared_ptr<const SwayIpc> m_ipc;
    QString m_ownID;
    QString m_ownName;
    DesktopEntries *m_entries;
};

} // namespace tessaly::sway
