#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace tessaly {

// A diagnostic for the responsiveness of the main thread: while it runs, every moment the event
// loop could not run a 10 ms timer for longer than the threshold is written to standard error
// as "Tessaly: linha principal parada por N ms". Off unless TESSALY_REPORT_STALLS names a
// threshold in milliseconds (it wakes the program a hundred times a second).
class StallReporter : public QObject
{
    Q_OBJECT

public:
    // Started from the environment; null when the variable is unset or not a positive number.
    static std::unique_ptr<StallReporter> fromEnvironment();

    explicit StallReporter(int thresholdMs, QObject *parent = nullptr);

private:
    void tick();

    int m_thresholdMs;
    QTimer m_timer;
    QElapsedTimer m_sinceLastTick;
};

} // namespace tessaly
