#pragma once

// What a benchmark of the whole program stands on: a home of its own in a temporary folder
// (XDG data, configuration and runtime directories) and a private X display, both set up
// before the QApplication exists, and the program launched there.

#include "app/AppDelegate.h"
#include "history/HistoryStore.h"
#include "settings/AppSettings.h"
#include "support/XServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace tessaly::bench {

// The middle sample.
inline double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct ProgramBed
{
    QTemporaryDir temp;
    test::XServer server;
    std::optional<QApplication> app;

    // Answers false, with a message, when there is no display. Then makes the program's
    // application object (kept running with no window), and the shared settings are the bed's.
    bool start(int &argc, char **argv)
    {
        qputenv("XDG_DATA_HOME", temp.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", temp.filePath(QStringLiteral("config")).toLocal8Bit());
        QDir().mkpath(temp.filePath(QStringLiteral("runtime")));
        QFile::setPermissions(temp.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", temp.filePath(QStringLiteral("runtime")).toLocal8Bit());
        if (!server.start()) {
            std::fprintf(stderr, "no X display: %s\n", qPrintable(server.errorString()));
            return false;
        }
        qunsetenv("QT_QPA_PLATFORM");
        writeOnboarded(settingsPath());
        AppSettings::redirectShared(settingsPath());
        app.emplace(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return true;
    }

    // The program launched as the user starts it, over `store` and the shared settings; null,
    // with a message, when it did not start.
    static std::unique_ptr<AppDelegate> launch(HistoryStore &store)
    {
        auto delegate = std::make_unique<AppDelegate>(AppSettings::shared(), store);
        if (delegate->applicationDidFinishLaunching() != AppDelegate::Launch::Running) {
            std::fprintf(stderr, "the program did not start\n");
            return nullptr;
        }
        return delegate;
    }

    // Settings of a program that has run before: no welcome window at its start.
    static void writeOnboarded(const QString &settingsPath)
    {
        QDir().mkpath(QFileInfo(settingsPath).absolutePath());
        QFile file(settingsPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("[General]\nhasCompletedOnboarding=true\n");
    }

    QString settingsPath() const
    {
        return temp.filePath(QStringLiteral("config/Tessaly/Tessaly.conf"));
    }
    QString historyDirectory() const { return temp.filePath(QStringLiteral("data/Tessaly")); }
};

} // namespace tessaly::bench
