// The settings window of the running program on a private display: the welcome on the very first
// launch, a second start bringing the window forward, the hot-key recorder driven from the
// keyboard, the login item, and closing the window by the window manager while recording.

#include "AccessibleTree.h"
#include "TessalyProcessTest.h"
#include "X11TestClient.h"

#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "platform/x11/XcbConnection.h"
#include "settings/AppSettings.h"

#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using tessaly::HotKeyCombo;
using tessaly::test::waitUntil;

namespace {

// The desktop's file manager as the program asks it to show a folder, on the test's session bus.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

    bool registerOnSessionBus()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        return bus.registerService(u"org.freedesktop.FileManager1"_s) &&
               bus.registerObject(u"/org/freedesktop/FileManager1"_s, this,
                                  QDBusConnection::ExportScriptableSlots);
    }

public Q_SLOTS:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        shown += uris;
    }
};

const QString windowTitle = u"^Ajustes do Tessaly$"_s;

class SettingsE2ETest : public tessaly::test::TessalyProcessTest
{
protected:
    SettingsE2ETest() : TessalyProcessTest({u"xprop"_s}) {}

    QString settingsPath() const { return temp.filePath(u"config/Tessaly/Tessaly.conf"_s); }
    tessaly::AppSettings stored() const { return tessaly::AppSettings(settingsPath()); }

    bool settingsShown() { return !visibleWindows({u"--name"_s, windowTitle}).isEmpty(); }

    // The settings window is shown and has the keyboard.
    bool settingsActive()
    {
        return waitUntil(
            [&] {
                QByteArray active, named;
                return settingsShown() &&
                       run(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s}, &named) == 0 &&
                       named.trimmed() == "Ajustes do Tessaly";
            },
            5000);
    }

    // Whether the settings window shows the hot-key warning: its orange, drawn nowhere else
    // while the permissions are granted.
    bool showsWarning()
    {
        const QList<QRect> windows = visibleWindows({u"--name"_s, windowTitle});
        if (windows.isEmpty())
            return false;
        const QRect window = windows.first();
        tessaly::x11::Connection display;
        xcb_connection_t *c = display.get();
        tessaly::x11::Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, display.root(), int16_t(window.x()),
                          int16_t(window.y()), uint16_t(window.width()), uint16_t(window.height()),
                          ~0u),
            nullptr));
        if (!image)
            return false;
        const QImage picture(xcb_get_image_data(image.get()), window.width(), window.height(),
                             QImage::Format_RGB32);
        int orange = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor pixel = picture.pixelColor(x, y);
                if (pixel.red() > 230 && qAbs(pixel.green() - 149) < 25 && pixel.blue() < 40)
                    ++orange;
            }
        }
        return orange > 40;
    }

    // `tessaly --settings`, as a desktop shortcut or the menu would run it.
    bool requestSettings()
    {
        QProcess client;
        client.setProcessEnvironment(environment);
        client.start(QStringLiteral(TESSALY_EXECUTABLE), {u"--settings"_s});
        return client.waitForFinished(10000) && client.exitCode() == 0;
    }

    void key(const QString &keys) { ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, keys}), 0); }

    // The stored hot key once the program has written `expected`.
    bool storedHotKeyIs(const HotKeyCombo &expected)
    {
        return waitUntil([&] { return stored().hotKey() == expected; }, 3000);
    }

    bool panelOpensWith(const QString &keys)
    {
        run(u"xdotool"_s, {u"key"_s, keys});
        const bool opened = waitUntil([&] { return panelShown(); }, 1500);
        if (opened) {
            run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
            waitUntil([&] { return !panelShown(); }, 3000);
        }
        return opened;
    }
};

} // namespace

TEST_F(SettingsE2ETest, TheFirstLaunchWelcomesOnceAndASecondStartBringsTheWindowForward)
{
    ASSERT_TRUE(QFile::remove(settingsPath()));
    ASSERT_TRUE(startTessaly());
    ASSERT_TRUE(settingsActive()) << "the welcome opens on the very first launch";
    EXPECT_TRUE(stored().hasCompletedOnboarding()) << "stored before the window was shown";

    // Ctrl+W closes the window; the program keeps running.
    key(u"ctrl+w"_s);
    ASSERT_TRUE(waitUntil([&] { return !settingsShown(); }, 3000));
    EXPECT_EQ(tessaly->state(), QProcess::Running);

    // Another window in front; a second start brings the settings forward and ends at once,
    // before the launch line.
    tessaly::test::TextTarget target;
    ASSERT_TRUE(startTarget(target, u"Alvo"_s));
    ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(TESSALY_EXECUTABLE), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(second.readAllStandardError().contains("iniciado"));
    EXPECT_TRUE(settingsActive()) << "the running program's window comes to the front";

    // The next launch is not a first one.
    tessaly->terminate();
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    ASSERT_TRUE(startTessaly());
    EXPECT_FALSE(waitUntil([&] { return settingsShown(); }, 1500));
}

