// The capture path on a real X server: other processes own CLIPBOARD (xclip, and a helper that
// can misbehave), the program reads with its X11 clipboard and desktop, and the history files
// are checked.

#include "capture/ClipboardMonitor.h"
#include "history/HistoryStore.h"
#include "history/IndexCoding.h"
#include "history/PayloadCoding.h"
#include "history/PrivateFiles.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "platform/x11/XcbConnection.h"
#include "platform/xdg/DesktopEntries.h"
#include "settings/AppSettings.h"
#include "support/E2ETest.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::E2ETest;
using tessaly::test::waitUntil;

namespace {

const QString ownerProgram = QStringLiteral(TESSALY_CLIP_OWNER);

class CaptureE2ETest : public E2ETest
{
protected:
    CaptureE2ETest() : E2ETest({u"xclip"_s}) {}

    void SetUp() override
    {
        E2ETest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QDir().mkpath(temp.filePath(u"applications"_s));
        settings = std::make_unique<AppSettings>(temp.filePath(u"Tessaly.conf"_s));
        store = std::make_unique<HistoryStore>(temp.filePath(u"data/Tessaly"_s));
        store->setLimitProvider([] { return 50; });
        pasteboard = std::make_unique<X11Pasteboard>();
        ASSERT_TRUE(pasteboard->isValid());
    }

    void startMonitor()
    {
        entries = std::make_unique<DesktopEntries>(QStringList{temp.filePath(u"applications"_s)});
        workspace = std::make_unique<X11Workspace>(u"br.com.norvale.tessaly"_s, u"Tessaly"_s,
                                                   entries.get());
        monitor =
            std::make_unique<ClipboardMonitor>(*store, *settings, *pasteboard, workspace.get());
        monitor->setOwnBundleID(u"br.com.norvale.tessaly"_s);
        monitor->start();
        finished = std::make_unique<QSignalSpy>(monitor.get(), &ClipboardMonitor::readFinished);
    }

    void TearDown() override
    {
        monitor.reset();
        if (store)
            store->waitForPendingWrites();
        E2ETest::TearDown();
    }

    // Copies with xclip (which keeps serving until another copy takes over).
    void xclip(const QByteArray &input, const QString &target = {})
    {
        QStringList arguments = {u"-selection"_s, u"clipboard"_s, u"-quiet"_s, u"-i"_s};
        if (!target.isEmpty())
            arguments += {u"-t"_s, target};
        QProcess *process = server.spawn(u"xclip"_s, arguments);
        ASSERT_TRUE(process);
        process->write(input);
        process->closeWriteChannel();
    }

    // Starts the helper and waits until it says it is ready; answers its output so far.
    QProcess *owner(const QStringList &arguments, QByteArray *said = nullptr)
    {
        QProcess *process = server.spawn(ownerProgram, arguments);
        EXPECT_TRUE(process);
        if (!process)
            return nullptr;
        QByteArray out;
        const bool ready = waitUntil(
            [&] {
                out += process->readAllStandardOutput();
                return out.contains("ready\n");
            },
            10000);
        EXPECT_TRUE(ready) << "helper did not start";
        if (said)
            *said = out;
        return process;
    }

    // Waits for the next reading to finish; answers whether it was recorded.
    std::optional<bool> nextReading(int timeoutMs = 10000)
    {
        const qsizetype before = consumed;
        if (!waitUntil([&] { return finished->count() > before; }, timeoutMs))
            return std::nullopt;
        ++consumed;
        return finished->at(before).at(1).toBool();
    }

    const ClipItem &newest() const { return store->items().constFirst(); }

    ClipPayload payloadOf(const ClipItem &item)
    {
        store->waitForPendingWrites();
        const auto bytes = PrivateFiles::readAll(store->payloadPath(item.id));
        EXPECT_TRUE(bytes);
        return PayloadCoding::decode(bytes.value_or(QByteArray())).value_or(ClipPayload{});
    }

