// What the keyboard costs on a real X server: key names (redrawn with every view that shows the
// hot key), the reverse lookup run once per paste, a keymap reading (after a layout switch) and
// a hot-key registration. Starts its own Xvfb.
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyboardLayout.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11KeyboardLayoutSource.h"
#include "platform/x11/X11Keymap.h"

#include "support/XServer.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace tessaly;

static void BM_DisplayString(benchmark::State &state)
{
    const HotKeyCombo combo = HotKeyCombo::defaultCombo();
    for (auto _ : state)
        benchmark::DoNotOptimize(combo.displayString());
}
BENCHMARK(BM_DisplayString);

static void BM_KeyCodeForV(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(KeyboardLayout::keyCode(QStringLiteral("v")));
}
BENCHMARK(BM_KeyCodeForV);

static void BM_ReadKeymap(benchmark::State &state)
{
    x11::Connection connection;
    x11::X11Keymap::watchKeyboardChanges(connection.get());
    for (auto _ : state)
        benchmark::DoNotOptimize(x11::X11Keymap::read(connection.get()));
}
BENCHMARK(BM_ReadKeymap)->Unit(benchmark::kMillisecond);

static void BM_RegisterHotKey(benchmark::State &state)
{
    GlobalHotKey hotKey(std::make_unique<x11::X11HotKeyService>());
    for (auto _ : state) {
        if (!hotKey.registerCombo(HotKeyCombo::defaultCombo()))
            state.SkipWithError("registration refused");
    }
}
BENCHMARK(BM_RegisterHotKey)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    tessaly::test::XServer server;
    tessaly::test::XServer::Options options;
    options.windowManager = false;
    options.sessionBus = false;
    if (!server.start(options)) {
        std::fprintf(stderr, "no X server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    KeyboardLayout::setSource(std::make_shared<x11::X11KeyboardLayoutSource>());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    KeyboardLayout::setSource(nullptr);
    return 0;
}