TEST_F(SettingsE2ETest, TheRecorderSetsAHotKeyThatWorksAtOnceAndEveryWayOutRegistersAgain)
{
    ASSERT_TRUE(startTessaly());
    copy(u"algo guardado"_s);
    ASSERT_TRUE(requestSettings());
    ASSERT_TRUE(settingsActive());
    const HotKeyCombo ctrlAltK(tessaly::KeyPosition::K,
                               HotKeyCombo::commandFlag | HotKeyCombo::optionFlag);

    // Space on the shortcut's button starts recording; Shift+V is refused and recording goes
    // on; Ctrl+Alt+K is taken.
    key(u"space"_s);
    key(u"shift+v"_s);
    key(u"ctrl+alt+k"_s);
    ASSERT_TRUE(storedHotKeyIs(ctrlAltK));
    EXPECT_FALSE(showsWarning());
    EXPECT_TRUE(panelOpensWith(u"ctrl+alt+k"_s)) << "the new combination works at once";
    EXPECT_FALSE(panelOpensWith(u"ctrl+shift+v"_s)) << "the old one is released";

    // Escape keeps the combination; F5 alone is accepted.
    ASSERT_TRUE(settingsActive() || requestSettings());
    ASSERT_TRUE(settingsActive());
    key(u"space"_s);
    key(u"Escape"_s);
    EXPECT_TRUE(storedHotKeyIs(ctrlAltK));
    EXPECT_TRUE(panelOpensWith(u"ctrl+alt+k"_s)) << "Escape gave the registration back";
    ASSERT_TRUE(requestSettings());
    ASSERT_TRUE(settingsActive());
    key(u"space"_s);
    key(u"F5"_s);
    ASSERT_TRUE(storedHotKeyIs(HotKeyCombo(tessaly::KeyPosition::F5, 0)));
    EXPECT_TRUE(panelOpensWith(u"F5"_s));

    // A combination another client holds is stored but not registered; a free one is. (The
    // other client holds it with NumLock on, so that the press without reaches the recorder:
    // the program needs every variant.)
    tessaly::test::X11TestClient other;
    ASSERT_TRUE(other.isValid());
    ASSERT_TRUE(other.grabKey(44 /* J */, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                              other.keymap().numLockMask()));
    ASSERT_TRUE(requestSettings());
    ASSERT_TRUE(settingsActive());
    key(u"space"_s);
    key(u"ctrl+alt+j"_s);
    ASSERT_TRUE(storedHotKeyIs(HotKeyCombo(tessaly::KeyPosition::J, ctrlAltK.modifiers)));
    EXPECT_TRUE(waitUntil([&] { return showsWarning(); }, 1000))
        << "the warning shows within a second";
    key(u"space"_s);
    key(u"ctrl+alt+k"_s);
    ASSERT_TRUE(storedHotKeyIs(ctrlAltK));
    EXPECT_TRUE(waitUntil([&] { return !showsWarning(); }, 1000));

    // Closed by the window manager while recording: the registration comes back.
    key(u"space"_s);
    EXPECT_FALSE(panelShown());
    key(u"alt+F4"_s);
    ASSERT_TRUE(waitUntil([&] { return !settingsShown(); }, 3000));
    EXPECT_TRUE(panelOpensWith(u"ctrl+alt+k"_s));
}

TEST_F(SettingsE2ETest, TheLoginSwitchWritesTheAutostartEntryOrSaysWhyItCannot)
{
    ASSERT_TRUE(startTessaly());
    ASSERT_TRUE(requestSettings());
    ASSERT_TRUE(settingsActive());
    const QString autostart = temp.filePath(u"config/autostart"_s);
    const QString entry = autostart + u"/br.com.norvale.tessaly.desktop"_s;

    // From the shortcut: past the auto-paste switch and the two pickers to the login switch.
    for (int step = 0; step < 4; ++step)
        key(u"Tab"_s);
    key(u"space"_s);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(entry); }, 3000));
    key(u"space"_s);
    ASSERT_TRUE(waitUntil([&] { return !QFileInfo::exists(entry); }, 3000));

    // No folder can be made there (a file is in the way, which holds for every user, root
    // included): no entry, the switch stays off, and it works again once the way is free.
    ASSERT_TRUE(QDir(autostart).removeRecursively());
    QFile blocker(autostart);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    key(u"space"_s);
    QTest::qWait(500);
    EXPECT_FALSE(QFileInfo(entry).exists());
    EXPECT_EQ(tessaly->state(), QProcess::Running);
    ASSERT_TRUE(QFile::remove(autostart));
    key(u"space"_s);
    EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(entry); }, 3000))
        << "the switch stayed off after the refusal, so the next press turns it on";
}

