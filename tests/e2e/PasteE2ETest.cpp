// The paste path on a real X server: an entry captured from another application is written
// back to CLIPBOARD by the program, the application that was in front is activated again, and
// the real paste keystroke (XTest) pastes it — into a Qt text field of another process, and into
// xterm, which pastes on Ctrl+Shift+V while that is also the program's own hot key.

#include "capture/ClipboardMonitor.h"
#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyboardLayout.h"
#include "panel/PasteService.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11KeySynth.h"
#include "platform/x11/X11KeyboardLayoutSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "platform/xdg/DesktopEntries.h"
#include "settings/AppSettings.h"
#include "support/E2ETest.h"
#include "support/TestSupport.h"
#include "support/TextTarget.h"
#include "support/XServer.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::E2ETest;
using tessaly::test::TextTarget;
using tessaly::test::waitUntil;
using tessaly::test::XServer;

namespace {

// Another application's text window, titled `title`; what is pasted into it is its text().
bool startTarget(TextTarget &target, const XServer &server, const QString &title)
{
    return target.start(QStringLiteral(TESSALY_TEXT_TARGET), {title}, server.environment());
}

class PasteE2ETest : public E2ETest
{
protected:
    PasteE2ETest() : E2ETest({u"xclip"_s, u"xdotool"_s}) {}

    void SetUp() override
    {
        E2ETest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        settings = std::make_unique<AppSettings>(temp.filePath(u"Tessaly.conf"_s));
        store = std::make_unique<HistoryStore>(temp.filePath(u"data/Tessaly"_s));
        store->setLimitProvider([] { return 50; });
        pasteboard = std::make_unique<X11Pasteboard>();
        ASSERT_TRUE(pasteboard->isValid());
        entries = std::make_unique<DesktopEntries>(QStringList{temp.filePath(u"apps"_s)});
        workspace = std::make_unique<X11Workspace>(u"br.com.norvale.tessaly"_s, u"Tessaly"_s,
                                                   entries.get());
        monitor =
            std::make_unique<ClipboardMonitor>(*store, *settings, *pasteboard, workspace.get());
        monitor->setOwnBundleID(u"br.com.norvale.tessaly"_s);
        monitor->start();
        layout = std::make_unique<KeyboardLayout::ScopedSource>(
            std::make_shared<x11::X11KeyboardLayoutSource>());
        keys = std::make_unique<x11::X11KeySynth>();
        ASSERT_TRUE(keys->isAvailable());
        hotKey = std::make_unique<GlobalHotKey>(std::make_unique<x11::X11HotKeyService>());
        hotKey->onPressed = [this] { ++hotKeyPresses; };
        service =
            std::make_unique<PasteService>(*store, *monitor, *pasteboard, *keys, hotKey.get());
    }

    void TearDown() override
    {
        service.reset();
        hotKey.reset();
        monitor.reset();
        E2ETest::TearDown();
    }

    // Another application copies the text; answers its entry once the monitor recorded it.
    std::optional<ClipItem> copiedByAnotherApplication(const QString &text)
    {
        QProcess *xclip = server.spawn(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s});
        if (!xclip)
            return std::nullopt;
        xclip->write(text.toUtf8());
        xclip->closeWriteChannel();
        std::optional<ClipItem> found;
        waitUntil(
            [&] {
                for (const ClipItem &item : store->items()) {
                    if (item.text == text)
                        found = item;
                }
                return found.has_value();
            },
            10000);
        return found;
    }

    // The frontmost application once it is the one of the given process.
    std::optional<RunningApplication> frontmostOf(qint64 processID)
    {
        std::optional<RunningApplication> frontmost;
        waitUntil(
            [&] {
                frontmost = workspace->frontmostApplication();
                return frontmost && frontmost->processID == processID;
            },
            10000);
        if (!frontmost || frontmost->processID != processID)
            return std::nullopt;
        return frontmost;
    }

    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<X11Pasteboard> pasteboard;
    std::unique_ptr<DesktopEntries> entries;
    std::unique_ptr<X11Workspace> workspace;
    std::unique_ptr<ClipboardMonitor> monitor;
    std::unique_ptr<KeyboardLayout::ScopedSource> layout;
    std::unique_ptr<x11::X11KeySynth> keys;
    std::unique_ptr<GlobalHotKey> hotKey;
    std::unique_ptr<PasteService> service;
    int hotKeyPresses = 0;
};

} // namespace

