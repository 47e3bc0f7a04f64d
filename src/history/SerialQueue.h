#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tessaly {

// A serial task queue on one worker thread: tasks run one at a time, in submission order.
// Destruction runs every task already submitted, then joins the worker.
class SerialQueue
{
public:
    explicit SerialQueue(const QString &label);
    ~SerialQueue();

    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const QString &label() const { return m_label; }

    // Queues a task and returns at once.
    void async(std::function<void()> task);
    // Queues a task and waits until it has run; every task submitted earlier runs first.
    void sync(const std::function<void()> &task);
    // Waits until every task submitted so far has run.
    void drain();

private:
    void run();

    QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace tessaly