// The ignore list and the history managed through the window as a screen reader drives it
// (AT-SPI actions): three applications added with the picker from the tests' own desktop
// entries, one already on the list; an identifier that occurs twice removed; a copy made in an
// ignored application not recorded; the history folder shown by the file manager; the wipe
// cancelled, then confirmed.
TEST_F(SettingsE2ETest, TheIgnoreListAndTheHistoryAreManagedThroughTheWindowsControls)
{
    const QString applications = temp.filePath(u"apps/applications"_s);
    QDir().mkpath(applications);
    const auto entry = [&](const QString &id, const QString &name) {
        QFile file(applications + u'/' + id + u".desktop"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nExec=true\nName=" + name.toUtf8() + "\n");
    };
    entry(u"org.example.Notas"_s, u"Notas"_s);
    entry(u"org.example.Planilha"_s, u"Planilha"_s);
    // The tests' text window: its window class names this entry.
    entry(u"tessaly_text_target"_s, u"Alvo de testes"_s);
    environment.insert(u"XDG_DATA_DIRS"_s, temp.filePath(u"apps"_s));
    environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    stored().setIgnoredBundleIDs({u"org.example.Notas"_s, u"x.dup"_s, u"x.dup"_s});
    FakeFileManager fileManager;
    ASSERT_TRUE(fileManager.registerOnSessionBus());

    ASSERT_TRUE(startTessaly());
    // Recorded from the text window before its application is ignored.
    tessaly::test::TextTarget target;
    ASSERT_TRUE(startTarget(target, u"Alvo"_s));
    ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
    copy(u"primeira entrada"_s);
    ASSERT_TRUE(requestSettings());
    ASSERT_TRUE(settingsActive());
    tessaly::test::AccessibleTree tree;
    ASSERT_TRUE(tree.isValid());
    const qint64 pid = tessaly->processId();
    const auto press = [&](const QString &name) {
        const auto control = tree.find(pid, name);
        ASSERT_TRUE(control) << name.toStdString() << " is not shown";
        ASSERT_TRUE(tree.act(*control)) << name.toStdString();
    };

    // Chosen in this order: Planilha, the text window's application, Notas (already listed).
    press(u"Adicionar app…"_s);
    press(u"Planilha (org.example.Planilha)"_s);
    press(u"Alvo de testes (tessaly_text_target)"_s);
    press(u"Notas (org.example.Notas)"_s);
    press(u"Ignorar"_s);
    const QStringList added{u"org.example.Notas"_s, u"x.dup"_s, u"x.dup"_s,
                            u"org.example.Planilha"_s, u"tessaly_text_target"_s};
    ASSERT_TRUE(waitUntil([&] { return stored().ignoredBundleIDs() == added; }, 3000))
        << stored().ignoredBundleIDs().join(u", "_s).toStdString();
    press(u"Remover x.dup da lista"_s);
    const QStringList kept{u"org.example.Notas"_s, u"org.example.Planilha"_s,
                           u"tessaly_text_target"_s};
    ASSERT_TRUE(waitUntil([&] { return stored().ignoredBundleIDs() == kept; }, 3000));

    // Scrolled down to the data with the mouse wheel.
    const QRect window = visibleWindows({u"--name"_s, windowTitle}).value(0);
    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, QString::number(window.center().x()),
                                 QString::number(window.center().y())}),
              0);
    for (int step = 0; step < 15; ++step)
        run(u"xdotool"_s, {u"click"_s, u"5"_s});

    // The folder in the file manager.
    press(u"Mostrar no gerenciador de arquivos"_s);
    ASSERT_TRUE(waitUntil([&] { return !fileManager.shown.isEmpty(); }, 3000));
    EXPECT_EQ(fileManager.shown,
              QStringList{QUrl::fromLocalFile(temp.filePath(u"data/Tessaly"_s)).toString()});

    // The wipe: cancelled, then confirmed.
    press(u"Apagar tudo…"_s);
    press(u"Cancelar"_s);
    QTest::qWait(300);
    EXPECT_TRUE(historyHolds(u"primeira entrada"_s)) << "cancelling deletes nothing";
    press(u"Apagar tudo…"_s);
    press(u"Apagar tudo"_s);
    EXPECT_TRUE(waitUntil([&] { return !historyHolds(u"primeira entrada"_s); }, 3000));

    // Now a copy made in the text window is not recorded.
    ASSERT_EQ(run(u"xdotool"_s, {u"search"_s, u"--name"_s, u"^Alvo$"_s, u"windowactivate"_s}), 0);
    ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
    start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s}, "segredo do alvo");
    EXPECT_FALSE(waitUntil([&] { return historyHolds(u"segredo do alvo"_s); }, 2000));
}

#include "SettingsE2ETest.moc"
