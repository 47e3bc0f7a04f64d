#include "support/E2ETest.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

namespace tessaly::test {

E2ETest::E2ETest(QStringList programs)
    : m_requiredPrograms(QStringList{QStringLiteral("Xvfb"), QStringLiteral("openbox")} + programs)
{}

void E2ETest::SetUp()
{
    for (const QString &program : std::as_const(m_requiredPrograms)) {
        if (!XServer::hasProgram(program))
            GTEST_SKIP() << program.toStdString() << " is not installed";
    }
    ASSERT_TRUE(temp.isValid());
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();

    environment = server.environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), temp.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), temp.filePath(QStringLiteral("config")));
    const QString runtime = temp.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    skipWelcome();
}

void E2ETest::skipWelcome()
{
    // The program shows its welcome window on the very first launch; tests that look at it
    // remove this file.
    const QString config = temp.filePath(QStringLiteral("config/Tessaly"));
    QDir().mkpath(config);
    QFile file(config + QStringLiteral("/Tessaly.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nhasCompletedOnboarding=true\n");
}

void E2ETest::TearDown()
{
    for (auto &process : programs) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QProcess *E2ETest::start(const QString &program, const QStringList &arguments,
                         const QByteArray &input)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    EXPECT_TRUE(process->waitForStarted(5000)) << program.toStdString();
    if (!input.isNull()) {
        process->write(input);
        process->closeWriteChannel();
    }
    programs.push_back(std::move(process));
    return programs.back().get();
}

std::optional<QByteArray> E2ETest::waitForLaunchLine(QProcess *process, int timeoutMs)
{
    QByteArray log;
    if (!waitUntil(
            [&] {
                log += process->readAllStandardError();
                return log.contains('\n');
            },
            timeoutMs))
        return std::nullopt;
    return log;
}

} // namespace tessaly::test
