#include "platform/sway/SwayCaretSource.h"

#include "platform/sway/SwayIpc.h"
#include "platform/sway/SwayWorkspace.h"

namespace tessaly::sway {

SwayCaretSource::SwayCaretSource(std::unique_ptr<CaretSource> accessibility,
                                 std::shared_ptr<const SwayIpc> ipc)
    : m_accessibility(std::move(accessibility)), m_ipc(std::move(ipc))
{}

SwayCaretSource::~SwayCaretSource() = default;

std::optional<QRectF> SwayCaretSource::focusedCaretRect()
{
    std::optional<QRectF> caret = m_accessibility->focusedCaretRect();
    if (!caret)
        return std::nullopt;
    const auto tree = m_ipc->tree();
    const auto window = tree ? SwayWorkspace::focusedWindow(*tree) : std::nullopt;
    if (!window)
        return std::nullopt; // no window to place it in
    if (window->value(QStringLiteral("shell")).toString() != QStringLiteral("xwayland"))
        caret->translate(SwayWorkspace::contentRect(*window).topLeft());
    return caret;
}

} // namespace tessaly::sway
