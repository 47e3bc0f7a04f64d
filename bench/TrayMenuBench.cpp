// Times the tray menu in the real program's setup on a private X display: rebuilding the menu
// (as it is rebuilt each time it opens) with 500 entries in the history, and from choosing
// "Mostrar histórico" to the panel's first frame.

#include "ProgramBed.h"
#include "app/AppDelegate.h"
#include "app/StatusItemController.h"
#include "history/HistoryStore.h"
#include "panel/HistoryPanel.h"
#include "panel/PanelController.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QQuickView>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tessaly;
using bench::median;

int main(int argc, char **argv)
{
    bench::ProgramBed bed;
    if (!bed.start(argc, argv))
        return 1;

    AppSettings::shared().setMaxItems(500);
    HistoryStore store(bed.historyDirectory());
    store.setLimitProvider([] { return 500; });
    for (int i = 0; i < 500; ++i)
        store.add(test::textCapture(
            QStringLiteral("Entrada número %1\ncom uma segunda linha e mais texto").arg(i)));

    const std::unique_ptr<AppDelegate> delegate = bench::ProgramBed::launch(store);
    if (!delegate)
        return 1;
    StatusItemController *tray = delegate->statusController();
    QQuickView *view = delegate->historyPanel()->view();
    test::waitUntil([] { return false; }, 1000); // idle after the start

    std::vector<double> rebuilds;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        tray->menuNeedsUpdate();
        rebuilds.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    std::vector<double> openings;
    for (int i = 0; i < 21; ++i) {
        bool drawn = false;
        const auto connection =
            QObject::connect(view, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer timer;
        timer.start();
        tray->menu()->actions().constFirst()->trigger(); // "Mostrar histórico"
        const bool ok = test::waitUntil([&] { return drawn && view->isVisible(); }, 5000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        delegate->panelController()->hide();
        test::waitUntil([] { return false; }, 150);
        if (!ok) {
            std::fprintf(stderr, "the panel did not open\n");
            return 1;
        }
        if (i > 0) // the first opening builds the cards
            openings.push_back(ms);
    }

    std::printf("tray menu, 500 entries in the history:\n");
    std::printf("  menu rebuild, median of 200          %7.2f ms (slowest %.2f)\n",
                median(rebuilds), *std::max_element(rebuilds.begin(), rebuilds.end()));
    std::printf("  \"Mostrar histórico\" to first frame  %7.1f ms median of 20 (slowest %.1f)\n",
                median(openings), *std::max_element(openings.begin(), openings.end()));
    return 0;
}