    QList<ClipItem> indexOnDisk()
    {
        store->waitForPendingWrites();
        return IndexCoding::decodeIndex(PrivateFiles::readAll(store->indexPath()).value_or(""))
            .value_or(QList<ClipItem>{});
    }

    void activateProbe(const QStringList &extra = {})
    {
        QByteArray said;
        owner(QStringList{u"window"_s, u"TessalyProbe"_s, u"tessaly-probe"_s} + extra, &said);
        probeWindow = said.mid(said.indexOf("window ") + 7).split('\n').value(0).toUInt();
        ASSERT_NE(probeWindow, 0u);
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto front = workspace->frontmostApplication();
                return front && front->windowID == probeWindow;
            },
            10000))
            << "the probe window never became active";
    }

    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<X11Pasteboard> pasteboard;
    std::unique_ptr<DesktopEntries> entries;
    std::unique_ptr<X11Workspace> workspace;
    std::unique_ptr<ClipboardMonitor> monitor;
    std::unique_ptr<QSignalSpy> finished;
    qsizetype consumed = 0;
    quint32 probeWindow = 0;
};

} // namespace

TEST_F(CaptureE2ETest, XclipCopiesBecomeEntriesWithTheirSource)
{
    startMonitor();
    activateProbe();

    xclip("Olá, mundo — texto copiado\n");
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::Text);
    EXPECT_EQ(newest().text, u"Olá, mundo — texto copiado\n"_s);
    EXPECT_EQ(newest().sourceBundleID, u"TessalyProbe"_s);
    EXPECT_EQ(newest().sourceAppName, u"TessalyProbe"_s);
    EXPECT_EQ(payloadOf(newest()).items.value(0).value(u"UTF8_STRING"_s),
              "Olá, mundo — texto copiado\n"_ba);

    xclip("https://example.com/caminho?q=1");
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::Link);

    xclip(" #1A2b3C\n");
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::Color);

    const QByteArray png = test::pngBytes(1600, 900, QColor(30, 120, 200));
    xclip(png, u"image/png"_s);
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::Image);
    EXPECT_EQ(newest().imageWidth, 1600);
    EXPECT_EQ(newest().imageHeight, 900);
    EXPECT_EQ(newest().contentHash, ClipboardReader::hash(png));
    EXPECT_EQ(payloadOf(newest()).items.value(0).value(u"image/png"_s), png);
    const QImage thumbnail(store->thumbnailPath(newest().id));
    EXPECT_EQ(thumbnail.size(), QSize(720, 405));

    const QString file = temp.filePath(u"Relatório final.txt"_s);
    QFile(file).open(QIODevice::WriteOnly);
    xclip(QUrl::fromLocalFile(file).toEncoded() + "\r\n", u"text/uri-list"_s);
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::File);
    EXPECT_EQ(newest().filePaths, QStringList{file});
    EXPECT_EQ(newest().text, u"Relatório final.txt"_s);

    // The index on disk holds the five entries, newest first, each with its snapshot file.
    const QList<ClipItem> index = indexOnDisk();
    ASSERT_EQ(index.size(), 5);
    EXPECT_EQ(index, store->items());
    for (const ClipItem &item : index)
        EXPECT_TRUE(QFile::exists(store->payloadPath(item.id)));
    EXPECT_EQ(index[0].kind, ClipKind::File);
    EXPECT_EQ(index[4].kind, ClipKind::Text);
}

