#include "PanelPlatformTest.h"

#include "fakes/FakeAccessibilityPermission.h"
#include "fakes/FakeCaretSource.h"
#include "panel/CaretLocator.h"
#include "panel/PanelPlacer.h"
#include "panel/cards/IconCache.h"
#include "platform/atspi/AtSpiBus.h"
#include "platform/atspi/AtSpiCaretSource.h"
#include "platform/x11/X11AccessibilityPermission.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Workspace.h"
#include "platform/x11/XTestProbe.h"
#include "platform/xdg/DesktopEntries.h"
#include "platform/xdg/XdgApplicationDirectory.h"
#include "platform/xdg/XdgAutostart.h"
#include "settings/AppSettings.h"
#include "support/QtPrinters.h"
#include "support/TestSupport.h"
#include "support/TextTarget.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <csignal>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int generousMs = 15000;

void writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int xdotool(const QStringList &arguments)
{
    return testDisplay().run(QStringLiteral("xdotool"), arguments);
}

// A text field of the test's own in another process (a Qt window, or a GTK one), exposed over
// AT-SPI.
bool startTarget(TextTarget &target, const QString &program = QStringLiteral(TESSALY_TEXT_TARGET))
{
    QProcessEnvironment environment = testDisplay().environment();
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return target.start(program, {}, environment, generousMs);
}

// The caret as the program reads it: over AT-SPI, with the process in front taken from the X11
// workspace.
struct CaretReading
{
    X11Screens screens;
    X11AccessibilityPermission accessibility;
    DesktopEntries entries;
    X11Workspace workspace{QStringLiteral("br.com.norvale.tessaly"), QStringLiteral("Tessaly"),
                           &entries};
    AtSpiCaretSource source{AtSpiCaretSource::frontProcessOf(workspace)};
    CaretLocator locator{source, screens, accessibility};
};

// A passive grab of a key on the root window, as a global hot key takes it: while the key is
// held, this process holds the keyboard.
class KeyGrab
{
public:
    explicit KeyGrab(const QString &keyName) : m_connection(xcb_connect(nullptr, nullptr))
    {
        QByteArray table;
        testDisplay().run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")}, 5000, &table);
        for (const QByteArray &line : table.split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() > 3 && words[0] == "keycode" && words[3] == keyName.toLatin1())
                m_keycode = xcb_keycode_t(words[1].toInt());
        }
        if (!m_keycode || xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_ANY, m_keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        m_grabbed = !error;
        free(error);
    }
    ~KeyGrab()
    {
        if (m_grabbed)
            xcb_ungrab_key(m_connection, m_keycode, m_root, XCB_MOD_MASK_ANY);
        xcb_disconnect(m_connection);
    }
    bool isGrabbed() const { return m_grabbed; }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_keycode = 0;
    bool m_grabbed = false;
};

} // namespace

TEST(PanelPlatformTest, ScreensAreTheMonitorsInTheDesktopSpace)
{
    X11Screens screens;
    const QList<ScreenArea> areas = screens.screens();
    ASSERT_EQ(areas.size(), 2);
    // The primary (left, 1024 high) screen's bottom-left corner is the origin; the right one
    // is 800 high and aligned at the top, so its bottom lies 224 above the origin.
    EXPECT_EQ(areas[0].frame, QRectF(0, 0, 1280, 1024));
    EXPECT_EQ(areas[1].frame, QRectF(1280, 224, 1280, 800));
    EXPECT_EQ(areas[1].visibleFrame, areas[1].frame); // no panels on this desktop

    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("1500"), QStringLiteral("100")}),
              0);
    EXPECT_TRUE(waitUntil([&] { return screens.mouseLocation() == QPointF(1500, 924); }, 5000))
        << screens.mouseLocation().x() << "," << screens.mouseLocation().y();

    EXPECT_EQ(screens.fromDisplayPixels(QRectF(300, 200, 2, 18)), QRectF(300, 806, 2, 18));
}

