// Capture on each headless compositor (sway, kwin_wayland), measured: the latency from a copy in
// another Wayland client to the entry being in the history's items, over 50 copies, and how long
// the main thread was ever kept from its event loop meanwhile.

#include "capture/ClipboardMonitor.h"
#include "history/HistoryStore.h"
#include "platform/wayland/WaylandPasteboard.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"
#include "support/WaylandCompositor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::waitUntil;

namespace {

bool measure(test::WaylandCompositor::Kind kind)
{
    const QString name = test::WaylandCompositor::nameOf(kind);
    test::WaylandCompositor compositor(kind);
    if (!test::WaylandCompositor::isAvailable(kind) || !compositor.start()) {
        std::printf("No headless %s: %s\n", qPrintable(name), qPrintable(compositor.errorString()));
        return false;
    }
    compositor.exportToEnvironment();

    QTemporaryDir temp;
    AppSettings settings(temp.filePath(u"Tessaly.conf"_s));
    HistoryStore store(temp.filePath(u"latency/Tessaly"_s));
    store.setLimitProvider([] { return 500; });
    WaylandPasteboard pasteboard;
    if (!pasteboard.isValid()) {
        std::printf("%s offers no data-control\n", qPrintable(name));
        return false;
    }
    ClipboardMonitor monitor(store, settings, pasteboard, nullptr);
    monitor.start();

    QProcess copier;
    copier.start(QStringLiteral(TESSALY_WAYLAND_OWNER), {u"copier"_s});
    QByteArray said;
    const auto readLine = [&](const QByteArray &prefix) -> std::optional<QByteArray> {
        if (!waitUntil(
                [&] {
                    said += copier.readAllStandardOutput();
                    const qsizetype start = said.indexOf(prefix);
                    return start >= 0 && said.indexOf('\n', start) >= 0;
                },
                10000))
            return std::nullopt;
        const qsizetype start = said.indexOf(prefix);
        const qsizetype end = said.indexOf('\n', start);
        const QByteArray line = said.mid(start + prefix.size(), end - start - prefix.size());
        said.remove(0, end + 1);
        return line;
    };
    if (!readLine("ready"))
        return false;

    // The longest time between two firings of a 1 ms timer.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceLast;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed());
        sinceLast.restart();
    });
    sinceLast.start();
    tick.start(1);

    QList<double> latencies;
    for (int i = 0; i < 50; ++i) {
        const QString text = u"wayland benchmark copy %1"_s.arg(i);
        copier.write(text.toUtf8() + '\n');
        const auto copied = readLine("copied ");
        const auto recorded = [&] {
            return std::any_of(store.items().cbegin(), store.items().cend(),
                               [&](const ClipItem &item) { return item.text == text; });
        };
        if (!copied || !waitUntil(recorded, 5000)) {
            std::printf("%s: copy %d was not recorded\n", qPrintable(name), i);
            return false;
        }
        const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        latencies.append(double(now - copied->toLongLong()) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("%s: text copy → entry in items (50 copies, %s): median %.1f ms, worst %.1f "
                "ms (target: median under 20 ms)\n",
                qPrintable(name), qPrintable(pasteboard.protocolName()),
                (latencies[24] + latencies[25]) / 2, latencies.last());
    std::printf("%s: longest stretch the main thread was away from its event loop: %.1f ms\n",
                qPrintable(name), double(longest) / 1e6);
    copier.closeWriteChannel();
    copier.waitForFinished(5000);
    monitor.finish();
    store.waitForPendingWrites();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool measured = true;
    for (const auto kind :
         {test::WaylandCompositor::Kind::Sway, test::WaylandCompositor::Kind::KWin})
        measured = measure(kind) && measured;
    return measured ? 0 : 1;
}