TEST_F(CaptureE2ETest, SourceIsTheDesktopEntryOfTheActiveWindow)
{
    QFile entry(temp.filePath(u"applications/org.example.Probe.desktop"_s));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Probe\nName[pt_BR]=Sonda\n"
                "Exec=probe\nStartupWMClass=TessalyProbe\n");
    entry.close();
    startMonitor();
    activateProbe({u"--dialog"_s});

    const auto front = workspace->frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleID, u"org.example.Probe"_s) << "the dialog counts as its main window";
    EXPECT_EQ(front->localizedName, u"Sonda"_s);
    EXPECT_GT(front->processID, 0);

    xclip("from the probe");
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().sourceBundleID, u"org.example.Probe"_s);
    EXPECT_EQ(newest().sourceAppName, u"Sonda"_s);

    // An ignored application's copies are not recorded.
    settings->setIgnoredBundleIDs({u"org.example.Probe"_s});
    xclip("ignored");
    ASSERT_EQ(nextReading(), false);
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(CaptureE2ETest, ApplicationIdComesFromTheWindowWhenItHasOne)
{
    startMonitor();
    activateProbe({u"--gtk-id"_s, u"org.example.GtkProbe"_s});
    const auto front = workspace->frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleID, u"org.example.GtkProbe"_s);
    EXPECT_EQ(front->localizedName, u"TessalyProbe"_s);
}

TEST_F(CaptureE2ETest, CopiesWhileTheProgramsOwnWindowIsActiveAreNotRecorded)
{
    startMonitor();
    // A window of this very process, made active.
    x11::Connection connection;
    xcb_connection_t *c = connection.get();
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection.root(), 50, 50, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const quint32 pid = quint32(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, connection.atom(u"_NET_WM_PID"_s),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 16,
                        "tessaly\0Tessaly\0");
    xcb_map_window(c, window);
    xcb_flush(c);
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto front = workspace->frontmostApplication();
            return front && front->bundleID == u"br.com.norvale.tessaly"_s;
        },
        10000));

    xclip("copied inside Tessaly");
    ASSERT_EQ(nextReading(), false);
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(CaptureE2ETest, AnOwnerWithManyTargetsIsSnapshottedWhole)
{
    // Hundreds of conversions: room for a loaded machine.
    pasteboard->setReadingBudget(std::chrono::milliseconds(10000));
    startMonitor();
    const QByteArray binary("\x00\x01\xfe\xff binary\x00", 12);
    QFile file(temp.filePath(u"binary"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(binary);
    file.close();

    owner({u"serve"_s, u"text/plain;charset=utf-8:=Plain café"_s, u"UTF8_STRING:=Plain café"_s,
           u"text/html:=<b>Plain café</b>"_s, u"application/x-custom:=@"_s + file.fileName(),
           u"--dummy-types"_s, u"300"_s});
    ASSERT_EQ(nextReading(), true);
    const ClipItem item = newest();
    EXPECT_EQ(item.text, u"Plain café"_s);
    EXPECT_TRUE(item.hasRichText);
    const PayloadItem snapshot = payloadOf(item).items.value(0);
    EXPECT_EQ(snapshot.size(), 304);
    EXPECT_EQ(snapshot.value(u"application/x-custom"_s), binary) << "bytes exactly as offered";
    EXPECT_EQ(snapshot.value(u"text/html"_s), "<b>Plain café</b>"_ba);
    EXPECT_EQ(snapshot.value(u"application/x-dummy-299"_s), "299"_ba);
    EXPECT_FALSE(snapshot.contains(u"TARGETS"_s));
    EXPECT_EQ(item.byteSize, snapshot.byteSize());
}

TEST_F(CaptureE2ETest, ConcealedCopiesFollowTheSetting)
{
    startMonitor();
    owner({u"serve"_s, u"UTF8_STRING:=hunter2"_s, u"x-kde-passwordManagerHint:=secret"_s});
    ASSERT_EQ(nextReading(), false);

    settings->setIgnoreConcealed(false);
    owner({u"serve"_s, u"UTF8_STRING:=hunter3"_s, u"x-kde-passwordManagerHint:=secret"_s});
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"hunter3"_s);

    owner({u"serve"_s, u"UTF8_STRING:=generated"_s, u"org.nspasteboard.TransientType:="_s});
    ASSERT_EQ(nextReading(), false);
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(CaptureE2ETest, AStallingOwnerCostsAtMostItsBudgetAndNeverTheMainThread)
{
    startMonitor();
    // The main thread's responsiveness, sampled every 5 ms.
    QElapsedTimer sinceLast;
    qint64 longestGap = 0;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceLast.restart()); });
    sinceLast.start();
    sampler.start(5);

    // A budget well above any scheduling hiccup, so that what ends the reading is clearly the
    // budget, and a blocked main thread would show a gap as long.
    pasteboard->setReadingBudget(std::chrono::milliseconds(2000));
    QElapsedTimer elapsed;
    elapsed.start();
    owner({u"stall"_s});
    ASSERT_EQ(nextReading(), false);
    EXPECT_GE(elapsed.elapsed(), 1900);
    EXPECT_LT(elapsed.elapsed(), 6000);
    EXPECT_LT(longestGap, 1000) << "the main thread was blocked";

    // The worker is free again: the next copy is recorded promptly.
    xclip("after the stall");
    ASSERT_EQ(nextReading(3000), true);
    EXPECT_EQ(newest().text, u"after the stall"_s);
}

