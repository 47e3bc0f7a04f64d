#pragma once

#include "platform/Workspace.h"

#include <mutex>

namespace tessaly::test {

// A desktop whose frontmost application the test sets. Safe to ask from any thread.
class FakeWorkspace : public Workspace
{
public:
    void setFrontmost(std::optional<RunningApplication> application)
    {
        std::lock_guard lock(m_mutex);
        m_frontmost = std::move(application);
    }

    // Sets an application by id and name (either may be empty for "absent").
    void setFrontmost(const QString &bundleID, const QString &name, qint64 processID = 4242)
    {
        RunningApplication application;
        if (!bundleID.isEmpty())
            application.bundleID = bundleID;
        if (!name.isEmpty())
            application.localizedName = name;
        application.processID = processID;
        setFrontmost(application);
    }

    int queries() const
    {
        std::lock_guard lock(m_mutex);
        return m_queries;
    }

    std::optional<RunningApplication> frontmostApplication() override
    {
        std::lock_guard lock(m_mutex);
        ++m_queries;
        return m_frontmost;
    }

private:
    mutable std::mutex m_mutex;
    std::optional<RunningApplication> m_frontmost;
    int m_queries = 0;
};

} // namespace tessaly::test
