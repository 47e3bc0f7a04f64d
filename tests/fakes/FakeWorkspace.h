#pragma once

#include "platform/Workspace.h"

#include <QList>

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

    // Activation: the activated application becomes frontmost at once, unless the test holds
    // activations back (a window manager that takes its time).
    bool activate(const RunningApplication &application) override
    {
        std::lock_guard lock(m_mutex);
        m_activations.append(application);
        if (m_terminated.contains(application.windowID))
            return false;
        if (!m_holdActivations)
            m_frontmost = application;
        return true;
    }
    bool isActive(const RunningApplication &application) override
    {
        std::lock_guard lock(m_mutex);
        return m_frontmost && m_frontmost->windowID == application.windowID;
    }
    bool isTerminated(const RunningApplication &application) override
    {
        std::lock_guard lock(m_mutex);
        return m_terminated.contains(application.windowID);
    }

    void setHoldActivations(bool hold)
    {
        std::lock_guard lock(m_mutex);
        m_holdActivations = hold;
    }
    void terminate(quint32 windowID)
    {
        std::lock_guard lock(m_mutex);
        m_terminated.append(windowID);
    }
    QList<RunningApplication> activations() const
    {
        std::lock_guard lock(m_mutex);
        return m_activations;
    }

private:
    QList<RunningApplication> m_activations;
    QList<quint32> m_terminated;
    bool m_holdActivations = false;
    mutable std::mutex m_mutex;
    std::optional<RunningApplication> m_frontmost;
    int m_queries = 0;
};

} // namespace tessaly::test
