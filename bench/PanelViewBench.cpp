// Prints how long the panel's history view takes to appear: the first load of the view with a
// full history (QML compiled and types created), later loads in the same process, and a new
// opening of an existing view with a changed history, each up to its first drawn frame
// (offscreen). Run from build/bench/.
#include "fakes/SampleClips.h"
#include "panel/PanelViewHarness.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tessaly;
using namespace tessaly::test;

namespace {

QList<ClipItem> history(Instant now, int count, int variant)
{
    QList<ClipItem> items;
    for (int i = 0; i < count; ++i) {
        switch (i % 5) {
        case 0:
            items.append(
                sampleText(QStringLiteral("Texto %1 de %2 ").arg(i).arg(variant).repeated(6), now,
                           60.0 * i, "org.gnome.TextEditor", "Editor de Texto"));
            break;
        case 1:
            items.append(sampleLink(QStringLiteral("https://example.com/%1/%2").arg(i).arg(variant),
                                    now, 60.0 * i, "org.mozilla.firefox", "Firefox"));
            break;
        case 2:
            items.append(sampleColor(
                QStringLiteral("#%1").arg(0x102030 + i * 97 + variant, 6, 16, QLatin1Char('0')),
                now, 60.0 * i));
            break;
        case 3:
            items.append(sampleImage(1600, 900, now, 60.0 * i));
            break;
        default:
            items.append(
                sampleFiles({QStringLiteral("/home/ana/arquivo-%1-%2.pdf").arg(i).arg(variant)},
                            now, 60.0 * i));
        }
    }
    return items;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void prepare(PanelViewHarness &harness, const QList<ClipItem> &items, Instant now)
{
    harness.model.setNow(now.toDateTime());
    QPixmap icon(32, 32);
    icon.fill(Qt::darkCyan);
    harness.images.appIcons = {{"org.gnome.TextEditor", QIcon(icon)},
                               {"org.mozilla.firefox", QIcon(icon)}};
    harness.images.genericFileIcon = QIcon(icon);
    for (const ClipItem &item : items) {
        if (item.kind == ClipKind::Image)
            harness.images.thumbnails.insert(item.id, sampleThumbnail(400, 225));
    }
    harness.model.setEntries(items);
    harness.model.open();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Instant now = Instant::now();
    constexpr int runs = 20;
    constexpr int entries = 50;

    std::vector<double> loads;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        PanelViewHarness harness;
        prepare(harness, history(now, entries, run), now);
        if (!harness.load(Qt::FramelessWindowHint))
            return 1;
        harness.view().show();
        harness.view().grabWindow();
        loads.push_back(timer.nsecsElapsed() / 1e6);
    }

    PanelViewHarness harness;
    prepare(harness, history(now, entries, 0), now);
    if (!harness.load(Qt::FramelessWindowHint))
        return 1;
    harness.view().show();
    harness.view().grabWindow();
    std::vector<double> reopenings;
    for (int run = 1; run <= runs; ++run) {
        const QList<ClipItem> items = history(now, entries, run);
        QElapsedTimer timer;
        timer.start();
        harness.model.setEntries(items);
        harness.model.open();
        harness.view().grabWindow();
        reopenings.push_back(timer.nsecsElapsed() / 1e6);
    }

    // The usual opening: one new copy on top of the same history.
    std::vector<double> usualOpenings;
    QList<ClipItem> items = harness.model.entries();
    for (int run = 0; run < runs; ++run) {
        items.prepend(sampleText(QStringLiteral("Cópia nova %1").arg(run), now, 1));
        items.removeLast();
        QElapsedTimer timer;
        timer.start();
        harness.model.setEntries(items);
        harness.model.open();
        harness.view().grabWindow();
        usualOpenings.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("history view, %d entries, offscreen, time to first frame:\n", entries);
    std::printf("  first load in the process  %8.1f ms\n", loads.front());
    std::printf("  later loads (median of %d) %8.1f ms\n", runs - 1,
                median(std::vector<double>(loads.begin() + 1, loads.end())));
    std::printf("  new opening of a loaded view with a changed history (median of %d) %8.1f ms\n",
                runs, median(reopenings));
    std::printf("  new opening with one new entry on top (median of %d) %8.1f ms\n", runs,
                median(usualOpenings));
    return 0;
}
