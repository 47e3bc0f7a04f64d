// The program in a Wayland session as a user has it, on sway and on KWin: native Wayland
// applications, the program's windows on the compositor's own XWayland, the keyboard a keyboard
// of the seat (a virtual one here: sway's virtual-keyboard protocol, KWin's fake input).

#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "panel/KeySynth.h"
#include "platform/sway/SwayIpc.h"
#include "platform/sway/SwayWorkspace.h"
#include "platform/wayland/KWinFakeInput.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "support/TestSupport.h"
#include "support/WaylandCompositor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

using Compositor = test::WaylandCompositor::Kind;

constexpr quint64 ctrl = HotKeyCombo::commandFlag;

// Where the native window is put, away from where the pointer (the screen's corner) and the
// compositors' centring (440 across) would put the panel.
const QPoint targetPlace(600, 200);

class WaylandDesktopE2ETest : public ::testing::TestWithParam<Compositor>
{
protected:
    void SetUp() override
    {
        for (const QString &program : {u"wl-copy"_s, u"Xwayland"_s, u"xdotool"_s}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                GTEST_SKIP() << program.toStdString() << " is not installed";
        }
        if (!test::WaylandCompositor::isAvailable(GetParam()))
            GTEST_SKIP() << compositor.nameOf(GetParam()).toStdString() << " is not installed";
        compositor.setXWayland(true);
        // KWin gives fake input to the programs whose desktop entries ask for it: the program,
        // and this test for its keyboard.
        const QByteArray grant = "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
        ASSERT_TRUE(compositor.installDesktopEntry(
            u"br.com.norvale.tessaly.desktop"_s,
            "[Desktop Entry]\nType=Application\nName=Tessaly\nExec=" TESSALY_EXECUTABLE "\n" +
                grant));
        ASSERT_TRUE(compositor.installDesktopEntry(
            u"tessaly-e2e-keyboard.desktop"_s,
            "[Desktop Entry]\nType=Application\nName=Teclado\nExec=" +
                QFileInfo(u"/proc/self/exe"_s).canonicalFilePath().toLocal8Bit() + "\n" + grant));
        ASSERT_TRUE(compositor.start()) << compositor.errorString().toStdString();
    }

