#include "app/StallReporter.h"

#include <cstdio>
#include <memory>

namespace tessaly {

namespace {

constexpr int tickMs = 10;

} // namespace

std::unique_ptr<StallReporter> StallReporter::fromEnvironment()
{
    bool ok = false;
    const int threshold = qEnvironmentVariableIntValue("TESSALY_REPORT_STALLS", &ok);
    if (!ok || threshold <= 0)
        return nullptr;
    return std::make_unique<StallReporter>(threshold);
}

StallReporter::StallReporter(int thresholdMs, QObject *parent)
    : QObject(parent), m_thresholdMs(thresholdMs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &StallReporter::tick);
    m_timer.start();
    m_sinceLastTick.start();
}

void StallReporter::tick()
{
    const qint64 late = m_sinceLastTick.restart() - tickMs;
    if (late > m_thresholdMs) {
        std::fprintf(stderr, "Tessaly: linha principal parada por %lld ms\n",
                     static_cast<long long>(late));
        std::fflush(stderr);
    }
}

} // namespace tessaly
