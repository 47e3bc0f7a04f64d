// The program in a sway session as a user has it: native Wayland applications, the program's
// windows on sway's own XWayland, the keyboard a keyboard of the seat (a virtual one here, with
// the default keymap, so that its keys are a physical keyboard's codes).

#include "hotkey/HotKeyCombo.h"
#include "platform/sway/SwayIpc.h"
#include "platform/sway/SwayWorkspace.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "support/TestSupport.h"
#include "support/WaylandCompositor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

// Key positions of the keys the test presses.
constexpr quint16 keyA = 0;
constexpr quint16 keyB = 11;
constexpr quint16 keyC = 8;
constexpr quint16 keyV = 9;
constexpr quint16 keyReturn = 36;
constexpr quint64 ctrl = HotKeyCombo::commandFlag;

class SwayDesktopE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &program : {u"wl-copy"_s, u"swaymsg"_s, u"Xwayland"_s}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                GTEST_SKIP() << program.toStdString() << " is not installed";
        }
        if (!test::WaylandCompositor::isAvailable(test::WaylandCompositor::Kind::Sway))
            GTEST_SKIP() << "sway is not installed";
        compositor.setXWayland(true);
        ASSERT_TRUE(compositor.start()) << compositor.errorString().toStdString();
    }

    void TearDown() override
    {
        for (QProcess *process : {&tessaly, &target}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // The window of a process in sway's tree; an empty object when it has none.
    QJsonObject windowOf(qint64 pid) const
    {
        const auto tree = sway::SwayIpc(compositor.swaySocket()).tree();
        QJsonObject found;
        const std::function<void(const QJsonObject &)> visit = [&](const QJsonObject &node) {
            if (node.value(u"pid"_s).toInteger() == pid && node.contains(u"window_rect"_s))
                found = node;
            for (const char *children : {"nodes", "floating_nodes"}) {
                for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
                    visit(child.toObject());
            }
        };
        if (tree)
            visit(*tree);
        return found;
    }

    test::WaylandCompositor compositor{test::WaylandCompositor::Kind::Sway};
    QProcess tessaly;
    QProcess target;
};

TEST_F(SwayDesktopE2ETest, HotKeySourceAndPasteWorkWithNativeApplications)
{
    // The user's folders, and a desktop entry that names the native application.
    const QString home = compositor.userFolder() + u"/home"_s;
    QDir().mkpath(home + u"/config/Tessaly"_s);
    QDir().mkpath(home + u"/data/applications"_s);
    QFile settings(home + u"/config/Tessaly/Tessaly.conf"_s);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nhasCompletedOnboarding=true\n");
    settings.close();
    QFile entry(home + u"/data/applications/tessaly_text_target.desktop"_s);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Alvo nativo\nExec=" TESSALY_TEXT_TARGET
                "\n");
    entry.close();
    ASSERT_TRUE(compositor.handOver(home));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home);
    environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/config"_s);
    environment.insert(u"XDG_DATA_HOME"_s, home + u"/data"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    // A session bus of the user's, on which the accessibility bus is found.
    QProcess bus;
    compositor.startAsUser(bus, u"dbus-daemon"_s,
                           {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s}, environment);
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s,
                       QString::fromLocal8Bit(bus.readLine()).trimmed());

    // A native text field has the focus.
    QProcessEnvironment native = environment;
    native.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
    native.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    compositor.startAsUser(target, QStringLiteral(TESSALY_TEXT_TARGET), {u"Alvo"_s}, native);
    QByteArray targetOutput;
    const auto targetSays = [&](const QByteArray &line, int timeoutMs) {
        return test::waitUntil(
            [&] {
                targetOutput += target.readAllStandardOutput();
                return targetOutput.contains(line);
            },
            timeoutMs);
    };
    ASSERT_TRUE(targetSays("field ", 15000)) << target.readAllStandardError().toStdString();
    // A floating window in the middle of the screen, away from where the pointer and the
    // centring would put the panel.
    ASSERT_TRUE(sway::SwayIpc(compositor.swaySocket())
                    .run(u"[pid=%1] floating enable, resize set 420 80, move absolute position "
                         "600 200"_s.arg(target.processId())));
    ASSERT_TRUE(test::waitUntil(
        [&] { return sway::SwayWorkspace::contentRect(windowOf(target.processId())).x() >= 600; },
        5000));

    compositor.startAsUser(tessaly, QStringLiteral(TESSALY_EXECUTABLE), {}, environment);
    QByteArray log;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            log += tessaly.readAllStandardError();
            return log.contains("pelo sway");
        },
        15000))
        << log.toStdString();
    EXPECT_TRUE(log.contains("Atalho, colagem e janela ativa pelo sway.")) << log.toStdString();

    wayland::VirtualKeyboard keys(compositor.socketPath().toLocal8Bit());
    ASSERT_TRUE(keys.isAvailable());

    // Text typed and copied in the native field is recorded with that application as its source.
    const QString index = home + u"/data/Tessaly/history.json"_s;
    const auto indexContains = [&](const QByteArray &text) {
        return test::waitUntil(
            [&] {
                QFile file(index);
                return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
            },
            5000);
    };
    ASSERT_TRUE(keys.sendKeystroke(keyA, 0));
    ASSERT_TRUE(keys.sendKeystroke(keyB, 0));
    ASSERT_TRUE(targetSays("text ab", 5000)) << targetOutput.toStdString();
    ASSERT_TRUE(keys.sendKeystroke(keyA, ctrl));
    ASSERT_TRUE(keys.sendKeystroke(keyC, ctrl));
    ASSERT_TRUE(indexContains("\"ab\""));
    {
        QFile file(index);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray history = file.readAll();
        EXPECT_TRUE(history.contains("\"sourceBundleID\":\"tessaly_text_target\""))
            << history.data();
        EXPECT_TRUE(history.contains("\"sourceAppName\":\"Alvo nativo\"")) << history.data();
    }
    QProcess copy;
    compositor.startAsUser(copy, u"wl-copy"_s, {u"--"_s, u"escolhida no painel"_s}, environment);
    ASSERT_TRUE(copy.waitForFinished(10000));
    ASSERT_TRUE(indexContains("escolhida no painel"));

    // The hot key, pressed on the keyboard, opens the panel (on XWayland) with the keyboard focus.
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(keys.sendKeystroke(keyV, HotKeyCombo::defaultModifiers));
    QJsonObject panel;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            panel = windowOf(tessaly.processId());
            return panel.value(u"focused"_s).toBool() && panel.value(u"visible"_s).toBool();
        },
        10000))
        << log.toStdString();
    const qint64 openedMs = clock.elapsed();

    // The panel is placed next to the caret, at the end of "ab" near the field's left edge (the
    // accessibility bus gives it relative to the native window): sway centres what it maps, 440
    // across on this screen, and the pointer is at the screen's corner.
    const QRect window = sway::SwayWorkspace::contentRect(windowOf(target.processId()));
    QRect placed;
    EXPECT_TRUE(test::waitUntil(
        [&] {
            placed = sway::SwayWorkspace::contentRect(windowOf(tessaly.processId()));
            return placed.x() > window.x() - 20 && placed.x() < window.x() + 60;
        },
        2000))
        << "panel at " << placed.x() << "," << placed.y() << ", window at " << window.x() << ","
        << window.y() << "\n"
        << (log += tessaly.readAllStandardError()).toStdString();

    // Return pastes the first row into the field that had the focus: the selection is replaced.
    clock.restart();
    ASSERT_TRUE(keys.sendKeystroke(keyReturn, 0));
    EXPECT_TRUE(targetSays("text escolhida no painel", 5000)) << targetOutput.toStdString();
    const qint64 pastedMs = clock.elapsed();
    EXPECT_FALSE(windowOf(tessaly.processId()).value(u"visible"_s).toBool());
    EXPECT_TRUE(windowOf(target.processId()).value(u"focused"_s).toBool());
    std::printf("[ figures  ] sway: hot key -> panel focused %lld ms, Return -> text received "
                "%lld ms\n",
                static_cast<long long>(openedMs), static_cast<long long>(pastedMs));

    tessaly.terminate();
    EXPECT_TRUE(tessaly.waitForFinished(10000));
    EXPECT_EQ(tessaly.exitCode(), 0);

    // The binding went with the program: the hot key starts nothing now.
    ASSERT_TRUE(keys.sendKeystroke(keyV, HotKeyCombo::defaultModifiers));
    ASSERT_TRUE(keys.sendKeystroke(keyA, 0));
    EXPECT_TRUE(targetSays("text escolhida no painela", 5000)) << targetOutput.toStdString();
    EXPECT_NE(QProcess::execute(u"pgrep"_s, {u"-f"_s, QStringLiteral("^" TESSALY_EXECUTABLE)}), 0);
}

} // namespace