    void TearDown() override
    {
        for (QProcess *process : {&tessaly, &target, &bus}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    bool onSway() const { return GetParam() == Compositor::Sway; }

    std::unique_ptr<KeySynth> keyboard() const
    {
        const QByteArray display = compositor.socketPath().toLocal8Bit();
        if (onSway())
            return std::make_unique<wayland::VirtualKeyboard>(display);
        return std::make_unique<wayland::KWinFakeInput>(display);
    }

    // sway: a window of a process in sway's tree; an empty object when it has none.
    QJsonObject swayWindowOf(qint64 pid) const
    {
        const auto tree = sway::SwayIpc(compositor.swaySocket()).tree();
        const auto window = tree ? sway::SwayWorkspace::findWindow(
                                       *tree,
                                       [&](const QJsonObject &node) {
                                           return node.value(u"pid"_s).toInteger() == pid;
                                       })
                                 : std::nullopt;
        return window.value_or(QJsonObject());
    }

    // KWin: runs a script of KWin's; what it prints comes back (and is read from KWin's output).
    bool runKWinScript(const QString &text) const
    {
        QDBusConnection kwin =
            QDBusConnection::connectToBus(compositor.sessionBus(), u"kwin-e2e"_s);
        const QString path = compositor.userFolder() + u"/e2e-%1.js"_s.arg(++m_scripts);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            return false;
        file.close();
        QDBusMessage load = QDBusMessage::createMethodCall(
            u"org.kde.KWin"_s, u"/Scripting"_s, u"org.kde.kwin.Scripting"_s, u"loadScript"_s);
        load.setArguments({path, u"e2e-%1"_s.arg(m_scripts)});
        const QDBusMessage loaded = kwin.call(load, QDBus::Block, 5000);
        if (loaded.type() != QDBusMessage::ReplyMessage)
            return false;
        const QDBusMessage run = QDBusMessage::createMethodCall(
            u"org.kde.KWin"_s, u"/%1"_s.arg(loaded.arguments().value(0).toInt()),
            u"org.kde.kwin.Script"_s, u"run"_s);
        return kwin.call(run, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

    // Where the compositor has a window's content.
    std::optional<QRect> windowRect(qint64 pid, const QString &caption)
    {
        if (onSway()) {
            const QJsonObject window = swayWindowOf(pid);
            if (window.isEmpty())
                return std::nullopt;
            return sway::SwayWorkspace::contentRect(window);
        }
        // KWin's own account of it, printed by a script.
        const QString marker = u"e2e-window-%1"_s.arg(++m_scripts);
        runKWinScript(uR"(const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    if (clients[i].caption === "%1") {
        const g = clients[i].bufferGeometry;
        print("%2 " + g.x + " " + g.y + " " + g.width + " " + g.height);
    }
})"_s.arg(caption, marker));
        const QRegularExpression line(marker + uR"( (-?\d+) (-?\d+) (\d+) (\d+))"_s);
        QRegularExpressionMatch match;
        test::waitUntil(
            [&] {
                compositorOutput += compositor.readOutput();
                match = line.match(QString::fromLocal8Bit(compositorOutput));
                return match.hasMatch();
            },
            5000);
        if (!match.hasMatch())
            return std::nullopt;
        return QRect(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt(), match.captured(4).toInt());
    }

    // Puts the native window at targetPlace.
    bool placeTarget()
    {
        if (onSway()) {
            return sway::SwayIpc(compositor.swaySocket())
                .run(u"[pid=%1] floating enable, resize set 420 80, move absolute position %2 %3"_s
                         .arg(target.processId())
                         .arg(targetPlace.x())
                         .arg(targetPlace.y()));
        }
        return runKWinScript(uR"(const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    if (clients[i].caption === "Alvo") {
        const g = clients[i].frameGeometry;
        g.x = %1;
        g.y = %2;
        clients[i].frameGeometry = g;
    }
})"_s.arg(targetPlace.x())
                                 .arg(targetPlace.y()));
    }

    // Gives the keyboard to the native window, as a click on it would.
    bool focusTarget()
    {
        if (onSway()) {
            return sway::SwayIpc(compositor.swaySocket())
                .run(u"[pid=%1] focus"_s.arg(target.processId()));
        }
        return runKWinScript(uR"(const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    if (clients[i].caption === "Alvo")
        workspace.activeClient = clients[i];
})"_s);
    }

    // The hot key, pressed the way the compositor's own shortcuts are.
    bool pressHotKey(KeySynth &keys) const
    {
        if (onSway()) // a key of the seat, which sway's binding takes
            return keys.sendKeystroke(KeyPosition::V, HotKeyCombo::defaultModifiers);
        QDBusMessage invoke = QDBusMessage::createMethodCall(
            u"org.kde.kglobalaccel"_s, u"/component/br_com_norvale_tessaly"_s,
            u"org.kde.kglobalaccel.Component"_s, u"invokeShortcut"_s);
        invoke.setArguments({u"toggle-panel"_s});
        return QDBusConnection::connectToBus(compositor.sessionBus(), u"kwin-e2e"_s)
                   .call(invoke, QDBus::Block, 5000)
                   .type() == QDBusMessage::ReplyMessage;
    }

    // KWin: the keys of the program's shortcut, as the desktop's shortcut settings show them.
    QList<int> kwinShortcutKeys() const
    {
        QDBusMessage shortcut =
            QDBusMessage::createMethodCall(u"org.kde.kglobalaccel"_s, u"/kglobalaccel"_s,
                                           u"org.kde.KGlobalAccel"_s, u"shortcut"_s);
        shortcut.setArguments(
            {QStringList{u"br.com.norvale.tessaly"_s, u"toggle-panel"_s, QString(), QString()}});
        const QDBusMessage reply =
            QDBusConnection::connectToBus(compositor.sessionBus(), u"kwin-e2e"_s)
                .call(shortcut, QDBus::Block, 5000);
        return qdbus_cast<QList<int>>(reply.arguments().value(0));
    }

    // The panel, when it is shown and has the keyboard: its content's rectangle.
    std::optional<QRect> focusedPanel()
    {
        if (onSway()) {
            const QJsonObject panel = swayWindowOf(tessaly.processId());
            if (!panel.value(u"focused"_s).toBool() || !panel.value(u"visible"_s).toBool())
                return std::nullopt;
            return sway::SwayWorkspace::contentRect(panel);
        }
        // An XWayland window, which KWin manages as an X11 window manager.
        QProcess xdotool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_s, compositor.xwaylandDisplay());
        xdotool.setProcessEnvironment(environment);
        xdotool.start(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s, u"%@"_s,
                                     u"getwindowgeometry"_s, u"%@"_s});
        xdotool.waitForFinished(5000);
        const QString answer = QString::fromLocal8Bit(xdotool.readAllStandardOutput());
        const QRegularExpression panel(
            uR"(^Tessaly\n.*Position: (-?\d+),(-?\d+).*Geometry: (\d+)x(\d+))"_s,
            QRegularExpression::DotMatchesEverythingOption);
        const auto match = panel.match(answer);
        if (!match.hasMatch())
            return std::nullopt;
        return QRect(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt(), match.captured(4).toInt());
    }

    test::WaylandCompositor compositor{GetParam()};
    QProcess tessaly;
    QProcess target;
    QProcess bus;
    QByteArray compositorOutput;
    mutable int m_scripts = 0;
};

