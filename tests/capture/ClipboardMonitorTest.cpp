#include "capture/ClipboardMonitor.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "history/HistoryStore.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::FakePasteboard;
using tessaly::test::FakeWorkspace;
using tessaly::test::waitUntil;

namespace {

class ClipboardMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        settings = std::make_unique<AppSettings>(temp.filePath(QStringLiteral("Tessaly.conf")));
        store = std::make_unique<HistoryStore>(temp.filePath(QStringLiteral("Tessaly")));
        store->setLimitProvider([] { return 50; });
        workspace.setFrontmost(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
    }

    std::unique_ptr<ClipboardMonitor> makeMonitor()
    {
        auto monitor =
            std::make_unique<ClipboardMonitor>(*store, *settings, pasteboard, &workspace);
        monitor->setOwnBundleID(QStringLiteral("br.com.norvale.tessaly"));
        return monitor;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const ClipItem &item : store->items())
            result.append(item.textString().value_or(QString()));
        return result;
    }

    // Ticks and waits until the reading it started (if any) has reached the store.
    void tickAndSettle(ClipboardMonitor &monitor)
    {
        QSignalSpy finished(&monitor, &ClipboardMonitor::readFinished);
        const int opened = pasteboard.readingsOpened();
        monitor.tick();
        if (pasteboard.readingsOpened() != opened) {
            ASSERT_TRUE(waitUntil([&] { return finished.count() > 0; }));
        }
    }

    QTemporaryDir temp;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HistoryStore> store;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;
};

} // namespace

TEST_F(ClipboardMonitorTest, WhatIsOnTheClipboardAtLaunchIsNotRecorded)
{
    pasteboard.copyText(QStringLiteral("before launch"));
    auto monitor = makeMonitor();
    monitor->start();
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(monitor->ownChangeCount(), -1);
    tickAndSettle(*monitor);
    EXPECT_EQ(pasteboard.readingsOpened(), 0) << "a tick without a change reads nothing";
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(ClipboardMonitorTest, AnnouncedCopiesAreEachRecordedWithTheirSource)
{
    auto monitor = makeMonitor();
    monitor->start();
    QSignalSpy finished(monitor.get(), &ClipboardMonitor::readFinished);
    // Two copies in quick succession, each announced: both are read, in order.
    pasteboard.copyText(QStringLiteral("first"));
    pasteboard.copyText(QStringLiteral("second"));
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 2; }));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
    EXPECT_EQ(store->items()[0].sourceBundleID, QStringLiteral("org.example.Editor"));
    EXPECT_EQ(store->items()[0].sourceAppName, QStringLiteral("Editor"));
    EXPECT_EQ(finished[0][0].toLongLong(), 1);
    EXPECT_EQ(finished[1][0].toLongLong(), 2);

    // Copying the first again refreshes it instead of adding an entry.
    pasteboard.copyText(QStringLiteral("first"));
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 3; }));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

TEST_F(ClipboardMonitorTest, UnannouncedChangesBetweenTicksCountAsOne)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->start();
    pasteboard.copyText(QStringLiteral("lost"));
    pasteboard.copyText(QStringLiteral("kept"));
    tickAndSettle(*monitor);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("kept")});
    EXPECT_EQ(pasteboard.readingsOpened(), 1);
}

TEST_F(ClipboardMonitorTest, TheTimerFindsChangesThatWereNotAnnounced)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->setInterval(std::chrono::milliseconds(5));
    monitor->start();
    pasteboard.copyText(QStringLiteral("polled"));
    EXPECT_TRUE(waitUntil([&] { return !store->items().isEmpty(); }, 3000));
}

TEST_F(ClipboardMonitorTest, OwnWritesAreSkippedAndLaterCopiesRecorded)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->start();
    // The paste service writes and tells the monitor, before any tick can run.
    pasteboard.clearContents();
    pasteboard.setString(QStringLiteral("pasted back"));
    monitor->setOwnChangeCount(pasteboard.changeCount());
    tickAndSettle(*monitor);
    EXPECT_EQ(pasteboard.readingsOpened(), 0);
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());

    pasteboard.copyText(QStringLiteral("copied afterwards"));
    tickAndSettle(*monitor);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("copied afterwards")});
}

TEST_F(ClipboardMonitorTest, CopiesWhilePausedAreNeverRecorded)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->start();
    settings->setIsPaused(true);
    pasteboard.copyText(QStringLiteral("while paused"));
    tickAndSettle(*monitor);
    settings->setIsPaused(false);
    tickAndSettle(*monitor);
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(pasteboard.readingsOpened(), 0);

    pasteboard.copyText(QStringLiteral("while paused"));
    tickAndSettle(*monitor);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("while paused")});
}

TEST_F(ClipboardMonitorTest, SettingsApplyToTheNextChange)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->start();
    settings->setIgnoredBundleIDs({QStringLiteral("org.example.Editor")});
    pasteboard.copyText(QStringLiteral("ignored"));
    tickAndSettle(*monitor);
    EXPECT_TRUE(store->items().isEmpty());

    settings->setIgnoredBundleIDs({});
    settings->setIgnoreConcealed(false);
    pasteboard.copyText(QStringLiteral("secret"),
                        {{QStringLiteral("x-kde-passwordManagerHint"), "secret"}});
    tickAndSettle(*monitor);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("secret")});

    workspace.setFrontmost(QStringLiteral("br.com.norvale.tessaly"), QStringLiteral("Tessaly"));
    pasteboard.copyText(QStringLiteral("inside the program"));
    tickAndSettle(*monitor);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("secret")});
}

TEST_F(ClipboardMonitorTest, FinishHandsPendingCapturesToTheStore)
{
    pasteboard.setAnnouncesChanges(false);
    auto monitor = makeMonitor();
    monitor->start();
    pasteboard.copyText(QStringLiteral("just before quitting"));
    monitor->tick();
    monitor->finish(); // no event loop runs in between
    EXPECT_EQ(texts(), QStringList{QStringLiteral("just before quitting")});

    // Finished: further changes are not noticed.
    pasteboard.copyText(QStringLiteral("after"));
    QCoreApplication::processEvents();
    store->waitForPendingWrites();
    EXPECT_EQ(store->items().size(), 1);
    EXPECT_TRUE(QFile::exists(store->payloadPath(store->items()[0].id)));
}

TEST_F(ClipboardMonitorTest, StaticsAreTheReadersRules)
{
    EXPECT_EQ(ClipboardMonitor::classify(QStringLiteral("#fff")), ClipKind::Color);
    EXPECT_EQ(ClipboardMonitor::hash("abc"_ba).size(), 64);
    EXPECT_FALSE(ClipboardMonitor::makeThumbnail("nope"_ba, 720));
}
