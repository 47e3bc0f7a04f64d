#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/StallReporter.h"
#include "app/Version.h"
#include "history/HistoryStore.h"
#include "platform/Platform.h"
#include "platform/posix/MemoryRelease.h"
#include "platform/posix/TerminationSignals.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace tessaly;
using Request = SingleInstance::Request;
using namespace std::chrono_literals;

namespace {

// How long a running copy may take to acknowledge a request.
constexpr auto answerTimeout = 2000ms;

void say(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
}

// Hands the request to the copy that runs; answers the exit status, or absent when none runs.
std::optional<int> forward(Request request)
{
    switch (SingleInstance::ask(request, answerTimeout)) {
    case SingleInstance::Delivery::Delivered:
        return 0;
    case SingleInstance::Delivery::NoAnswer:
        say(QStringLiteral("Tessaly: o Tessaly em execução não respondeu em 2 s."));
        return 1;
    case SingleInstance::Delivery::NotRunning:
        break;
    }
    return std::nullopt;
}

// Whether Qt will find a display: without one it would abort with a message about plug-ins.

} // namespace

int main(int argc, char *argv[])
{
    limitAllocatorPools();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = CommandLine::parse(arguments, QStringLiteral(TESSALY_SHORT_VERSION));
    if (line.error) {
        say(QStringLiteral("tessaly: %1\n").arg(*line.error) + CommandLine::usage());
        return 2;
    }
    if (line.output) {
        std::fputs(line.output->toUtf8().constData(), stdout);
        return 0;
    }

    // A copy that runs takes the request; the rest starts the program.
    if (const auto status = forward(line.request))
        return *status;
    if (line.request == Request::Quit) {
        say(QStringLiteral("Tessaly: o Tessaly não está em execução."));
        return 1;
    }
    const SessionChoice session = chooseSession();
    if (!session.reachable) {
        say(QStringLiteral("Tessaly: nenhuma sessão gráfica ao alcance (DISPLAY=%1). Inicie o "
                           "Tessaly de dentro da sessão da área de trabalho.")
                .arg(qEnvironmentVariable("DISPLAY")));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_SHORT_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("norvale.com.br"));
    QGuiApplication::setDesktopFileName(AppDelegate::bundleIdentifier());
    QApplication::setQuitOnLastWindowClosed(false);

    // Ending on a signal goes through the event loop, like quitting from the menu.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &app,
                     &QCoreApplication::quit);

    // The main thread's stalls, when asked for (diagnostics and tests).
    const auto stallReporter = StallReporter::fromEnvironment();

    // The history keeps as many unpinned entries as the settings say, read at every trim.
    HistoryStore::shared().setLimitProvider([] { return AppSettings::shared().maxItems(); });
    AppDelegate delegate(AppSettings::shared(), HistoryStore::shared());
    int status = 0;
    QTimer::singleShot(0, &delegate, [&] {
        switch (delegate.applicationDidFinishLaunching()) {
        case AppDelegate::Launch::Running:
            // What this start was for, once the program is up (a toggle opens the panel).
            if (line.request != Request::Reopen)
                delegate.handleRequest(line.request);
            break;
        case AppDelegate::Launch::AlreadyRunning: {
            // Another copy started at the same moment and won: it takes the request once it
            // listens.
            std::optional<int> forwarded;
            for (int attempt = 0; attempt < 20 && !forwarded; ++attempt) {
                forwarded = forward(line.request);
                if (!forwarded)
                    std::this_thread::sleep_for(100ms);
            }
            QCoreApplication::exit(forwarded.value_or(0));
            break;
        }
        case AppDelegate::Launch::Failed:
            status = 1;
            QCoreApplication::exit(1);
            break;
        }
    });
    const int loopStatus = QApplication::exec();
    delegate.applicationWillTerminate();
    return status != 0 ? status : loopStatus;
}
