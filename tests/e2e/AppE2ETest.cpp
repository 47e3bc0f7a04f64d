// The tessaly executable on a private display: it records copies into its data directory and
// ends cleanly on a signal.

#include "X11TestClient.h"
#include "history/IndexCoding.h"
#include "history/PrivateFiles.h"
#include "hotkey/KeyPosition.h"
#include "support/E2ETest.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::E2ETest;
using tessaly::test::waitUntil;

namespace {

class AppE2ETest : public E2ETest
{
protected:
    AppE2ETest() : E2ETest({u"xclip"_s, u"xdotool"_s}) {}

    void SetUp() override
    {
        E2ETest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Desktop entries of this machine are not the test's business.
        environment.insert(u"XDG_DATA_DIRS"_s, temp.filePath(u"none"_s));
    }

    QProcess *startTessaly() { return start(QStringLiteral(TESSALY_EXECUTABLE)); }

    void xclip(const QByteArray &text)
    {
        start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-quiet"_s, u"-i"_s}, text);
    }

    // The launch line comes before the clipboard is watched: a copy made at that moment counts
    // as already on the clipboard at launch. Copies again until the running program records it.
    bool copyUntilRecorded(const QByteArray &text)
    {
        return waitUntil(
            [&] {
                xclip(text);
                return waitUntil([&] { return historyHolds(QString::fromUtf8(text)); }, 3000);
            },
            15000);
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
    const auto log = waitForLaunchLine(tessaly);
    ASSERT_TRUE(log);
    EXPECT_EQ(QString::fromUtf8(*log), u"Tessaly iniciado — pasteboard accessBehavior=n/a\n"_s);

    ASSERT_TRUE(copyUntilRecorded("copied while running"));
    EXPECT_FALSE(historyHolds(u"before launch"_s));
    EXPECT_EQ(tessaly::test::modeOf(historyDirectory()), 0700u);

    // A second copy of the program leaves at once, without a word, and the first runs on (and
    // shows its settings, closed here: copies made in the program's own window are skipped).
    QProcess *second = startTessaly();
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().isEmpty());
    EXPECT_EQ(tessaly->state(), QProcess::Running);
    const QStringList settingsWindow{u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                     u"^Ajustes do Tessaly$"_s};
    ASSERT_TRUE(waitUntil([&] { return server.run(u"xdotool"_s, settingsWindow, 5000) == 0; }));
    ASSERT_EQ(server.run(u"xdotool"_s, settingsWindow + QStringList{u"windowunmap"_s}, 5000), 0);
    ASSERT_TRUE(waitUntil([&] { return server.run(u"xdotool"_s, settingsWindow, 5000) != 0; }));

    // A copy whose reading is under way when the signal comes is still saved.
    QProcess *slow = start(QStringLiteral(TESSALY_CLIP_OWNER), {u"slow"_s});
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
    const auto v = other.keymap().x11KeyCode(KeyPosition::V);
    const auto modifiers = other.keymap().x11Modifiers(0x120000);
    ASSERT_TRUE(v && modifiers);
    ASSERT_TRUE(other.grabKey(*v, *modifiers));

    QProcess *tessaly = startTessaly();
    ASSERT_TRUE(waitForLaunchLine(tessaly));
    ASSERT_TRUE(copyUntilRecorded("recorded anyway"));
    EXPECT_EQ(tessaly->state(), QProcess::Running);
}

// In a Wayland session every window of the program goes through XWayland, where the X11 backend
// can place and watch it; the launch output says so once, and copies are recorded.
TEST_F(AppE2ETest, OnAWaylandSessionItRunsThroughXWayland)
{
    environment.insert(u"WAYLAND_DISPLAY"_s, u"wayland-tessaly-test"_s); // no compositor there
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    QProcess *tessaly = startTessaly();
    QByteArray log;
    ASSERT_TRUE(waitUntil(
        [&] {
            log += tessaly->readAllStandardError();
            return log.contains("XWayland");
        },
        15000))
        << log.toStdString();
    EXPECT_EQ(QString::fromUtf8(log).count(u"sessão Wayland — o Tessaly usa o XWayland"_s), 1)
        << log.toStdString();
    ASSERT_TRUE(copyUntilRecorded("copied under Wayland"));
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
