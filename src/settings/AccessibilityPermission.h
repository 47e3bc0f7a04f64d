#pragma once

namespace tessaly {

// The right to synthesise input (the paste keystroke) and to read the text caret of other
// applications. Nothing is remembered: every answer is asked of the system when it is needed.
class AccessibilityPermission
{
public:
    virtual ~AccessibilityPermission() = default;

    // Whether the program may synthesise input now.
    virtual bool isTrusted() const = 0;
    // Asks the system for the right (first), then opens the accessibility settings.
    virtual void request() = 0;
    // Opens the desktop's accessibility settings, when the desktop has any; else nothing.
    virtual void openSettings() = 0;
};

} // namespace tessaly
