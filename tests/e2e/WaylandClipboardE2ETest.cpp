// The Wayland clipboard against real compositors, headless sway (wlroots) and kwin_wayland (KDE
// Plasma), both through data-control, with wl-clipboard's wl-copy and wl-paste as the other
// application.

#include "platform/wayland/WaylandPasteboard.h"
#include "support/TestSupport.h"
#include "support/WaylandCompositor.h"
#include "support/XServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

using Compositor = test::WaylandCompositor::Kind;

class WaylandClipboardE2ETest : public ::testing::TestWithParam<Compositor>
{
protected:
    void SetUp() override
    {
        for (const QString &program : {u"wl-copy"_s, u"wl-paste"_s}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                GTEST_SKIP() << program.toStdString() << " is not installed";
        }
        if (!test::WaylandCompositor::isAvailable(GetParam()))
            GTEST_SKIP() << compositor.nameOf(GetParam()).toStdString() << " is not installed";
        ASSERT_TRUE(compositor.start()) << compositor.errorString().toStdString();
        // The clients find the compositor as any application would.
        compositor.exportToEnvironment();
    }

    void TearDown() override
    {
        for (const auto &process : owners) {
            process->kill();
            process->waitForFinished(2000);
        }
        QProcess::execute(u"pkill"_s, {u"-f"_s, u"wl-copy"_s});
    }

    // Runs wl-copy or wl-paste against the compositor; the output when asked for.
    int client(const QString &program, const QStringList &arguments, const QByteArray &input = {},
               QByteArray *output = nullptr)
    {
        QProcess process;
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(10000))
            return -1;
        if (output)
            *output = process.readAllStandardOutput();
        return process.exitCode();
    }

    // Copies with wl-copy until the pasteboard has seen the change.
    bool copy(WaylandPasteboard &pasteboard, const QStringList &arguments, const QByteArray &input)
    {
        const qint64 before = pasteboard.changeCount();
        return client(u"wl-copy"_s, arguments, input) == 0 &&
               test::waitUntil([&] { return pasteboard.changeCount() > before; }, 5000);
    }

    // Starts the tests' own owner (offer TYPE::TEXT… or stall TYPE…) and waits until its offer is
    // the selection.
    QProcess *owner(const QStringList &arguments)
    {
        auto *process = new QProcess;
        owners.emplace_back(process);
        process->start(QStringLiteral(TESSALY_WAYLAND_OWNER), arguments);
        const bool ready = test::waitUntil(
            [&] { return process->canReadLine() && process->readLine().startsWith("ready"); },
            5000);
        return ready ? process : nullptr;
    }

    QTemporaryDir temp;
    std::vector<std::unique_ptr<QProcess>> owners;
    test::WaylandCompositor compositor{GetParam()};
};

} // namespace

// Text, an image and a file list copied elsewhere are read type by type, exactly as offered;
// a type longer than asked for is given up on, and a larger limit reads it again.
TEST_P(WaylandClipboardE2ETest, ReadsWhatAnotherClientOffers)
{
    WaylandPasteboard pasteboard;
    ASSERT_TRUE(pasteboard.isValid());
    EXPECT_EQ(pasteboard.protocolName(), u"wlr-data-control-unstable-v1"_s);

    ASSERT_TRUE(copy(pasteboard, {u"--"_s, u"ação e café"_s}, {}));
    auto reading = pasteboard.openReading();
    EXPECT_TRUE(reading->types().contains(u"text/plain;charset=utf-8"_s))
        << reading->types().join(u' ').toStdString();
    EXPECT_EQ(reading->string(1 << 20), u"ação e café"_s);
    EXPECT_FALSE(reading->data(u"text/plain;charset=utf-8"_s, 4));
    EXPECT_EQ(reading->data(u"text/plain;charset=utf-8"_s, 100), u"ação e café"_s.toUtf8());
    EXPECT_FALSE(reading->isInterrupted());

    const QByteArray png = test::pngBytes(64, 48, Qt::darkCyan);
    ASSERT_TRUE(copy(pasteboard, {u"--type"_s, u"image/png"_s}, png));
    reading = pasteboard.openReading();
    EXPECT_EQ(reading->types(), QStringList{u"image/png"_s});
    EXPECT_EQ(reading->data(u"image/png"_s, 25 << 20), png);

    const QByteArray list = "file:///etc/hostname\r\nfile:///etc/os-release\r\n";
    ASSERT_TRUE(copy(pasteboard, {u"--type"_s, u"text/uri-list"_s}, list));
    reading = pasteboard.openReading();
    EXPECT_EQ(reading->fileURLs(1 << 20),
              (QList<QUrl>{QUrl(u"file:///etc/hostname"_s), QUrl(u"file:///etc/os-release"_s)}));
}