TEST_F(CaptureE2ETest, BrokenOwnersLeaveNothingBehind)
{
    startMonitor();
    owner({u"garbage-targets"_s});
    ASSERT_EQ(nextReading(), false);

    // The owner's death, not the budget, ends the reading.
    pasteboard->setReadingBudget(std::chrono::milliseconds(8000));
    QElapsedTimer elapsed;
    elapsed.start();
    QProcess *dying = owner({u"die-mid-transfer"_s});
    ASSERT_EQ(nextReading(), false);
    EXPECT_LT(elapsed.elapsed(), 5000);
    // Its exit leaves the clipboard without an owner: a change with nothing to read.
    ASSERT_TRUE(waitUntil([&] { return dying->state() == QProcess::NotRunning; }));
    ASSERT_EQ(nextReading(), false);

    // Atoms that do not exist are skipped; what is real is read.
    owner({u"bogus-atoms"_s});
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"survivor"_s);
    EXPECT_EQ(payloadOf(newest()).items.value(0).types(), QStringList{u"UTF8_STRING"_s});
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(CaptureE2ETest, AHundredMegabyteTargetIsAbandonedPastTheLimit)
{
    // The limit, not the budget, must be what stops the transfer.
    pasteboard->setReadingBudget(std::chrono::milliseconds(20000));
    startMonitor();
    QByteArray said;
    QProcess *endless = owner({u"endless"_s}, &said);
    ASSERT_TRUE(endless);
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"small"_s);
    const PayloadItem snapshot = payloadOf(newest()).items.value(0);
    EXPECT_EQ(snapshot.types(), QStringList{u"UTF8_STRING"_s});

    // The owner reports how much it sent before the transfer stopped.
    ASSERT_TRUE(waitUntil(
        [&] {
            said += endless->readAllStandardOutput();
            return said.contains("sent ");
        },
        15000));
    const qint64 sent = said.mid(said.indexOf("sent ") + 5).split('\n').value(0).toLongLong();
    EXPECT_GE(sent, ClipboardReader::largestRepresentation);
    EXPECT_LE(sent, ClipboardReader::largestRepresentation + 2 * 256 * 1024);
}