TEST(PanelPlatformTest, TheUsableAreaLeavesOutADocksStrut)
{
    // A window that reserves 40 pixels at the bottom of the left monitor, as a panel does.
    QProcess *dock = testDisplay().spawn(QStringLiteral("xterm"),
                                         {QStringLiteral("-title"), QStringLiteral("dock")});
    ASSERT_NE(dock, nullptr);
    QByteArray window;
    ASSERT_EQ(testDisplay().run(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--sync"),
                                 QStringLiteral("--name"), QStringLiteral("^dock$")},
                                generousMs, &window),
              0);
    ASSERT_EQ(testDisplay().run(QStringLiteral("xprop"),
                                {QStringLiteral("-id"),
                                 QString::fromLatin1(window.trimmed().split('\n').first()),
                                 QStringLiteral("-f"), QStringLiteral("_NET_WM_STRUT_PARTIAL"),
                                 QStringLiteral("32c"), QStringLiteral("-set"),
                                 QStringLiteral("_NET_WM_STRUT_PARTIAL"),
                                 QStringLiteral("0,0,0,40,0,0,0,0,0,0,0,1279")}),
              0);

    X11Screens screens;
    EXPECT_TRUE(waitUntil(
        [&] { return screens.screens().value(0).visibleFrame == QRectF(0, 40, 1280, 984); },
        generousMs))
        << "usable area of the left monitor: "
        << QGuiApplication::primaryScreen()->availableGeometry().height();
}

TEST(PanelPlatformTest, AWindowPlacedAtThePointerStaysOnItsMonitor)
{
    QTemporaryDir directory;
    AppSettings settings(directory.filePath(QStringLiteral("s.conf")));
    settings.setPanelPosition(PanelPosition::Mouse);
    X11Screens screens;
    FakeCaretSource caretSource;
    FakeAccessibilityPermission accessibility;
    CaretLocator locator(caretSource, screens, accessibility);
    PanelPlacer placer(screens, locator, settings);

    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("2550"), QStringLiteral("500")}),
              0);
    ASSERT_TRUE(waitUntil([&] { return screens.mouseLocation() == QPointF(2550, 524); }, 5000));

    // A frameless window stands for the panel; frames go through the desktop space.
    QWindow window;
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    struct WindowFrame : PanelFrame
    {
        QWindow &window;
        const X11Screens &screens;
        WindowFrame(QWindow &window, const X11Screens &screens) : window(window), screens(screens)
        {}
        bool isVisible() const override { return window.isVisible(); }
        QRectF frame() const override
        {
            return screens.desktopSpace().fromTopDown(QRectF(window.geometry()));
        }
        void setFrame(const QRectF &frame) override
        {
            window.setGeometry(screens.desktopSpace().toTopDown(frame).toRect());
        }
    } frame(window, screens);

    placer.place(frame);
    window.show();
    // Right edge 8 points inside the right monitor; the top edge 8 points below its top.
    EXPECT_EQ(placer.shownOrigin(), QPointF(2560 - 8 - 400, 224 + 8));
    QByteArray info;
    EXPECT_TRUE(waitUntil(
        [&] {
            testDisplay().run(QStringLiteral("xwininfo"),
                              {QStringLiteral("-id"), QString::number(window.winId())}, 5000,
                              &info);
            return info.contains("Map State: IsViewable") &&
                   info.contains("Absolute upper-left X:  2152") &&
                   info.contains("Absolute upper-left Y:  232") && info.contains("Width: 400") &&
                   info.contains("Height: 560");
        },
        generousMs))
        << info.constData();
    placer.rememberPositionIfMoved(frame);
    EXPECT_FALSE(settings.lastPanelTopLeft()); // placing is no move by the user
}

TEST(PanelPlatformTest, TheCaretOfARealTextFieldOverAtSpi)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
        GTEST_SKIP() << "at-spi2-core is not installed";
    // Asking for the bus starts it, before the text field's application looks for it.
    ASSERT_FALSE(AtSpiBus::address().isEmpty());

    TextTarget target;
    ASSERT_TRUE(startTarget(target));
    const QRect field = target.field();
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(field.center().x()),
                       QString::number(field.center().y()), QStringLiteral("click"),
                       QStringLiteral("1")}),
              0);
    ASSERT_EQ(xdotool({QStringLiteral("type"), QStringLiteral("hello")}), 0);
    ASSERT_FALSE(target.waitForLine(QStringLiteral("text hello")).isEmpty());

    CaretReading reading;
    const auto caretTopDown = [&]() -> std::optional<QRectF> {
        const auto caret = reading.locator.caretRect();
        if (!caret)
            return std::nullopt;
        return reading.screens.desktopSpace().toTopDown(*caret);
    };

    // After the last character: at its right edge, inside the field, as an insertion point.
    std::optional<QRectF> caret;
    ASSERT_TRUE(waitUntil([&] { return (caret = caretTopDown()).has_value(); }, generousMs));
    EXPECT_EQ(caret->width(), 1);
    EXPECT_TRUE(QRectF(field).contains(caret->center()))
        << caret->x() << "," << caret->y() << " in " << field.x() << "," << field.y();
    EXPECT_GT(caret->x(), field.x() + 15);
    const double endX = caret->x();

    // At the start of the text.
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Home")}), 0);
    EXPECT_TRUE(waitUntil([&] { return (caret = caretTopDown()) && caret->x() < field.x() + 10; },
                          generousMs));

    // A selection: its whole extent. Focus changes are followed from here on.
    reading.source.startTracking();
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("shift+End")}), 0);
    EXPECT_TRUE(
        waitUntil([&] { return (caret = caretTopDown()) && caret->width() > 20; }, generousMs));
    EXPECT_NEAR(caret->x() + caret->width(), endX, 2);

    // An application that does not answer: no caret, and no long wait for it.
    ASSERT_EQ(::kill(pid_t(target.processId()), SIGSTOP), 0);
    QElapsedTimer timer;
    timer.start();
    const auto frozen = reading.locator.caretRect();
    const qint64 elapsed = timer.elapsed();
    ::kill(pid_t(target.processId()), SIGCONT);
    EXPECT_FALSE(frozen);
    EXPECT_LT(elapsed, 1000);
}

