// Times the opening of the history panel on the hot key, in the real program's setup on a
// private X display: from the synthesised key press (XTest, Ctrl+Shift+V) to the first frame
// the panel's window has drawn. The first opening is reported apart (it builds the cards);
// then the median of 20 openings over a history of 50 entries; and the same opening asked with
// `tessaly --toggle`, from starting that client to the first frame.

#include "ProgramBed.h"
#include "app/AppDelegate.h"
#include "history/HistoryStore.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "panel/HistoryPanel.h"
#include "panel/PanelController.h"
#include "platform/x11/X11KeySynth.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QQuickView>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tessaly;

int main(int argc, char **argv)
{
    bench::ProgramBed bed;
    if (!bed.start(argc, argv))
        return 1;

    HistoryStore store(bed.historyDirectory());
    store.setLimitProvider([] { return 50; });
    for (int i = 0; i < 50; ++i)
        store.add(
            test::textCapture(QStringLiteral("Entrada de teste número %1 com algum texto").arg(i),
                              QStringLiteral("org.example.Editor"), QStringLiteral("Editor")));

    const std::unique_ptr<AppDelegate> delegate = bench::ProgramBed::launch(store);
    if (!delegate)
        return 1;
    PanelController *controller = delegate->panelController();
    QQuickView *view = delegate->historyPanel()->view();
    x11::X11KeySynth keys;

    const auto openOnce = [&]() -> double {
        bool drawn = false;
        const auto connection =
            QObject::connect(view, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer timer;
        timer.start();
        keys.sendKeystroke(KeyPosition::V, HotKeyCombo::commandFlag | HotKeyCombo::shiftFlag);
        const bool ok = test::waitUntil([&] { return drawn && view->isVisible(); }, 5000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        controller->hide();
        test::waitUntil([] { return false; }, 150);
        return ok ? ms : -1;
    };

    // The program is idle for a moment after its start, as it is before anyone presses a key.
    test::waitUntil([] { return false; }, 1000);
    const double first = openOnce();
    std::vector<double> samples;
    for (int i = 0; i < 20; ++i)
        samples.push_back(openOnce());
    if (std::count(samples.begin(), samples.end(), -1.0) > 0 || first < 0) {
        std::fprintf(stderr, "the panel did not open\n");
        return 1;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("panel opening on the hot key, key press to first frame (50 entries):\n");
    std::printf("  first opening          %7.1f ms\n", first);
    std::printf("  median of 20 openings  %7.1f ms\n", samples[samples.size() / 2]);
    std::printf("  fastest / slowest      %7.1f / %.1f ms\n", samples.front(), samples.back());

    // `tessaly --toggle`, as a desktop's own shortcut runs it: from starting the client to the
    // panel's first frame, the client's start included.
    std::vector<double> toggles;
    for (int i = 0; i < 20; ++i) {
        bool drawn = false;
        const auto connection =
            QObject::connect(view, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer timer;
        timer.start();
        QProcess client;
        client.start(QStringLiteral(TESSALY_EXECUTABLE), {QStringLiteral("--toggle")});
        const bool ok = test::waitUntil([&] { return drawn && view->isVisible(); }, 5000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        client.waitForFinished(5000);
        controller->hide();
        test::waitUntil([] { return false; }, 150);
        if (!ok) {
            std::fprintf(stderr, "tessaly --toggle did not open the panel\n");
            return 1;
        }
        toggles.push_back(ms);
    }
    std::sort(toggles.begin(), toggles.end());
    std::printf("tessaly --toggle, client start to first frame:\n");
    std::printf("  median of 20           %7.1f ms\n", toggles[toggles.size() / 2]);
    std::printf("  fastest / slowest      %7.1f / %.1f ms\n", toggles.front(), toggles.back());
    return 0;
}
