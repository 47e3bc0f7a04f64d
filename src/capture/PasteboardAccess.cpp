#include "capture/PasteboardAccess.h"

namespace tessaly {

PasteboardAccess::State PasteboardAccess::currentState()
{
    return State::Allowed;
}

QString PasteboardAccess::debugDescription()
{
    return QStringLiteral("accessBehavior=n/a");
}

bool PasteboardAccess::openSettings()
{
    return false;
}

} // namespace tessaly