TEST(PanelPlatformTest, AGtkFieldKeepsItsCaretWhileAHotKeyHoldsTheKeyboard)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
        GTEST_SKIP() << "at-spi2-core is not installed";
    if (testDisplay().run(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral("-c"),
                           QStringLiteral("import gi; gi.require_version('Gtk', '3.0')")}) != 0)
        GTEST_SKIP() << "GTK 3 for Python (gir1.2-gtk-3.0) is not installed";
    ASSERT_FALSE(AtSpiBus::address().isEmpty());

    CaretReading reading;
    reading.source.startTracking(); // the program follows focus from its start

    TextTarget target;
    ASSERT_TRUE(startTarget(target, QStringLiteral(TESSALY_GTK_TEXT_TARGET)));
    const QRect field = target.field();
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(field.center().x()),
                       QString::number(field.center().y()), QStringLiteral("click"),
                       QStringLiteral("1")}),
              0);
    // Letters of the keymap only: xdotool types others by remapping a key for a moment, which
    // a busy client may read too late.
    ASSERT_EQ(xdotool({QStringLiteral("type"), QStringLiteral("ola")}), 0);
    ASSERT_FALSE(target.waitForLine(QStringLiteral("text ola")).isEmpty());

    std::optional<QRectF> caret;
    ASSERT_TRUE(
        waitUntil([&] { return (caret = reading.locator.caretRect()).has_value(); }, generousMs));
    const QRectF before = reading.screens.desktopSpace().toTopDown(*caret);
    EXPECT_TRUE(QRectF(field).contains(before.center()));

    // The hot key is pressed and still held: this process holds the keyboard.
    KeyGrab grab(QStringLiteral("F12"));
    ASSERT_TRUE(grab.isGrabbed());
    ASSERT_EQ(xdotool({QStringLiteral("keydown"), QStringLiteral("F12")}), 0);
    const auto during = reading.locator.caretRect();
    xdotool({QStringLiteral("keyup"), QStringLiteral("F12")});
    ASSERT_TRUE(during);
    EXPECT_EQ(reading.screens.desktopSpace().toTopDown(*during), before);

    // Another application comes to the front, one that exposes nothing: the field it left is
    // no caret any more.
    ASSERT_NE(testDisplay().spawn(QStringLiteral("xterm"),
                                  {QStringLiteral("-title"), QStringLiteral("elsewhere")}),
              nullptr);
    ASSERT_EQ(xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                       QStringLiteral("^elsewhere$"), QStringLiteral("windowactivate"),
                       QStringLiteral("--sync")}),
              0);
    EXPECT_TRUE(waitUntil([&] { return !reading.locator.caretRect(); }, generousMs));
}

TEST(PanelPlatformTest, TrustFollowsTheXTestExtension)
{
    X11AccessibilityPermission accessibility;
    EXPECT_TRUE(accessibility.isTrusted());

    XServer bare;
    XServer::Options options;
    options.windowManager = false;
    options.sessionBus = false;
    options.serverArguments = {QStringLiteral("-extension"), QStringLiteral("XTEST")};
    ASSERT_TRUE(bare.start(options)) << bare.errorString().toStdString();
    EXPECT_FALSE(XTestProbe::displayHasXTest(bare.display().toLocal8Bit()));
    EXPECT_FALSE(XTestProbe::displayHasXTest(":9999")); // no such display
}

