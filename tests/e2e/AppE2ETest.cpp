// The tessaly executable on a private display: it records copies into its data directory and
// ends cleanly on a signal.

#include "X11TestClient.h"
#include "history/IndexCoding.h"
#include "history/PrivateFiles.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::waitUntil;
using tessaly::test::XServer;

namespace {

class AppE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *program : {"Xvfb", "openbox", "xclip"}) {
            if (!XServer::hasProgram(QString::fromLatin1(program)))
                GTEST_SKIP() << program << " is not installed";
        }
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        environment = server.environment();
        environment.insert(u"XDG_DATA_HOME"_s, temp.filePath(u"data"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, temp.filePath(u"config"_s));
        QDir().mkpath(temp.filePath(u"runtime"_s));
        QFile::setPermissions(temp.filePath(u"runtime"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, temp.filePath(u"runtime"_s));
        // Desktop entries of this machine are not the test's business.
        environment.insert(u"XDG_DATA_DIRS"_s, temp.filePath(u"none"_s));
    }

    void TearDown() override
    {
        for (auto &process : programs) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess *startTessaly()
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(TESSALY_EXECUTABLE), {});
        EXPECT_TRUE(process->waitForStarted(5000));
        programs.push_back(std::move(process));
        return programs.back().get();
    }

    QProcess *spawn(const QString &program, const QStringList &arguments,
                    const QByteArray &input = {})
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        if (!input.isNull()) {
            process->write(input);
            process->closeWriteChannel();
        }
        programs.push_back(std::move(process));
        return programs.back().get();
    }

    void xclip(const QByteArray &text)
    {
        spawn(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-quiet"_s, u"-i"_s}, text);
    }

    void waitForLaunch(QProcess *tessaly)
    {
        QByteArray log;
        ASSERT_TRUE(waitUntil(
            [&] {
                log += tessaly->readAllStandardError();
                return log.contains('\n');
            },
            15000));
    }

    QString historyDirectory() const { return temp.filePath(u"data/Tessaly"_s); }

    QList<ClipItem> history() const
    {
        const auto bytes = PrivateFiles::readAll(historyDirectory() + u"/history.json"_s);
        return IndexCoding::decodeIndex(bytes.value_or("[]")).value_or(QList<ClipItem>{});
    }

    bool historyHolds(const QString &text) const
    {
        for (const ClipItem &item : history()) {
            if (item.text == text)
                return true;
        }
        return false;
    }

    QTemporaryDir temp;
    XServer server;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> programs;
};

} // namespace

TEST_F(AppE2ETest, RecordsCopiesAndEndsCleanlyOnASignal)
{
    // On the clipboard before the program starts: not recorded.
    xclip("before launch");
    ASSERT_TRUE(waitUntil([&] {
        QByteArray out;
        return server.run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s}, 5000, &out) ==
                   0 &&
               out == "before launch";
    }));

    QProcess *tessaly = startTessaly();
    QByteArray log;
    ASSERT_TRUE(waitUntil(
        [&] {
            log += tessaly->readAllStandardError();
            return log.contains('\n');
        },
        15000));
    EXPECT_EQ(QString::fromUtf8(log), u"Tessaly iniciado — pasteboard accessBehavior=n/a\n"_s);

    xclip("copied while running");
    ASSERT_TRUE(waitUntil([&] { return historyHolds(u"copied while running"_s); }, 10000));
    EXPECT_FALSE(historyHolds(u"before launch"_s));
    EXPECT_EQ(tessaly::test::modeOf(historyDirectory()), 0700u);

    // A second copy of the program leaves at once, without a word, and the first runs on.
    QProcess *second = startTessaly();
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().isEmpty());
    EXPECT_EQ(tessaly->state(), QProcess::Running);

    // A copy whose reading is under way when the signal comes is still saved.
    QProcess *slow = spawn(QStringLiteral(TESSALY_CLIP_OWNER), {u"slow"_s});
    QByteArray said;
    ASSERT_TRUE(waitUntil(
        [&] {
            said += slow->readAllStandardOutput();
            return said.contains("asked");
        },
        10000));
    ::kill(pid_t(tessaly->processId()), SIGTERM);
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    EXPECT_EQ(tessaly->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tessaly->exitCode(), 0);

    const QList<ClipItem> items = history();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].text, u"slow but sure"_s);
    for (const ClipItem &item : items) {
        const QString payload = historyDirectory() + u"/Items/"_s + uuidText(item.id) + u".plist"_s;
        EXPECT_TRUE(QFile::exists(payload)) << payload.toStdString();
    }
}

TEST_F(AppE2ETest, RunsOnWhenTheHotKeyIsTaken)
{
    test::X11TestClient other;
    ASSERT_TRUE(other.isValid());
    const auto v = other.keymap().x11KeyCode(9);
    const auto modifiers = other.keymap().x11Modifiers(0x120000);
    ASSERT_TRUE(v && modifiers);
    ASSERT_TRUE(other.grabKey(*v, *modifiers));

    QProcess *tessaly = startTessaly();
    waitForLaunch(tessaly);
    xclip("recorded anyway");
    ASSERT_TRUE(waitUntil([&] { return historyHolds(u"recorded anyway"_s); }, 15000));
    EXPECT_EQ(tessaly->state(), QProcess::Running);
}

TEST_F(AppE2ETest, EndsWithAMessageWithoutADisplayToWatch)
{
    environment.insert(u"DISPLAY"_s, u":9999"_s); // nothing there
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess *tessaly = startTessaly();
    ASSERT_TRUE(tessaly->waitForFinished(15000));
    EXPECT_EQ(tessaly->exitCode(), 1);
    const QString log = QString::fromUtf8(tessaly->readAllStandardError());
    EXPECT_TRUE(log.startsWith(u"Tessaly iniciado — pasteboard accessBehavior=n/a\n"_s));
    EXPECT_TRUE(log.contains(u"DISPLAY=:9999"_s)) << log.toStdString();
}
