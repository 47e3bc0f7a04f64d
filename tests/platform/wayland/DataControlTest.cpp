// The Wayland clipboard over each data-control protocol, against a compositor of the tests' own:
// ext-data-control-v1 is preferred when a compositor offers both (no compositor packaged for
// Debian 12 offers it yet), wlr-data-control-unstable-v1 is used otherwise, and either way the
// program reads other applications' copies, writes its own and knows them when they come back.

#include "FakeDataControlCompositor.h"
#include "platform/wayland/WaylandPasteboard.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

struct Case
{
    const char *name;
    test::FakeDataControlCompositor::Globals globals;
    QString protocol;
};

class DataControlTest : public ::testing::TestWithParam<Case>
{};

} // namespace

TEST_P(DataControlTest, ReadsWritesAndKnowsItsOwnOffer)
{
    test::FakeDataControlCompositor compositor(GetParam().globals);
    ASSERT_FALSE(compositor.socketPath().isEmpty());
    WaylandPasteboard pasteboard(compositor.socketPath().toLocal8Bit());
    ASSERT_TRUE(pasteboard.isValid());
    EXPECT_EQ(pasteboard.protocolName(), GetParam().protocol);
    EXPECT_EQ(compositor.deviceCount(), 1);

    // Another application's copy.
    const QByteArray png("\x89PNG\r\n\x1a\n not really", 19);
    qint64 before = pasteboard.changeCount();
    compositor.offer({{u"text/plain;charset=utf-8"_s, u"ação"_s.toUtf8()}, {u"image/png"_s, png}});
    ASSERT_TRUE(test::waitUntil([&] { return pasteboard.changeCount() == before + 1; }, 2000));
    auto reading = pasteboard.openReading();
    EXPECT_EQ(reading->types(), (QStringList{u"text/plain;charset=utf-8"_s, u"image/png"_s}));
    EXPECT_EQ(reading->string(100), u"ação"_s);
    EXPECT_EQ(reading->data(u"image/png"_s, 100), png);

    // The program's own write: every type served byte for byte, counted once, never read back as
    // another application's.
    PayloadItem item;
    item.insert(u"text/plain;charset=utf-8"_s, u"escrito"_s.toUtf8());
    item.insert(u"application/x-tessaly-test"_s, QByteArray("\0\1\2", 3));
    before = pasteboard.changeCount();
    pasteboard.clearContents();
    pasteboard.writeItems({item});
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    ASSERT_TRUE(test::waitUntil(
        [&] { return compositor.selectionTypes().contains(u"application/x-tessaly-test"_s); },
        2000));
    EXPECT_EQ(compositor.receive(u"text/plain;charset=utf-8"_s), "escrito");
    EXPECT_EQ(compositor.receive(u"application/x-tessaly-test"_s), QByteArray("\0\1\2", 3));
    test::waitUntil([] { return false; }, 100); // the compositor's report of it has come
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_TRUE(pasteboard.openReading()->types().isEmpty());

    // The next copy elsewhere replaces it (the program's offer is cancelled) and counts.
    before = pasteboard.changeCount();
    compositor.offer({{u"text/plain;charset=utf-8"_s, "depois"}});
    ASSERT_TRUE(test::waitUntil([&] { return pasteboard.changeCount() == before + 1; }, 2000));
    EXPECT_EQ(pasteboard.openReading()->string(100), u"depois"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, DataControlTest,
    ::testing::Values(Case{"ExtOnly", {true, false}, u"ext-data-control-v1"_s},
                      Case{"BothOfferedExtChosen", {true, true}, u"ext-data-control-v1"_s},
                      Case{"WlrOnly", {false, true}, u"wlr-data-control-unstable-v1"_s}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

// A compositor without data-control is no clipboard for the program.
TEST(DataControlWithoutManagerTest, IsNotValid)
{
    test::FakeDataControlCompositor compositor({false, false});
    WaylandPasteboard pasteboard(compositor.socketPath().toLocal8Bit());
    EXPECT_FALSE(pasteboard.isValid());
}
