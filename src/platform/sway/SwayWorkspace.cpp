#include "platform/sway/SwayWorkspace.h"

#include "platform/sway/SwayIpc.h"
#include "platform/xdg/DesktopEntries.h"

#include <QJsonArray>

#include <functional>
#include <unistd.h>

namespace tessaly::sway {

namespace {

// Calls `visit` on every container of the tree until it answers true; answers whether one did.
bool anyNode(const QJsonObject &node, const std::function<bool(const QJsonObject &)> &visit)
{
    if (visit(node))
        return true;
    for (const char *children : {"nodes", "floating_nodes"}) {
        const QJsonArray nodes = node.value(QLatin1String(children)).toArray();
        for (const QJsonValue &child : nodes) {
            if (anyNode(child.toObject(), visit))
                return true;
        }
    }
    return false;
}

// A container that holds a window (not a workspace, an output or a split).
bool isWindow(const QJsonObject &node)
{
    return node.contains(QStringLiteral("pid")) &&
           (node.value(QStringLiteral("type")) == QStringLiteral("con") ||
            node.value(QStringLiteral("type")) == QStringLiteral("floating_con"));
}

quint32 idOf(const QJsonObject &node)
{
    return quint32(node.value(QStringLiteral("id")).toInteger());
}

} // namespace

SwayWorkspace::SwayWorkspace(std::shared_ptr<const SwayIpc> ipc, const QString &ownID,
                             const QString &ownName, DesktopEntries *entries)
    : m_ipc(std::move(ipc)), m_ownID(ownID), m_ownName(ownName),
      m_entries(entries ? entries : &DesktopEntries::shared())
{}

std::optional<QJsonObject> SwayWorkspace::focusedWindow(const QJsonObject &tree)
{
    std::optional<QJsonObject> found;
    anyNode(tree, [&](const QJsonObject &node) {
        if (!node.value(QStringLiteral("focused")).toBool())
            return false;
        if (isWindow(node))
            found = node;
        return true; // one node has the focus: a window, or a workspace with none
    });
    return found;
}

std::optional<QJsonObject>
SwayWorkspace::findWindow(const QJsonObject &tree,
                          const std::function<bool(const QJsonObject &)> &matches)
{
    std::optional<QJsonObject> found;
    anyNode(tree, [&](const QJsonObject &node) {
        if (isWindow(node) && matches(node))
            found = node;
        return found.has_value();
    });
    return found;
}

QRect SwayWorkspace::contentRect(const QJsonObject &window)
{
    const auto rectOf = [&](const char *key) {
        const QJsonObject rect = window.value(QLatin1String(key)).toObject();
        return QRect(rect.value(QStringLiteral("x")).toInt(),
                     rect.value(QStringLiteral("y")).toInt(),
                     rect.value(QStringLiteral("width")).toInt(),
                     rect.value(QStringLiteral("height")).toInt());
    };
    // window_rect is the content's place inside the container, below its title and borders.
    const QRect container = rectOf("rect");
    const QRect content = rectOf("window_rect");
    return QRect(container.topLeft() + content.topLeft(), content.size());
}

RunningApplication SwayWorkspace::applicationOf(const QJsonObject &window)
{
    RunningApplication application;
    application.windowID = idOf(window);
    application.processID = window.value(QStringLiteral("pid")).toInteger();
    if (application.processID == qint64(::getpid())) {
        application.bundleID = m_ownID;
        application.localizedName = m_ownName;
        return application;
    }

    // A native window names its application (app_id, usually its desktop entry's id); an
    // XWayland one has its X11 class.
    const QString appID = window.value(QStringLiteral("app_id")).toString();
    const QJsonObject x11 = window.value(QStringLiteral("window_properties")).toObject();
    const QString windowClass = x11.value(QStringLiteral("class")).toString();
    const QString instance = x11.value(QStringLiteral("instance")).toString();
    std::optional<DesktopEntry> entry;
    if (!appID.isEmpty()) {
        entry = m_entries->byId(appID);
        if (!entry)
            entry = m_entries->byStartupWMClass(appID);
        if (!entry)
            entry = m_entries->byFileName(appID);
    } else {
        entry = m_entries->byStartupWMClass(windowClass);
        if (!entry)
            entry = m_entries->byFileName(windowClass);
        if (!entry && !instance.isEmpty())
            entry = m_entries->byFileName(instance);
    }
    const QString id = entry ? entry->id : (appID.isEmpty() ? windowClass : appID);
    if (!id.isEmpty())
        application.bundleID = id;
    if (entry && !entry->name.isEmpty())
        application.localizedName = entry->name;
    else if (!id.isEmpty())
        application.localizedName = appID.isEmpty() ? windowClass : appID;
    application.terminalEmulator =
        entry && entry->categories.contains(QStringLiteral("TerminalEmulator"));
    return application;
}

std::optional<RunningApplication> SwayWorkspace::frontmostApplication()
{
    const auto tree = m_ipc->tree();
    if (!tree)
        return std::nullopt;
    const auto window = focusedWindow(*tree);
    if (!window)
        return std::nullopt;
    return applicationOf(*window);
}

bool SwayWorkspace::activate(const RunningApplication &application)
{
    return application.windowID != 0 &&
           m_ipc->run(QStringLiteral("[con_id=%1] focus").arg(application.windowID));
}

bool SwayWorkspace::isActive(const RunningApplication &application)
{
    const auto tree = m_ipc->tree();
    const auto window = tree ? focusedWindow(*tree) : std::nullopt;
    return window && idOf(*window) == application.windowID;
}

bool SwayWorkspace::isTerminated(const RunningApplication &application)
{
    const auto tree = m_ipc->tree();
    if (!tree)
        return false; // sway did not answer: nothing is known to be gone
    return !findWindow(*tree,
                       [&](const QJsonObject &node) { return idOf(node) == application.windowID; });
}

} // namespace tessaly::sway