TEST_F(CaptureE2ETest, OddContentGetsASafeOutcome)
{
    startMonitor();
    // Invalid UTF-8 in the preferred flavour: the next flavour that decodes is the text.
    QFile bad(temp.filePath(u"bad"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("caf\xe9 \xff\xfe");
    bad.close();
    owner({u"serve"_s, u"UTF8_STRING:=@"_s + bad.fileName(), u"text/plain;charset=utf-8:=café"_s});
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"café"_s);

    // Only invalid UTF-8: recorded with replacement characters, the bytes kept as they were.
    owner({u"serve"_s, u"UTF8_STRING:=@"_s + bad.fileName()});
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"caf\ufffd \ufffd\ufffd"_s);
    EXPECT_EQ(payloadOf(newest()).items.value(0).value(u"UTF8_STRING"_s), "caf\xe9 \xff\xfe"_ba);

    // A URI list with other schemes, other hosts and malformed lines keeps only local files.
    xclip("# a comment\r\nhttps://example.com/x\r\nfile://elsewhere/etc/passwd\r\n"
          "file:///tmp/a%20b.txt\r\n::not a url::\r\nfile://localhost/tmp/c\r\n",
          u"text/uri-list"_s);
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::File);
    EXPECT_EQ(newest().filePaths, (QStringList{u"/tmp/a b.txt"_s, u"/tmp/c"_s}));

    // No local file at all: with no string either, nothing is recorded.
    xclip("https://example.com/only\r\n", u"text/uri-list"_s);
    ASSERT_EQ(nextReading(), false);

    // An image that does not decode is recorded without thumbnail and size.
    owner({u"serve"_s, u"image/png:=this is not a png"_s});
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().kind, ClipKind::Image);
    EXPECT_FALSE(newest().imageWidth);
    store->waitForPendingWrites();
    EXPECT_FALSE(QFile::exists(store->thumbnailPath(newest().id)));
}

TEST_F(CaptureE2ETest, QuickSuccessiveCopiesAreEachRecorded)
{
    startMonitor();
    // Each announced change is read at once: the second copy follows the first well within one
    // polling interval, and both are kept. (The benchmark times copies 50 ms apart; here the
    // second waits for the first reading, so that a loaded machine cannot make the test fail.)
    xclip("first of two");
    ASSERT_EQ(nextReading(), true);
    xclip("second of two");
    ASSERT_EQ(nextReading(), true);
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items()[0].text, u"second of two"_s);
    EXPECT_EQ(store->items()[1].text, u"first of two"_s);
}

TEST_F(CaptureE2ETest, TheLastOfTwoBackToBackCopiesIsAlwaysRecordedAndItsOwnerLives)
{
    startMonitor();
    // xclip as a script uses it: it takes the selection, leaves a child serving it and returns;
    // the second copy starts right after. Whatever becomes of the first one's reading, the
    // copy the clipboard holds in the end must reach the history, and its owner must survive
    // being read (the text is still on the clipboard for everybody else).
    const auto copyAndReturn = [&](const QByteArray &text) {
        QProcess xclip;
        xclip.setProcessEnvironment(server.environment());
        xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s});
        xclip.write(text);
        xclip.closeWriteChannel();
        return xclip.waitForFinished(10000) && xclip.exitCode() == 0;
    };
    const auto holds = [&](const QString &text) {
        return std::any_of(store->items().cbegin(), store->items().cend(),
                           [&](const ClipItem &item) { return item.text == text; });
    };
    constexpr int pairs = 300;
    int secondsKept = 0;
    int firstsKept = 0;
    int firstsLast = 0;
    for (int pair = 0; pair < pairs; ++pair) {
        const QByteArray first = "first " + QByteArray::number(pair);
        const QByteArray second = "second " + QByteArray::number(pair);
        ASSERT_TRUE(copyAndReturn(first));
        ASSERT_TRUE(copyAndReturn(second));
        // What the clipboard holds once the copies stop is in the history, and its owner is
        // alive to hand it out. That is the second copy, unless the first xclip's own
        // ownership request, which its background child sends late, came after it.
        QByteArray onClipboard;
        ASSERT_TRUE(waitUntil(
            [&] {
                return server.run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s}, 5000,
                                  &onClipboard) == 0 &&
                       holds(QString::fromLatin1(onClipboard));
            },
            5000))
            << "pair " << pair << ": the clipboard holds \"" << onClipboard.constData()
            << "\", which was not recorded (or nothing, its owner gone)";
        ASSERT_TRUE(onClipboard == second || onClipboard == first) << onClipboard.constData();
        secondsKept += holds(QString::fromLatin1(second));
        firstsKept += holds(QString::fromLatin1(first));
        firstsLast += onClipboard == first;
        waitUntil([] { return false; }, 10); // a short pause between pairs
    }
    std::printf("back-to-back pairs: second kept %d/%d, first kept %d/%d, first copy owning the "
                "clipboard last %d/%d\n",
                secondsKept, pairs, firstsKept, pairs, firstsLast, pairs);
}

