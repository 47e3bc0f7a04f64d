#pragma once

#include "panel/CaretSource.h"

#include <memory>

namespace tessaly::sway {

class SwayIpc;

// The text cursor in a sway session. A native Wayland application does not know where its
// window is, so the accessibility bus gives its caret relative to the window: the window's place
// in sway's tree is added. An XWayland application's caret is on the screen already.
class SwayCaretSource : public CaretSource
{
public:
    SwayCaretSource(std::unique_ptr<CaretSource> accessibility, std::shared_ptr<const SwayIpc> ipc);
    ~SwayCaretSource() override;

    std::optional<QRectF> focusedCaretRect() override;

private:
    std::unique_ptr<CaretSource> m_accessibility;
    std::shared_ptr<const SwayIpc> m_ipc;
};

} // namespace tessaly::sway
