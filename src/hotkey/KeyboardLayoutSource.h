#pragma once

#include <QString>

#include <array>
#include <memory>

namespace tessaly {

// What each stored key position 0–127 types on a keyboard layout with no modifier held, exactly
// as the layout produces it; an empty text where the key types nothing.
using LayoutOutputs = std::array<QString, 128>;

// Where KeyboardLayout reads the current keyboard layout from.
class KeyboardLayoutSource
{
public:
    virtual ~KeyboardLayoutSource() = default;

    // The layout that can type ASCII letters and is in force at the moment of the call (a
    // layout switch is seen by the very next call); null when no layout can be read.
    virtual std::shared_ptr<const LayoutOutputs> currentLayout() = 0;
};

} // namespace tessaly
