#pragma once

#include "capture/ClipboardReader.h"
#include "capture/Pasteboard.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QTimer;

namespace tessaly {

class AppSettings;
class HistoryStore;
class SerialQueue;
class Workspace;

// Watches the clipboard and records every change made by another application.
//
// The clipboard's change count is compared on a 0.35-second timer and, at once, whenever the
// system announces a change. A new count is consumed on the main thread; unless the program
// wrote that content itself or capture is paused, the contents are read on the capture worker
// thread (an owner that is slow or stalled never holds up the main thread) and the capture is
// handed to the store on the main thread. Readings run one at a time, in the order of the
// changes.
class ClipboardMonitor : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds pollInterval{350};

    // Whatever is on the clipboard now is not recorded. `workspace` may be null (captures then
    // carry no source application); store, settings, pasteboard and workspace must outlive the
    // monitor.
    ClipboardMonitor(HistoryStore &store, AppSettings &settings, Pasteboard &pasteboard,
                     Workspace *workspace, QObject *parent = nullptr);
    // Readings not yet started are dropped; one in progress ends within its time budget.
    ~ClipboardMonitor() override;

    // Starts polling and listening for the clipboard's announcements.
    void start();
    // Stops noticing changes, completes the readings already asked for and hands their captures
    // to the store (shutdown).
    void finish();

    // How often the change count is compared (tests shorten it).
    std::chrono::milliseconds interval() const { return m_interval; }
    void setInterval(std::chrono::milliseconds interval);

    // One tick: reads the change count and, for a new change, starts its reading.
    void tick();

    qint64 lastChangeCount() const { return m_lastChangeCount; }
    // The change count that the program's own last write produced (-1 before the first). Set
    // by the paste service after each write, on the main thread.
    qint64 ownChangeCount() const { return m_ownChangeCount; }
    void setOwnChangeCount(qint64 count) { m_ownChangeCount = count; }

    // The id by which the program's own windows are recognised as the source; defaults to the
    // application's desktop-file name when one is set.
    std::optional<QString> ownBundleID() const { return m_ownBundleID; }
    void setOwnBundleID(const std::optional<QString> &id) { m_ownBundleID = id; }

    // The reader's rules, under the names the rest of the program knows them by.
    static ClipKind classify(const QString &text) { return ClipboardReader::classify(text); }
    static std::optional<Thumbnail> makeThumbnail(const QByteArray &data, int maxPixel)
    {
        return ClipboardReader::makeThumbnail(data, maxPixel);
    }
    static QString hash(QByteArrayView data) { return ClipboardReader::hash(data); }

Q_SIGNALS:
    // A reading finished and its outcome reached the store (tests, benchmarks).
    void readFinished(qint64 changeCount, bool recorded);

private:
    struct Outcomes;

    void deliver();

    HistoryStore &m_store;
    AppSettings &m_settings;
    Pasteboard &m_pasteboard;
    Workspace *m_workspace;
    std::chrono::milliseconds m_interval = pollInterval;
    std::unique_ptr<QTimer> m_timer;
    qint64 m_lastChangeCount;
    qint64 m_ownChangeCount = -1;
    std::optional<QString> m_ownBundleID;
    std::shared_ptr<Outcomes> m_outcomes;
    std::unique_ptr<SerialQueue> m_worker;
};

} // namespace tessaly