TEST(PanelPlatformTest, RequestingTurnsTheAccessibilityBusOnThenOpensTheSettings)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
        GTEST_SKIP() << "at-spi2-core is not installed";
    ASSERT_TRUE(AtSpiBus::setEnabled(false));
    ASSERT_EQ(AtSpiBus::isEnabled(), false);

    // A desktop whose settings program records how it was started.
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("record"));
    writeFile(bin.filePath(QStringLiteral("gnome-control-center")),
              "#!/bin/sh\necho \"$@\" > '" + record.toUtf8() + "'\n", true);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

    X11AccessibilityPermission accessibility;
    accessibility.request();
    qputenv("PATH", path);
    qunsetenv("XDG_CURRENT_DESKTOP");

    EXPECT_EQ(AtSpiBus::isEnabled(), true);
    EXPECT_TRUE(waitUntil([&] { return readFile(record) == u"universal-access\n"; }, generousMs))
        << readFile(record).toStdString();
}

TEST(PanelPlatformTest, TheAutostartEntryStartsTheProgramAndGoesAway)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // This program's own entry: in $XDG_CONFIG_HOME/autostart, starting this very executable.
    {
        XdgAutostart own;
        EXPECT_EQ(own.entryPath(),
                  config.path() + QStringLiteral("/autostart/br.com.norvale.tessaly.desktop"));
        EXPECT_TRUE(own.entryText().contains(
            QStringLiteral("\nExec=") +
            XdgAutostart::execArgument(QCoreApplication::applicationFilePath()) + u'\n'));
    }
    qunsetenv("XDG_CONFIG_HOME");

    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    // A program at an awkward path, launched by a real desktop-entry reader.
    const QString marker = config.filePath(QStringLiteral("started"));
    // (No "%" in it: GLib looks for the program before it expands "%%".)
    const QString program =
        config.filePath(QStringLiteral("Meus Programas $1 \"x\"/tessaly `a` \\b"));
    writeFile(program, "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n", true);
    XdgAutostart autostart(program, config.filePath(QStringLiteral("autostart")));
    QString error;
    ASSERT_TRUE(autostart.setEnabled(true, &error)) << error.toStdString();
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::Enabled);

    QByteArray output;
    EXPECT_EQ(testDisplay().run(gio, {QStringLiteral("launch"), autostart.entryPath()}, generousMs,
                                &output),
              0)
        << output.constData();
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }, generousMs));

    ASSERT_TRUE(autostart.setEnabled(false, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(autostart.entryPath()));
    EXPECT_EQ(autostart.status(), LaunchAtLogin::Status::NotRegistered);
}

TEST(PanelPlatformTest, ApplicationIconsAndNamesComeFromDesktopEntriesAndTheTheme)
{
    QTemporaryDir applications;
    writeFile(applications.filePath(QStringLiteral("org.example.Terminal.desktop")),
              "[Desktop Entry]\nType=Application\nName=Terminal\nName[pt_BR]=Terminal Exemplo\n"
              "Icon=utilities-terminal\nStartupWMClass=ExampleTerm\nExec=example-term\n");
    writeFile(applications.filePath(QStringLiteral("iconless.desktop")),
              "[Desktop Entry]\nType=Application\nName=Sem Ícone\nIcon=no-such-icon-anywhere\n"
              "Exec=iconless\n");
    DesktopEntries entries({applications.path()});
    XdgApplicationDirectory directory(entries);
    // No desktop named a theme on this display: one was chosen.
    EXPECT_FALSE(QIcon::themeName().isEmpty());
    EXPECT_NE(QIcon::themeName(), QStringLiteral("hicolor"));

    IconCache cache(directory);
    EXPECT_EQ(cache.appName(QStringLiteral("org.example.Terminal")),
              QStringLiteral("Terminal Exemplo"));
    EXPECT_EQ(cache.appName(QStringLiteral("ExampleTerm")), QStringLiteral("Terminal Exemplo"));
    EXPECT_EQ(cache.appName(QStringLiteral("ICONLESS")), QStringLiteral("Sem Ícone"));
    EXPECT_EQ(cache.appName(QStringLiteral("com.1password.1password")),
              QStringLiteral("1Password"));

    const QIcon terminal = cache.appIcon(QStringLiteral("org.example.Terminal"));
    ASSERT_FALSE(terminal.isNull());
    EXPECT_EQ(terminal.name(), QStringLiteral("utilities-terminal"));
    EXPECT_FALSE(terminal.pixmap(32, 32).isNull());
    EXPECT_EQ(cache.appIcon(QStringLiteral("iconless")).name(),
              QStringLiteral("application-x-executable"));
    EXPECT_TRUE(cache.appIcon(QStringLiteral("org.example.NotInstalled")).isNull());

    EXPECT_FALSE(cache.fileIcon(QStringLiteral("/nowhere/relatório.pdf")).isNull());
    EXPECT_EQ(cache.fileIcon(QDir::tempPath()).name(), QStringLiteral("inode-directory"));
}
