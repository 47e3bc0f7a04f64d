// The paste keystroke through the desktop portal's remote desktop, against a portal of the
// tests' own (tests/e2e/helpers/fake_portal.py) on a private session bus: the conversation the
// portal expects, a user who refuses and then agrees, and the keys as the portal receives them.

#include "platform/portal/RemoteDesktopPortal.h"

#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

TEST(RemoteDesktopPortalTest, AsksTheUserOnceAgreedThenSendsTheKeys)
{
    if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty() ||
        QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import dbus, gi"_s}) != 0)
        GTEST_SKIP() << "dbus-daemon or python3-dbus is not installed";
    QProcess bus;
    bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = QString::fromLocal8Bit(bus.readLine()).trimmed();

    QProcess fake;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address);
    environment.insert(u"FAKE_PORTAL_REFUSE_FIRST"_s, u"1"_s);
    fake.setProcessEnvironment(environment);
    fake.start(u"/usr/bin/python3"_s, {QStringLiteral(TESSALY_FAKE_PORTAL)});
    QByteArray said;
    const auto fakeSaid = [&](const QByteArray &what) {
        return test::waitUntil(
            [&] {
                said += fake.readAllStandardOutput();
                return said.contains(what);
            },
            5000);
    };
    ASSERT_TRUE(fakeSaid("ready\n")) << fake.readAllStandardError().toStdString();

    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, u"portal-test"_s);
        ASSERT_TRUE(portal::RemoteDesktopPortal::isOffered(connection));
        portal::RemoteDesktopPortal portal(connection);
        EXPECT_FALSE(portal.isAvailable());
        EXPECT_FALSE(portal.sendKeystroke(KeyPosition::V, HotKeyCombo::commandFlag));

        // The user refuses: nothing is granted, and asking again is allowed.
        portal.start();
        EXPECT_EQ(portal.state(), portal::RemoteDesktopPortal::State::Starting);
        ASSERT_TRUE(fakeSaid("start\n"));
        ASSERT_TRUE(test::waitUntil(
            [&] { return portal.state() == portal::RemoteDesktopPortal::State::Idle; }, 5000));
        EXPECT_FALSE(portal.isAvailable());

        // The user agrees.
        portal.start();
        ASSERT_TRUE(test::waitUntil([&] { return portal.isAvailable(); }, 5000));
        said.clear();
        ASSERT_TRUE(portal.sendKeystroke(KeyPosition::V,
                                         HotKeyCombo::commandFlag | HotKeyCombo::shiftFlag));
        // Ctrl and Shift down, V down and up, then the modifiers up in reverse.
        EXPECT_TRUE(fakeSaid("key 29 1\nkey 42 1\nkey 47 1\nkey 47 0\nkey 42 0\nkey 29 0\n"))
            << said.toStdString();
        // Once granted, asking again changes nothing.
        portal.start();
        EXPECT_TRUE(portal.isAvailable());
    }
    QDBusConnection::disconnectFromBus(u"portal-test"_s);
    fake.kill();
    fake.waitForFinished(5000);
    bus.kill();
    bus.waitForFinished(5000);
}

} // namespace
