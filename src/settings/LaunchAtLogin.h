#pragma once

#include <QString>

namespace tessaly {

// Starting the program when the user logs in. The system keeps the registration; nothing is
// stored by the program.
class LaunchAtLogin
{
public:
    // The values match the settings window's reading of the login item's state.
    enum class Status
    {
        NotRegistered = 0,
        Enabled = 1,
        RequiresApproval = 2,
        NotFound = 3,
    };

    virtual ~LaunchAtLogin() = default;

    virtual Status status() const = 0;
    // Registers (true) or unregisters (false) the program. On refusal answers false and puts
    // the system's description of the failure in errorDescription (when given).
    virtual bool setEnabled(bool enabled, QString *errorDescription = nullptr) = 0;
};

} // namespace tessaly