TEST_F(PasteE2ETest, PastesIntoTheApplicationThatWasInFrontEvenWithShiftHeld)
{
    ASSERT_TRUE(hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    TextTarget target;
    ASSERT_TRUE(startTarget(target, server, u"Alvo"_s));
    const auto targetApp = frontmostOf(target.processId());
    ASSERT_TRUE(targetApp) << "the new window is active";

    const auto entry = copiedByAnotherApplication(u"texto de volta ✓"_s);
    ASSERT_TRUE(entry);
    ASSERT_TRUE(copiedByAnotherApplication(u"outra cópia"_s));

    // Another window comes to the front meanwhile.
    TextTarget other;
    ASSERT_TRUE(startTarget(other, server, u"Outro"_s));
    ASSERT_TRUE(frontmostOf(other.processId()));

    const qsizetype entriesBefore = store->items().size();
    ASSERT_TRUE(service->write(*entry, false));
    EXPECT_EQ(monitor->ownChangeCount(), pasteboard->changeCount());

    ASSERT_TRUE(workspace->activate(*targetApp));
    ASSERT_TRUE(waitUntil([&] { return workspace->isActive(*targetApp); }, 5000));

    // The user still holds Shift from Shift+Return: the keystroke must still be Ctrl+V alone.
    ASSERT_EQ(server.run(u"xdotool"_s, {u"keydown"_s, u"shift"_s}), 0);
    service->sendPasteKeystroke(targetApp);
    server.run(u"xdotool"_s, {u"keyup"_s, u"shift"_s});

    EXPECT_TRUE(waitUntil([&] { return target.text() == u"texto de volta ✓"_s; }, 10000))
        << target.text().toStdString();
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_EQ(hotKeyPresses, 0);

    // The program's own write is not recorded again.
    waitUntil([] { return false; }, 800);
    EXPECT_EQ(store->items().size(), entriesBefore);
    EXPECT_EQ(store->items().first().text, u"outra cópia"_s);
}

TEST_F(PasteE2ETest, CtrlIsFoundWhereverTheKeyboardPutsIt)
{
    if (!XServer::hasProgram(u"setxkbmap"_s) || !XServer::hasProgram(u"xset"_s))
        GTEST_SKIP() << "setxkbmap or xset is not installed";
    // Ctrl and Caps Lock swapped: the key at Ctrl's usual place types Caps Lock.
    ASSERT_EQ(server.run(u"setxkbmap"_s, {u"-layout"_s, u"us"_s, u"-option"_s, u"ctrl:swapcaps"_s}),
              0);
    TextTarget target;
    ASSERT_TRUE(startTarget(target, server, u"Alvo"_s));
    const auto targetApp = frontmostOf(target.processId());
    ASSERT_TRUE(targetApp);
    const auto entry = copiedByAnotherApplication(u"com ctrl trocado"_s);
    ASSERT_TRUE(entry);

    ASSERT_TRUE(service->write(*entry, false));
    service->sendPasteKeystroke(targetApp);
    EXPECT_TRUE(waitUntil([&] { return target.text() == u"com ctrl trocado"_s; }, 10000))
        << target.text().toStdString();
    QByteArray state;
    server.run(u"xset"_s, {u"q"_s}, 5000, &state);
    EXPECT_TRUE(state.contains("Caps Lock:   off")) << state.constData();
}

TEST_F(PasteE2ETest, PlainTextPasteDropsTheOtherRepresentations)
{
    TextTarget target;
    ASSERT_TRUE(startTarget(target, server, u"Alvo"_s));
    const auto targetApp = frontmostOf(target.processId());
    ASSERT_TRUE(targetApp);
    const auto entry = copiedByAnotherApplication(u"só o texto"_s);
    ASSERT_TRUE(entry);

    ASSERT_TRUE(service->write(*entry, true));
    QByteArray targets;
    ASSERT_EQ(server.run(u"xclip"_s,
                         {u"-selection"_s, u"clipboard"_s, u"-t"_s, u"TARGETS"_s, u"-o"_s}, 5000,
                         &targets),
              0);
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.constData();
    service->sendPasteKeystroke(targetApp);
    EXPECT_TRUE(waitUntil([&] { return target.text() == u"só o texto"_s; }, 10000));
}

TEST_F(PasteE2ETest, TerminalGetsCtrlShiftVPastedWhileThatIsTheHotKey)
{
    if (!XServer::hasProgram(u"xterm"_s))
        GTEST_SKIP() << "xterm is not installed";
    ASSERT_TRUE(hotKey->registerCombo(HotKeyCombo::defaultCombo()));

    // xterm pastes CLIPBOARD on Ctrl+Shift+V, as terminals do; what it receives goes to a file.
    const QString received = temp.filePath(u"received.txt"_s);
    QProcess *xterm =
        server.spawn(u"xterm"_s, {u"-xrm"_s,
                                  u"XTerm*VT100.translations: #override Ctrl Shift <Key>V: "
                                  u"insert-selection(CLIPBOARD)"_s,
                                  u"-e"_s, u"sh"_s, u"-c"_s,
                                  u"stty -icanon -echo; exec cat > '%1'"_s.arg(received)});
    ASSERT_TRUE(xterm);
    const auto terminal = frontmostOf(xterm->processId());
    ASSERT_TRUE(terminal);
    EXPECT_TRUE(PasteService::isTerminal(*terminal)) << terminal->bundleID->toStdString();

    const auto entry = copiedByAnotherApplication(u"echo do terminal"_s);
    ASSERT_TRUE(entry);
    ASSERT_TRUE(copiedByAnotherApplication(u"depois"_s));
    ASSERT_TRUE(service->write(*entry, false));
    service->sendPasteKeystroke(terminal);

    EXPECT_TRUE(waitUntil(
        [&] {
            QFile file(received);
            return file.open(QIODevice::ReadOnly) && file.readAll() == "echo do terminal";
        },
        10000));
    EXPECT_EQ(hotKeyPresses, 0) << "our own grab took the keystroke";

    // The hot key is back: a real press reaches the handler.
    ASSERT_EQ(server.run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return hotKeyPresses == 1; }, 5000));
}
