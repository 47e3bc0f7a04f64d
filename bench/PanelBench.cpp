// How the panel's per-keystroke and per-redraw work scales with the history: listing and
// searching, merging a new list into the view's model, a card's detail and age texts, and
// cached icon lookups. Run from build/bench/: ./panel_bench
#include "history/HistoryStore.h"
#include "history/ThumbnailCache.h"
#include "panel/ClipListModel.h"
#include "panel/PanelModel.h"
#include "panel/cards/Formatting.h"
#include "panel/cards/IconCache.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessaly;

namespace {

class Trusted : public AccessibilityPermission
{
public:
    bool isTrusted() const override { return true; }
    void request() override {}
    void openSettings() override {}
};

class NoApplications : public ApplicationDirectory
{
public:
    std::optional<InstalledApplication> application(const QString &) override
    {
        return std::nullopt;
    }
};

// A history of `count` text entries of a few hundred characters each, from a few applications.
struct History
{
    explicit History(int count)
    {
        settings = std::make_unique<AppSettings>(directory.filePath(QStringLiteral("s.conf")));
        store = std::make_unique<HistoryStore>(directory.filePath(QStringLiteral("h")));
        store->setLimitProvider([count] { return count; });
        const QString filler = QStringLiteral(
            "Relatório trimestral de vendas, região Sul — revisão da equipe comercial. ");
        for (int i = 0; i < count; ++i) {
            store->add(
                test::textCapture(QStringLiteral("%1 entrada %2 ").arg(filler.repeated(4)).arg(i),
                                  {}, QStringLiteral("Aplicativo %1").arg(i % 7)));
        }
        store->waitForPendingWrites();
        model = std::make_unique<PanelModel>(*store, *settings, trusted);
    }

    QTemporaryDir directory;
    Trusted trusted;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<PanelModel> model;
};

void BM_VisibleItemsWithQuery(benchmark::State &state)
{
    History history(int(state.range(0)));
    history.model->setQuery(QStringLiteral("ENTRADA 4"));
    for (auto _ : state)
        benchmark::DoNotOptimize(history.model->visibleItems());
}
BENCHMARK(BM_VisibleItemsWithQuery)->Arg(50)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// One keystroke in the search field: the list model follows the new query.
void BM_TypingAQueryCharacter(benchmark::State &state)
{
    History history(int(state.range(0)));
    bool flip = false;
    for (auto _ : state) {
        history.model->setQuery(flip ? QStringLiteral("entrada 1") : QStringLiteral("entrada"));
        flip = !flip;
    }
}
BENCHMARK(BM_TypingAQueryCharacter)->Arg(50)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// An entry used again moves to the top: one row move in the view's model.
void BM_MarkUsedMovesOneRow(benchmark::State &state)
{
    History history(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const QUuid last = history.store->items().last().id;
        state.ResumeTiming();
        history.store->markUsed(last);
    }
}
BENCHMARK(BM_MarkUsedMovesOneRow)->Arg(50)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_DetailOfALongText(benchmark::State &state)
{
    ClipItem item;
    item.kind = ClipKind::Text;
    item.text = QStringLiteral("Olá, 👍🏽 mundo! ").repeated(int(state.range(0)) / 16);
    for (auto _ : state)
        benchmark::DoNotOptimize(Formatting::detail(item));
    state.SetLabel(QStringLiteral("%1 UTF-16 units").arg(item.text->size()).toStdString());
}
BENCHMARK(BM_DetailOfALongText)->Arg(1000)->Arg(200000)->Unit(benchmark::kMicrosecond);

void BM_RelativeText(benchmark::State &state)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime then = now.addSecs(-3 * 86400 - 5000);
    for (auto _ : state)
        benchmark::DoNotOptimize(Formatting::relativeText(then, now));
}
BENCHMARK(BM_RelativeText)->Unit(benchmark::kMicrosecond);

void BM_CachedIconLookups(benchmark::State &state)
{
    NoApplications applications;
    ThumbnailCache thumbnails;
    IconCache cache(applications, thumbnails);
    cache.appName(QStringLiteral("org.example.App"));
    cache.fileIcon(QStringLiteral("/tmp/relatório.pdf"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache.appName(QStringLiteral("org.example.App")));
        benchmark::DoNotOptimize(cache.fileIcon(QStringLiteral("/tmp/relatório.pdf")));
    }
}
BENCHMARK(BM_CachedIconLookups)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
