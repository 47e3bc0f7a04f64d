// The tessaly command line on a private display: options handed to the running program over its
// local socket, a start while one runs, a start after one was killed, two starts at once, a
// running program that does not answer, and no graphical session at all.

#include "TessalyProcessTest.h"
#include "app/Version.h"

#include <QElapsedTimer>

#include <csignal>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using tessaly::test::waitUntil;

namespace {

class CommandLineE2ETest : public tessaly::test::TessalyProcessTest
{
protected:
    struct Outcome
    {
        int status = -1;
        QString out;
        QString err;
        qint64 ms = 0;
    };

    // Runs `tessaly ARGUMENTS` to its end (a start that keeps running is not for this).
    Outcome tessalyWith(const QStringList &arguments,
                        const QProcessEnvironment &env = QProcessEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(env.isEmpty() ? environment : env);
        QElapsedTimer elapsed;
        elapsed.start();
        process.start(QStringLiteral(TESSALY_EXECUTABLE), arguments);
        Outcome outcome;
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return outcome;
        }
        outcome.ms = elapsed.elapsed();
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }
};

} // namespace

TEST_F(CommandLineE2ETest, OptionsReachTheRunningProgram)
{
    const Outcome help = tessalyWith({u"--help"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(u"Uso: tessaly"_s)) << help.out.toStdString();
    EXPECT_EQ(tessalyWith({u"--version"_s}).out, u"Tessaly %1\n"_s.arg(TESSALY_SHORT_VERSION));
    const Outcome unknown = tessalyWith({u"--desconhecida"_s});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(u"opção desconhecida: desconhecida"_s) &&
                unknown.err.contains(u"Uso: tessaly"_s))
        << unknown.err.toStdString();
    EXPECT_EQ(tessalyWith({u"--toggle"_s, u"--quit"_s}).status, 2);
    const Outcome nobody = tessalyWith({u"--quit"_s});
    EXPECT_EQ(nobody.status, 1);
    EXPECT_EQ(nobody.err, u"Tessaly: o Tessaly não está em execução.\n"_s);

    ASSERT_TRUE(startTessaly());
    copy(u"algo"_s);
    // --toggle opens and closes the panel, as the hot key does.
    EXPECT_EQ(tessalyWith({u"--toggle"_s}).status, 0);
    EXPECT_TRUE(waitUntil([&] { return panelShown(); }, 5000));
    EXPECT_EQ(tessalyWith({u"--toggle"_s}).status, 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
    // Starting it again, or asking for the settings, leaves one copy running.
    for (const QStringList &again : {QStringList{}, QStringList{u"--settings"_s}}) {
        const Outcome outcome = tessalyWith(again);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_TRUE(outcome.err.isEmpty()) << outcome.err.toStdString();
    }
    EXPECT_EQ(tessaly->state(), QProcess::Running);

    // A frozen program: the request gives up after 2 s with a word.
    ::kill(pid_t(tessaly->processId()), SIGSTOP);
    const Outcome frozen = tessalyWith({u"--toggle"_s});
    ::kill(pid_t(tessaly->processId()), SIGCONT);
    EXPECT_EQ(frozen.status, 1);
    EXPECT_EQ(frozen.err, u"Tessaly: o Tessaly em execução não respondeu em 2 s.\n"_s);
    EXPECT_LT(frozen.ms, 5000);

    // --quit ends it cleanly.
    EXPECT_EQ(tessalyWith({u"--quit"_s}).status, 0);
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    EXPECT_EQ(tessaly->exitCode(), 0);
}

TEST_F(CommandLineE2ETest, StartsSurviveAKilledCopyAndEachOther)
{
    // --toggle with nothing running starts the program with its panel open.
    QProcess *first = start(QStringLiteral(TESSALY_EXECUTABLE), {u"--toggle"_s});
    ASSERT_TRUE(waitForLaunchLine(first));
    EXPECT_TRUE(waitUntil([&] { return panelShown(); }, 10000));

    // Killed without a chance to clean up: the next start takes over.
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(5000));
    ASSERT_TRUE(startTessaly());
    EXPECT_EQ(tessalyWith({u"--quit"_s}).status, 0);
    ASSERT_TRUE(tessaly->waitForFinished(10000));

    // Two starts at the same moment: exactly one keeps running, and the other's request
    // reaches it.
    QProcess *one = start(QStringLiteral(TESSALY_EXECUTABLE));
    QProcess *other = start(QStringLiteral(TESSALY_EXECUTABLE));
    ASSERT_TRUE(waitUntil(
        [&] {
            return (one->state() == QProcess::NotRunning) !=
                   (other->state() == QProcess::NotRunning);
        },
        15000))
        << "one of the two ends";
    QProcess *ended = one->state() == QProcess::NotRunning ? one : other;
    QProcess *running = ended == one ? other : one;
    EXPECT_EQ(ended->exitCode(), 0);
    EXPECT_FALSE(waitUntil([&] { return running->state() == QProcess::NotRunning; }, 1000));
    EXPECT_EQ(tessalyWith({u"--quit"_s}).status, 0);
    EXPECT_TRUE(running->waitForFinished(10000));
}

TEST_F(CommandLineE2ETest, WithoutAGraphicalSessionItSaysSoAndEnds)
{
    QProcessEnvironment bare = environment;
    bare.remove(u"DISPLAY"_s);
    bare.remove(u"WAYLAND_DISPLAY"_s);
    bare.remove(u"QT_QPA_PLATFORM"_s);
    const Outcome outcome = tessalyWith({}, bare);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.startsWith(u"Tessaly: nenhuma sessão gráfica ao alcance"_s))
        << outcome.err.toStdString();
}
