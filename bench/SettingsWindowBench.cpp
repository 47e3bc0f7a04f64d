// Times the settings window in the real program's setup on a private X display: from the request
// to the first frame on the first showing (the window is built then) and on later ones, and the
// program's resident memory before the first showing and with the window closed after it.

#include "ProgramBed.h"
#include "app/AppDelegate.h"
#include "history/HistoryStore.h"
#include "settings/AppSettings.h"
#include "settings/SettingsWindowController.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickView>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tessaly;
using bench::median;

namespace {

// VmRSS of this process, in kilobytes.
qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void idle(int ms)
{
    test::waitUntil([] { return false; }, ms);
}

} // namespace

int main(int argc, char **argv)
{
    bench::ProgramBed bed;
    if (!bed.start(argc, argv))
        return 1;

    HistoryStore store(bed.historyDirectory());
    store.setLimitProvider([] { return AppSettings::shared().maxItems(); });
    for (int i = 0; i < 50; ++i)
        store.add(test::textCapture(QStringLiteral("Entrada número %1").arg(i)));
    store.togglePin(store.items().constFirst().id);

    const std::unique_ptr<AppDelegate> delegate = bench::ProgramBed::launch(store);
    if (!delegate)
        return 1;
    idle(1500); // idle after the start, the panel warmed up
    const qint64 before = residentKilobytes();

    const auto showOnce = [&]() -> double {
        QElapsedTimer timer;
        timer.start();
        bool drawn = false;
        QMetaObject::Connection connection;
        if (SettingsWindowController *settings = delegate->settingsWindow())
            connection = QObject::connect(settings->window(), &QQuickWindow::frameSwapped,
                                          [&] { drawn = true; });
        delegate->showSettings(false);
        if (!connection) // built by this request
            connection = QObject::connect(delegate->settingsWindow()->window(),
                                          &QQuickWindow::frameSwapped, [&] { drawn = true; });
        if (!test::waitUntil([&] { return drawn; }, 5000))
            return -1;
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        delegate->settingsWindow()->close();
        idle(200);
        return ms;
    };

    const double first = showOnce();
    idle(1000);
    const qint64 afterFirst = residentKilobytes();
    std::vector<double> later;
    for (int i = 0; i < 20; ++i)
        later.push_back(showOnce());
    idle(1000);
    const qint64 afterAll = residentKilobytes();

    std::printf("settings window, request to first frame:\n");
    std::printf("  first showing (built then): %.1f ms\n", first);
    std::printf("  later showings: median %.1f ms, worst %.1f ms (20)\n", median(later),
                *std::max_element(later.begin(), later.end()));
    std::printf("resident memory: %.1f MB before the first showing, %.1f MB with the window "
                "closed after it (+%.1f MB), %.1f MB after 21 showings\n",
                before / 1024.0, afterFirst / 1024.0, (afterFirst - before) / 1024.0,
                afterAll / 1024.0);
    delegate->applicationWillTerminate();
    return 0;
}