// What the program writes back is what another client then pastes, type by type and byte for
// byte; the program's own write counts as one change and is not read back as another
// application's.
TEST_P(WaylandClipboardE2ETest, WritesBackEveryTypeAndKnowsItsOwnOffer)
{
    WaylandPasteboard pasteboard;
    ASSERT_TRUE(pasteboard.isValid());
    ASSERT_TRUE(copy(pasteboard, {u"--"_s, u"before"_s}, {}));

    PayloadItem item;
    item.insert(u"text/plain;charset=utf-8"_s, u"devolvido ✓"_s.toUtf8());
    item.insert(u"image/png"_s, test::pngBytes(64, 48, Qt::darkCyan));
    item.insert(u"application/x-tessaly-test"_s, QByteArray("\0\1\2 binary", 10));
    const qint64 before = pasteboard.changeCount();
    pasteboard.clearContents();
    pasteboard.writeItems({item});
    EXPECT_EQ(pasteboard.changeCount(), before + 1);

    QByteArray types;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return client(u"wl-paste"_s, {u"--list-types"_s}, {}, &types) == 0 &&
                   types.contains("image/png");
        },
        5000))
        << types.toStdString();
    for (const auto &[type, bytes] : item.representations()) {
        QByteArray pasted;
        EXPECT_EQ(client(u"wl-paste"_s, {u"--no-newline"_s, u"--type"_s, type}, {}, &pasted), 0);
        EXPECT_EQ(pasted, bytes) << type.toStdString();
    }
    // The compositor's report of the program's own offer came and went without a change.
    QCoreApplication::processEvents();
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_TRUE(pasteboard.openReading()->types().isEmpty());
    auto own = pasteboard.openReading(Pasteboard::ContentsOf::AnyApplication);
    EXPECT_EQ(own->data(u"application/x-tessaly-test"_s, 1 << 20), QByteArray("\0\1\2 binary", 10));
    EXPECT_FALSE(own->types().contains(u"application/x-tessaly-owner"_s));

    // An owner that never answers costs one reading its budget, and nothing more.
    ASSERT_TRUE(owner({u"stall"_s, u"text/plain;charset=utf-8"_s}));
    ASSERT_TRUE(test::waitUntil([&] { return !pasteboard.openReading()->types().isEmpty(); }));
    QElapsedTimer timer;
    timer.start();
    auto stalled = pasteboard.openReading();
    EXPECT_FALSE(stalled->string(100));
    EXPECT_TRUE(stalled->isInterrupted());
    EXPECT_FALSE(stalled->data(u"text/plain;charset=utf-8"_s, 100)); // not asked again
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_GE(timer.elapsed(), 900);

    // Another client's copy takes over, and counts.
    ASSERT_TRUE(copy(pasteboard, {u"--"_s, u"after"_s}, {}));
    EXPECT_EQ(pasteboard.openReading()->string(100), u"after"_s);
}

