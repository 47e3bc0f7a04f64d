#include "app/AppDelegate.h"
#include "history/HistoryStore.h"
#include "platform/posix/TerminationSignals.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QTimer>

using namespace tessaly;

int main(int argc, char *argv[])
{
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

    AppDelegate delegate(AppSettings::shared(), HistoryStore::shared());
    int status = 0;
    QTimer::singleShot(0, &delegate, [&] {
        switch (delegate.applicationDidFinishLaunching()) {
        case AppDelegate::Launch::Running:
            break;
        case AppDelegate::Launch::AlreadyRunning:
            QCoreApplication::exit(0);
            break;
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
