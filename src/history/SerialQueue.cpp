#include "history/SerialQueue.h"

#include <pthread.h>

namespace tessaly {

SerialQueue::SerialQueue(const QString &label) : m_label(label)
{
    m_worker = std::thread([this] { run(); });
    // Thread names are limited to 15 bytes; the tail of a reverse-DNS label is the telling part.
    const QByteArray name = label.toUtf8().right(15);
    pthread_setname_np(m_worker.native_handle(), name.constData());
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

void SerialQueue::async(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void SerialQueue::sync(const std::function<void()> &task)
{
    if (std::this_thread::get_id() == m_worker.get_id()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    async([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

void SerialQueue::drain()
{
    sync([] {});
}

void SerialQueue::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return; // stopping, and nothing left to run
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

} // namespace tessaly