// The program in a Wayland session: its windows on XWayland (a private X display here), its
// clipboard the compositor's. A copy in a native application is recorded, and an entry chosen in
// the panel is what the next native paste gets.
TEST_P(WaylandClipboardE2ETest, TheProgramRecordsAndPastesThroughTheCompositor)
{
    test::XServer server;
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    QDir().mkpath(temp.filePath(u"config/Tessaly"_s));
    QFile settings(temp.filePath(u"config/Tessaly/Tessaly.conf"_s));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nhasCompletedOnboarding=true\n");
    settings.close();
    QProcessEnvironment environment = server.environment();
    environment.insert(u"XDG_DATA_HOME"_s, temp.filePath(u"data"_s));
    environment.insert(u"XDG_CONFIG_HOME"_s, temp.filePath(u"config"_s));
    // A runtime folder of its own (the compositor's belongs to another user), the compositor by
    // the full path of its socket.
    const QString ownRuntime = temp.filePath(u"tessaly-runtime"_s);
    QDir().mkpath(ownRuntime);
    QFile::setPermissions(ownRuntime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess::execute(u"chown"_s, {u"%1:%2"_s.arg(geteuid()).arg(getegid()), ownRuntime});
    environment.insert(u"XDG_RUNTIME_DIR"_s, ownRuntime);
    environment.insert(u"WAYLAND_DISPLAY"_s, compositor.socketPath());
    environment.remove(u"QT_QPA_PLATFORM"_s);
    // A sanitizer's slowdown stretches every stretch of work alike.
    environment.insert(u"TESSALY_REPORT_STALLS"_s, QString::number(50 * test::slowdown()));

    QProcess tessaly;
    tessaly.setProcessEnvironment(environment);
    tessaly.start(QStringLiteral(TESSALY_EXECUTABLE), {});
    QByteArray log;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            log += tessaly.readAllStandardError();
            return log.contains("janelas pelo XWayland");
        },
        15000))
        << log.toStdString();
    EXPECT_TRUE(log.contains("área de transferência por wlr-data-control-unstable-v1"));

    const QString index = temp.filePath(u"data/Tessaly/history.json"_s);
    const auto recorded = [&](const QByteArray &text) {
        return test::waitUntil(
            [&] {
                QFile file(index);
                return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
            },
            5000);
    };
    ASSERT_EQ(client(u"wl-copy"_s, {u"--"_s, u"primeira cópia nativa"_s}), 0);
    ASSERT_TRUE(recorded("primeira cópia nativa"));
    ASSERT_EQ(client(u"wl-copy"_s, {u"--"_s, u"segunda cópia nativa"_s}), 0);
    ASSERT_TRUE(recorded("segunda cópia nativa"));

    // The panel on the X display; the second row is the first copy.
    QProcess toggle;
    toggle.setProcessEnvironment(environment);
    toggle.start(QStringLiteral(TESSALY_EXECUTABLE), {u"--toggle"_s});
    ASSERT_TRUE(toggle.waitForFinished(10000));
    QByteArray found;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return server.run(u"xdotool"_s,
                              {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tessaly$"_s}, 5000,
                              &found) == 0;
        },
        10000));
    server.run(u"xdotool"_s, {u"key"_s, u"Down"_s});
    server.run(u"xdotool"_s, {u"key"_s, u"Return"_s});
    QByteArray pasted;
    EXPECT_TRUE(test::waitUntil(
        [&] {
            return client(u"wl-paste"_s, {u"--no-newline"_s}, {}, &pasted) == 0 &&
                   pasted == u"primeira cópia nativa"_s.toUtf8();
        },
        5000))
        << pasted.toStdString();

    // A concealed secret is not recorded; an owner that never answers freezes nothing; the next
    // copy is recorded as ever. (The panel was built and shown: its costs are behind us.)
    log += tessaly.readAllStandardError();
    const qsizetype hostileFrom = log.size();
    ASSERT_TRUE(owner({u"offer"_s, u"text/plain;charset=utf-8::senha secreta"_s,
                       u"x-kde-passwordManagerHint::secret"_s}));
    ASSERT_TRUE(owner({u"stall"_s, u"text/plain;charset=utf-8"_s, u"text/uri-list"_s}));
    test::waitUntil([] { return false; }, 1500); // the stalled reading has its time
    ASSERT_EQ(client(u"wl-copy"_s, {u"--"_s, u"depois do dono parado"_s}), 0);
    ASSERT_TRUE(recorded("depois do dono parado"));
    QFile file(index);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("senha secreta"));
    log += tessaly.readAllStandardError();
    EXPECT_FALSE(log.mid(hostileFrom).contains("linha principal parada")) << log.toStdString();

    tessaly.terminate();
    EXPECT_TRUE(tessaly.waitForFinished(10000));
    EXPECT_EQ(tessaly.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Compositors, WaylandClipboardE2ETest,
                         ::testing::Values(Compositor::Sway, Compositor::KWin),
                         [](const ::testing::TestParamInfo<Compositor> &info) {
                             return info.param == Compositor::Sway ? "Sway" : "KWin";
                         });
