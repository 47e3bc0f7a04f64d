#pragma once

#include "support/XServer.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace tessaly::test {

// The fixture of an end-to-end test on a private display. SetUp skips the test when a program
// it needs is not installed, starts the display (Xvfb and openbox) and prepares the environment
// of the processes the test starts: that display, and a home of their own in `temp`
// (XDG_DATA_HOME = data/, XDG_CONFIG_HOME = config/, XDG_RUNTIME_DIR = runtime/, mode 0700).
// TearDown kills every process started with start() that still runs.
//
// A subclass that overrides SetUp calls this one first and returns when it skipped or failed
// (IsSkipped() || HasFatalFailure()); one that overrides TearDown calls this one last.
class E2ETest : public ::testing::Test
{
protected:
    // `programs`: what the test runs besides Xvfb and openbox (xclip, xdotool …).
    explicit E2ETest(QStringList programs = {});

    void SetUp() override;
    void TearDown() override;
    // Starts the settings as if the program had run before (no welcome window at its start):
    // every test begins so.
    void skipWelcome();

    // Starts a program on the display with `environment`, writing `input` to it (then closing
    // its input) when that is not null.
    QProcess *start(const QString &program, const QStringList &arguments = {},
                    const QByteArray &input = QByteArray());

    // Waits until the process has written its first line on standard error (the tessaly
    // executable's launch line); answers what it wrote, or absent when no line came in time.
    static std::optional<QByteArray> waitForLaunchLine(QProcess *process, int timeoutMs = 15000);

    QTemporaryDir temp;
    XServer server;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> programs;

private:
    QStringList m_requiredPrograms;
};

} // namespace tessaly::test
