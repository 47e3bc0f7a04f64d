#include "capture/ClipboardMonitor.h"

#include "history/HistoryStore.h"
#include "history/SerialQueue.h"
#include "settings/AppSettings.h"

#include <QGuiApplication>
#include <QTimer>

#include <atomic>
#include <deque>
#include <mutex>

namespace tessaly {

// What the worker hands back: one entry per reading, in the order they ran.
struct ClipboardMonitor::Outcomes
{
    struct Outcome
    {
        qint64 changeCount;
        std::optional<Capture> capture;
    };

    std::mutex mutex;
    std::deque<Outcome> queue;
    std::atomic<bool> dropPending{false};
};

ClipboardMonitor::ClipboardMonitor(HistoryStore &store, AppSettings &settings,
                                   Pasteboard &pasteboard, Workspace *workspace, QObject *parent)
    : QObject(parent), m_store(store), m_settings(settings), m_pasteboard(pasteboard),
      m_workspace(workspace), m_lastChangeCount(pasteboard.changeCount()),
      m_outcomes(std::make_shared<Outcomes>()),
      m_worker(std::make_unique<SerialQueue>(QStringLiteral("br.com.norvale.tessaly.capture")))
{
    const QString desktopFileName = QGuiApplication::desktopFileName();
    if (!desktopFileName.isEmpty())
        m_ownBundleID = desktopFileName;
}

ClipboardMonitor::~ClipboardMonitor()
{
    m_outcomes->dropPending = true;
    m_worker.reset(); // joins; queued readings see dropPending and end at once
}

void ClipboardMonitor::setInterval(std::chrono::milliseconds interval)
{
    m_interval = interval;
    if (m_timer)
        m_timer->setInterval(interval);
}

void ClipboardMonitor::start()
{
    m_lastChangeCount = m_pasteboard.changeCount();
    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(m_interval);
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer.get(), &QTimer::timeout, this, &ClipboardMonitor::tick);
    m_timer->start();
    // The system announces changes: a copy is then read within milliseconds, and copies in
    // quick succession are each read instead of only the last one before the next tick.
    connect(&m_pasteboard, &Pasteboard::changed, this, &ClipboardMonitor::tick,
            Qt::UniqueConnection);
}

void ClipboardMonitor::finish()
{
    if (m_timer)
        m_timer->stop();
    disconnect(&m_pasteboard, &Pasteboard::changed, this, &ClipboardMonitor::tick);
    tick(); // a change made until now is still read
    m_worker->drain();
    deliver();
}

void ClipboardMonitor::tick()
{
    const qint64 count = m_pasteboard.changeCount();
    if (count == m_lastChangeCount)
        return;
    m_lastChangeCount = count; // consumed, whatever follows
    if (count == m_ownChangeCount)
        return; // the program's own write
    if (m_settings.isPaused())
        return;

    ReadOptions options;
    options.ignoreConcealed = m_settings.ignoreConcealed();
    options.ignoredBundleIDs = m_settings.ignoredBundleIDs();
    options.ownBundleID = m_ownBundleID;
    std::shared_ptr<PasteboardReading> reading = m_pasteboard.openReading();

    m_worker->async(
        [this, reading, options, count, outcomes = m_outcomes, workspace = m_workspace]() mutable {
            std::optional<Capture> capture;
            if (!outcomes->dropPending && reading)
                capture = ClipboardReader::read(*reading, workspace, options);
            reading.reset(); // let go of the clipboard connection here, off the main thread
            {
                std::lock_guard lock(outcomes->mutex);
                outcomes->queue.push_back({count, std::move(capture)});
            }
            // The monitor outlives every task (its destructor joins the worker); a delivery posted
            // after it is gone is discarded with it.
            QMetaObject::invokeMethod(this, &ClipboardMonitor::deliver, Qt::QueuedConnection);
        });
}

void ClipboardMonitor::deliver()
{
    for (;;) {
        std::optional<Outcomes::Outcome> outcome;
        {
            std::lock_guard lock(m_outcomes->mutex);
            if (m_outcomes->queue.empty())
                return;
            outcome = std::move(m_outcomes->queue.front());
            m_outcomes->queue.pop_front();
        }
        const bool recorded = outcome->capture.has_value();
        if (recorded)
            m_store.add(*outcome->capture);
        Q_EMIT readFinished(outcome->changeCount, recorded);
    }
}

} // namespace tessaly