TEST_P(WaylandDesktopE2ETest, HotKeySourcePlaceAndPasteWorkWithNativeApplications)
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
    if (onSway()) {
        // A session bus of the user's, on which the accessibility bus is found (KWin's session
        // has its own).
        compositor.startAsUser(bus, u"dbus-daemon"_s,
                               {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s},
                               environment);
        ASSERT_TRUE(bus.waitForReadyRead(10000));
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s,
                           QString::fromLocal8Bit(bus.readLine()).trimmed());
    }

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
    ASSERT_TRUE(placeTarget());
    std::optional<QRect> window;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            window = windowRect(target.processId(), u"Alvo"_s);
            return window && window->x() >= targetPlace.x();
        },
        5000));

    compositor.startAsUser(tessaly, QStringLiteral(TESSALY_EXECUTABLE), {}, environment);
    const QByteArray through = onSway() ? "pelo sway" : "pelo KWin";
    QByteArray log;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            log += tessaly.readAllStandardError();
            return log.contains(through);
        },
        15000))
        << log.toStdString();
    EXPECT_TRUE(log.contains("Atalho, colagem e janela ativa " + through + "."))
        << log.toStdString();

    const std::unique_ptr<KeySynth> keys = keyboard();
    ASSERT_TRUE(keys->isAvailable());

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
    ASSERT_TRUE(keys->sendKeystroke(KeyPosition::A, 0));
    ASSERT_TRUE(keys->sendKeystroke(KeyPosition::B, 0));
    ASSERT_TRUE(targetSays("text ab", 5000)) << targetOutput.toStdString();
    ASSERT_TRUE(keys->sendKeystroke(KeyPosition::A, ctrl));
    ASSERT_TRUE(keys->sendKeystroke(KeyPosition::C, ctrl));
    ASSERT_TRUE(indexContains("\"ab\"")) << log.toStdString();
    {
        QFile file(index);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray history = file.readAll();
        EXPECT_TRUE(history.contains("\"sourceBundleID\":\"tessaly_text_target\""))
            << history.data() << "\n"
            << (log += tessaly.readAllStandardError()).toStdString();
        EXPECT_TRUE(history.contains("\"sourceAppName\":\"Alvo nativo\"")) << history.data();
    }
    QProcess copy;
    compositor.startAsUser(copy, u"wl-copy"_s, {u"--"_s, u"escolhida no painel"_s}, environment);
    ASSERT_TRUE(copy.waitForFinished(10000));
    ASSERT_TRUE(indexContains("escolhida no painel"));

    // The hot key opens the panel (on XWayland) with the keyboard focus.
    if (!onSway()) {
        EXPECT_EQ(kwinShortcutKeys(), QList<int>{(Qt::CTRL | Qt::SHIFT | Qt::Key_V).toCombined()});
    }
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pressHotKey(*keys));
    std::optional<QRect> panel;
    ASSERT_TRUE(test::waitUntil([&] { return (panel = focusedPanel()).has_value(); }, 10000))
        << (log += tessaly.readAllStandardError()).toStdString();
    const qint64 openedMs = clock.elapsed();

    // It is placed next to the caret, at the start of the selected "ab" near the field's left
    // edge: the accessibility bus gives the caret relative to the native window, whose place
    // the compositor adds.
    EXPECT_TRUE(test::waitUntil(
        [&] {
            panel = focusedPanel();
            return panel && panel->x() > window->x() - 20 && panel->x() < window->x() + 60;
        },
        2000))
        << "panel at " << (panel ? panel->x() : -1) << "," << (panel ? panel->y() : -1)
        << ", window at " << window->x() << "," << window->y() << "\n"
        << (log += tessaly.readAllStandardError()).toStdString();

    // Return pastes the first row into the field that had the focus: the selection is replaced.
    clock.restart();
    ASSERT_TRUE(keys->sendKeystroke(KeyPosition::Return, 0));
    EXPECT_TRUE(targetSays("text escolhida no painel", 5000)) << targetOutput.toStdString();
    const qint64 pastedMs = clock.elapsed();
    EXPECT_FALSE(focusedPanel());
    std::printf("[ figures  ] %s: hot key -> panel focused %lld ms, Return -> text received "
                "%lld ms\n",
                qPrintable(compositor.nameOf(GetParam())), static_cast<long long>(openedMs),
                static_cast<long long>(pastedMs));

    // The panel closes when another window takes the keyboard.
    ASSERT_TRUE(pressHotKey(*keys));
    ASSERT_TRUE(test::waitUntil([&] { return focusedPanel().has_value(); }, 10000));
    ASSERT_TRUE(focusTarget());
    EXPECT_TRUE(test::waitUntil(
        [&] {
            if (onSway())
                return !swayWindowOf(tessaly.processId()).value(u"visible"_s).toBool();
            // Mapped on XWayland or not.
            QProcess xdotool;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"DISPLAY"_s, compositor.xwaylandDisplay());
            xdotool.setProcessEnvironment(environment);
            xdotool.start(u"xdotool"_s,
                          {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tessaly$"_s});
            return xdotool.waitForFinished(5000) && xdotool.exitCode() == 1;
        },
        5000));

    tessaly.terminate();
    EXPECT_TRUE(tessaly.waitForFinished(10000));
    EXPECT_EQ(tessaly.exitCode(), 0);

    if (onSway()) {
        // The binding went with the program: pressing the hot key starts nothing now.
        ASSERT_TRUE(pressHotKey(*keys));
        ASSERT_TRUE(keys->sendKeystroke(KeyPosition::A, 0));
        EXPECT_TRUE(targetSays("text escolhida no painela", 5000)) << targetOutput.toStdString();
        EXPECT_NE(QProcess::execute(u"pgrep"_s, {u"-f"_s, QStringLiteral("^" TESSALY_EXECUTABLE)}),
                  0);
    } else {
        // The shortcut stays listed in the desktop's settings, without keys.
        EXPECT_TRUE(kwinShortcutKeys().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Compositors, WaylandDesktopE2ETest,
                         ::testing::Values(Compositor::Sway, Compositor::KWin),
                         [](const ::testing::TestParamInfo<Compositor> &info) {
                             return info.param == Compositor::Sway ? "Sway" : "KWin";
                         });

} // namespace