TEST_F(CaptureE2ETest, WritesAreServedWhileTheMainThreadIsBusy)
{
    startMonitor();
    xclip("someone else's");
    ASSERT_EQ(nextReading(), true);

    // The paste service's write: the count moves once, at once, and the server's report of the
    // new ownership does not move it again.
    const qint64 before = pasteboard->changeCount();
    const QByteArray png =
        test::pngBytes(2000, 1500, QColor(30, 120, 200)) + QByteArray(3 * 1024 * 1024, 'x');
    PayloadItem item;
    item.insert(u"UTF8_STRING"_s, "pasted back"_ba);
    item.insert(u"image/png"_s, png);
    item.insert(u"application/x-custom"_s, QByteArray("\0\1\2", 3));
    pasteboard->clearContents();
    pasteboard->writeItems({item});
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    monitor->setOwnChangeCount(pasteboard->changeCount());

    // Another application reads it, while this thread waits without running its event loop.
    QProcess reader;
    reader.setProcessEnvironment(server.environment());
    reader.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, u"image/png"_s});
    ASSERT_TRUE(reader.waitForFinished(10000));
    EXPECT_EQ(reader.readAllStandardOutput(), png) << "large data goes in pieces (INCR)";

    QByteArray out;
    ASSERT_EQ(server.run(u"xclip"_s,
                         {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, u"TARGETS"_s}, 10000,
                         &out),
              0);
    EXPECT_TRUE(out.contains("application/x-custom")) << out.constData();
    EXPECT_TRUE(out.contains("TIMESTAMP"));
    ASSERT_EQ(server.run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s}, 10000, &out), 0);
    EXPECT_EQ(out, "pasted back"_ba);

    // Nothing of this was captured, and the count stayed.
    QCoreApplication::processEvents();
    EXPECT_FALSE(nextReading(500));
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    EXPECT_EQ(store->items().size(), 1);

    // A plain string is offered under the usual text targets.
    pasteboard->clearContents();
    pasteboard->setString(u"só texto ✓"_s);
    monitor->setOwnChangeCount(pasteboard->changeCount());
    ASSERT_EQ(server.run(u"xclip"_s,
                         {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s,
                          u"text/plain;charset=utf-8"_s},
                         10000, &out),
              0);
    EXPECT_EQ(QString::fromUtf8(out), u"só texto ✓"_s);
    ASSERT_EQ(server.run(u"xclip"_s,
                         {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, u"STRING"_s}, 10000,
                         &out),
              0);
    EXPECT_EQ(out, "s\xf3 texto ?"_ba);

    // A copy by another application right after is recorded.
    xclip("copied after the paste");
    ASSERT_EQ(nextReading(), true);
    EXPECT_EQ(newest().text, u"copied after the paste"_s);
    EXPECT_EQ(pasteboard->changeCount(), before + 3);

    // Clearing alone empties the clipboard once the event loop runs.
    pasteboard->clearContents();
    monitor->setOwnChangeCount(pasteboard->changeCount());
    EXPECT_EQ(pasteboard->changeCount(), before + 4);
    ASSERT_TRUE(waitUntil([&] {
        QByteArray targets;
        server.run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, u"TARGETS"_s},
                   5000, &targets);
        return targets.contains("TIMESTAMP") && !targets.contains("UTF8_STRING");
    }));
    EXPECT_NE(server.run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s}, 5000), 0);
    EXPECT_FALSE(nextReading(300));
}
