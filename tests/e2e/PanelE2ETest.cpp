// The tessaly executable's history panel on a private display: copies made with xclip, the hot
// key pressed with xdotool, a query typed into the panel and Return — the application that was
// in front receives the chosen text. Escape and a click elsewhere close the panel.

#include "TessalyProcessTest.h"
#include "X11TestClient.h"
#include "hotkey/KeyPosition.h"
#include "panel/PanelPosition.h"
#include "platform/x11/X11KeySynth.h"
#include "platform/x11/XcbConnection.h"
#include "settings/AppSettings.h"

#include <QElapsedTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using tessaly::test::TextTarget;
using tessaly::test::waitUntil;

namespace {

class PanelE2ETest : public tessaly::test::TessalyProcessTest
{
protected:
    // The program with another application's window "Alvo" in front and three entries.
    void startWithThreeEntries(TextTarget &target)
    {
        ASSERT_TRUE(startTessaly());
        ASSERT_TRUE(startTarget(target, u"Alvo"_s));
        ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
        copy(u"alfa primeiro"_s);
        copy(u"beta segundo"_s);
        copy(u"gama terceiro"_s);
    }
};

} // namespace

TEST_F(PanelE2ETest, HotKeyQueryAndReturnPasteIntoTheApplicationInFront)
{
    TextTarget target;
    ASSERT_NO_FATAL_FAILURE(startWithThreeEntries(target));

    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, u"300"_s, u"150"_s}), 0);
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000)) << "the panel opens";
    const auto geometry = panelGeometry();
    ASSERT_TRUE(geometry) << "the panel stays open";
    const QRect shown = *geometry;
    EXPECT_EQ(shown.size(), QSize(400, 560));
    expectPanelWindowStates();
    // Next to the pointer, or next to the text field's caret when the field reports one.
    EXPECT_TRUE(shown.topLeft() == QPoint(302, 152) || shown.intersects(QRect(0, 0, 800, 400)))
        << shown.x() << "," << shown.y();

    ASSERT_EQ(run(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"40"_s, u"beta"_s}), 0);
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Return"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000)) << "the panel closes";
    EXPECT_TRUE(waitUntil([&] { return target.text() == u"beta segundo"_s; }, 10000))
        << target.text().toStdString();

    // Escape closes it (the query is empty).
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    expectPanelWindowStates(); // again: window managers drop them on hiding
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));

    // The hot key closes it again.
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
}

// Whatever the application that owns the clipboard does, the program stays responsive: an owner
// that never answers, and one that offers ten thousand types, hold up neither the hot key nor
// the recording of the next copy.
TEST_F(PanelE2ETest, NoClipboardOwnerHoldsUpThePanelOrTheNextCopy)
{
    ASSERT_TRUE(startTessaly());
    copy(u"antes do bloqueio"_s);
    // The panel's windows, shown once so that they exist; from here on the test watches them
    // on a connection of its own, which answers within a millisecond.
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
    QByteArray ids;
    ASSERT_EQ(run(u"xdotool"_s, {u"search"_s, u"--name"_s, u"^Tessaly$"_s}, &ids), 0);
    tessaly::x11::Connection display;
    ASSERT_TRUE(display.isValid());
    const auto panelViewable = [&] {
        xcb_connection_t *c = display.get();
        for (const QByteArray &id : ids.trimmed().split('\n')) {
            tessaly::x11::Reply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id.toUInt()),
                                                nullptr));
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
                return true;
        }
        return false;
    };
    tessaly::x11::X11KeySynth keys;
    ASSERT_TRUE(keys.isAvailable());
    // Presses the hot key; answers how long the panel took to change to `shown`, in ms.
    const auto toggleAndTime = [&](bool shown) {
        QElapsedTimer elapsed;
        elapsed.start();
        keys.sendKeystroke(tessaly::KeyPosition::V, 0x120000);
        while (panelViewable() != shown && elapsed.elapsed() < 10000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return elapsed.elapsed();
    };

    // The copier takes the clipboard first; the stalled owner takes it over.
    QProcess *copier = startOwner({u"copier"_s});
    startOwner({u"stall"_s});
    QElapsedTimer sinceStall;
    sinceStall.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const qint64 opening = toggleAndTime(true);
    EXPECT_LT(opening, 1000) << "the hot key waited for the stalled owner";
    const qint64 closing = toggleAndTime(false);
    EXPECT_LT(closing, 1000);

    // A second after the stall began, the next copy.
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::max<qint64>(0, 1000 - sinceStall.elapsed())));
    copier->write("depois do bloqueio\n");
    QByteArray said;
    ASSERT_TRUE(waitUntil(
        [&] {
            said += copier->readAllStandardOutput();
            return said.contains("copied ") && said.endsWith('\n');
        },
        10000));
    const qint64 copiedAt = said.mid(said.lastIndexOf("copied ") + 7).trimmed().toLongLong();
    while (!historyHolds(u"depois do bloqueio"_s) &&
           std::chrono::steady_clock::now().time_since_epoch().count() - copiedAt < 10'000'000'000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const qint64 recording =
        (std::chrono::steady_clock::now().time_since_epoch().count() - copiedAt) / 1'000'000;
    ASSERT_TRUE(historyHolds(u"depois do bloqueio"_s));
    EXPECT_LT(recording, 500) << "the copy waited for the stalled owner";

    // Ten thousand types, and the hot key right after the copy.
    startOwner({u"serve"_s, u"UTF8_STRING:=muitos tipos"_s, u"--dummy-types"_s, u"10000"_s});
    const qint64 openingAfterMany = toggleAndTime(true);
    EXPECT_LT(openingAfterMany, 1000) << "the hot key waited for ten thousand types";
    EXPECT_LT(toggleAndTime(false), 1000);

    // A copy costs its owner one list of types, asked for by the reading and by nobody else.
    QProcess *slow = start(QStringLiteral(TESSALY_CLIP_OWNER), {u"slow"_s});
    ASSERT_TRUE(waitUntil([&] { return historyHolds(u"slow but sure"_s); }, 5000));
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(slow->readAllStandardOutput().count("asked"), 1);

    std::printf("stalled owner: panel opened in %lld ms, closed in %lld ms, copy recorded in %lld "
                "ms; 10000 types: panel opened in %lld ms\n",
                static_cast<long long>(opening), static_cast<long long>(closing),
                static_cast<long long>(recording), static_cast<long long>(openingAfterMany));
}

// A paste into the search field (Ctrl+V) reads the clipboard the way capture does: a stalled
// owner freezes nothing, and text that is there goes into the query.
TEST_F(PanelE2ETest, APasteIntoTheSearchFieldNeverWaitsOnTheMainThread)
{
    TextTarget target;
    ASSERT_NO_FATAL_FAILURE(startWithThreeEntries(target));

    startOwner({u"stall"_s});
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+v"_s}), 0);
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 1000))
        << "the paste waited for the stalled owner";
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 10000));

    // Text marked as transient is not recorded, but it can be pasted into the query.
    startOwner({u"serve"_s, u"UTF8_STRING:=segundo"_s, u"org.nspasteboard.TransientType:=1"_s});
    ASSERT_EQ(run(u"xdotool"_s, {u"search"_s, u"--name"_s, u"^Alvo$"_s, u"windowactivate"_s}), 0);
    ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+v"_s}), 0);
    waitUntil([] { return false; }, 500); // the text arrives from the reading thread
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Return"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return target.text() == u"beta segundo"_s; }, 10000))
        << target.text().toStdString();
}

// The program's own windows count as the application in front only while they are shown and
// have the keyboard: once the panel is closed, on a desktop with no other window, copies are
// recorded again, also by the next run of the program.
TEST_F(PanelE2ETest, CopiesAreTheProgramsOwnOnlyWhileThePanelIsShown)
{
    ASSERT_TRUE(startTessaly());
    copy(u"antes do painel"_s);

    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    QByteArray panelID;
    ASSERT_EQ(
        run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tessaly$"_s}, &panelID),
        0);
    ASSERT_TRUE(waitUntil([&] {
        QByteArray active;
        return run(u"xdotool"_s, {u"getactivewindow"_s}, &active) == 0 &&
               active.trimmed() == panelID.trimmed().split('\n').value(0);
    }));
    start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s}, "copiado no painel");
    EXPECT_FALSE(waitUntil([&] { return historyHolds(u"copiado no painel"_s); }, 1500))
        << "a copy made while the panel has the keyboard is the program's own";

    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
    start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s}, "depois do painel");
    EXPECT_TRUE(waitUntil([&] { return historyHolds(u"depois do painel"_s); }, 3000));

    // The next run gets the same window ids; its hidden panel is not in front either.
    ::kill(pid_t(tessaly->processId()), SIGTERM);
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    ASSERT_TRUE(startTessaly());
    copy(u"depois de reiniciar"_s);
}

TEST_F(PanelE2ETest, AClickInAnotherWindowClosesThePanel)
{
    TextTarget target;
    QRect panel;
    ASSERT_NO_FATAL_FAILURE(openPanelInFrontOf(target, panel));
    QByteArray ids;
    ASSERT_EQ(run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Alvo$"_s}, &ids),
              0);
    const QString targetWindow = QString::fromLatin1(ids.trimmed().split('\n').value(0));

    // A point of the target window that the panel does not cover (the panel may have opened
    // at the window's text caret, over most of it).
    QByteArray info;
    ASSERT_EQ(run(u"xwininfo"_s, {u"-id"_s, targetWindow}, &info), 0);
    const auto number = [&](const QString &label) {
        const QRegularExpression pattern(label + u":\\s+(-?\\d+)"_s);
        return pattern.match(QString::fromLatin1(info)).captured(1).toInt();
    };
    const QRect targetRect(number(u"Absolute upper-left X"_s), number(u"Absolute upper-left Y"_s),
                           number(u"Width"_s), number(u"Height"_s));
    std::optional<QPoint> click;
    for (int y = targetRect.top() + 10; y < targetRect.bottom() && !click; y += 10) {
        for (int x = targetRect.left() + 10; x < targetRect.right() && !click; x += 10) {
            if (!panel.adjusted(-4, -4, 4, 4).contains(QPoint(x, y)))
                click = QPoint(x, y);
        }
    }
    ASSERT_TRUE(click) << "the panel covers the whole target window";
    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, QString::number(click->x()),
                                 QString::number(click->y()), u"click"_s, u"1"_s}),
              0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
}

TEST_F(PanelE2ETest, AClickOnAWindowThatNeverTakesTheKeyboardClosesThePanel)
{
    TextTarget target;
    QRect panel;
    ASSERT_NO_FATAL_FAILURE(openPanelInFrontOf(target, panel));
    // A strip along the left edge of the screen, like a dock.
    tessaly::test::X11TestClient dock;
    ASSERT_TRUE(dock.isValid());
    ASSERT_TRUE(dock.showWindowWithoutFocus(0, 0, 30, 800));
    ASSERT_FALSE(panel.intersects(QRect(0, 0, 30, 800))) << panel.x() << "," << panel.y();

    // Clicks in the panel itself keep it open, a quick one on its header too.
    for (const int y : {panel.center().y(), panel.top() + 20}) {
        ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, QString::number(panel.center().x()),
                                     QString::number(y), u"click"_s, u"1"_s}),
                  0);
        EXPECT_FALSE(waitUntil([&] { return !panelShown(); }, 1000)) << y;
    }

    // The wheel over the dock leaves it open too; a click closes it.
    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, u"15"_s, u"400"_s, u"click"_s, u"4"_s}), 0);
    EXPECT_FALSE(waitUntil([&] { return !panelShown(); }, 1000));
    ASSERT_EQ(run(u"xdotool"_s, {u"click"_s, u"1"_s}), 0);
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
}

TEST_F(PanelE2ETest, TheStoredHotKeyOpensThePanelAndIsReleasedAtTheEnd)
{
    // The stored combination is ⌃⌥ + the V key: Super+Alt+V on a PC keyboard.
    tessaly::AppSettings(temp.filePath(u"config/Tessaly/Tessaly.conf"_s))
        .setHotKey(tessaly::HotKeyCombo(tessaly::KeyPosition::V, 0xC0000));
    ASSERT_TRUE(startTessaly());

    // Pressed until the program has registered it (it starts while the test presses).
    ASSERT_TRUE(waitUntil(
        [&] {
            run(u"xdotool"_s, {u"key"_s, u"super+alt+v"_s});
            return waitUntil([&] { return panelShown(); }, 1500);
        },
        20000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));

    // The default combination is not registered: it opens nothing.
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    EXPECT_FALSE(waitUntil([&] { return panelShown(); }, 1500));

    // Ending the program releases the combination for other applications.
    tessaly::test::X11TestClient other;
    ASSERT_TRUE(other.isValid());
    const auto v = other.keymap().x11KeyCode(tessaly::KeyPosition::V);
    const auto stored = other.keymap().x11Modifiers(0xC0000);
    ASSERT_TRUE(v && stored);
    EXPECT_FALSE(other.grabKey(*v, *stored)) << "held while the program runs";
    ::kill(pid_t(tessaly->processId()), SIGTERM);
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    EXPECT_TRUE(other.grabKey(*v, *stored));
}

TEST_F(PanelE2ETest, ADraggedPanelIsRememberedAndReopensThereWhenAsked)
{
    // Opening where it was left needs the "remembered" position.
    tessaly::AppSettings(temp.filePath(u"config/Tessaly/Tessaly.conf"_s))
        .setPanelPosition(tessaly::PanelPosition::Remembered);
    ASSERT_TRUE(startTessaly());
    copy(u"algo"_s);

    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, u"200"_s, u"120"_s}), 0);
    ASSERT_TRUE(waitUntil(
        [&] {
            run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s});
            return waitUntil([&] { return panelShown(); }, 1500);
        },
        20000));
    const QRect opened = *panelGeometry();

    // Drag the header (between the title and its buttons) by (150, 100).
    const QPoint grab = opened.topLeft() + QPoint(215, 24);
    run(u"xdotool"_s, {u"mousemove"_s, QString::number(grab.x()), QString::number(grab.y())});
    run(u"xdotool"_s, {u"mousedown"_s, u"1"_s});
    for (int step = 1; step <= 10; ++step) {
        const QPoint to = grab + QPoint(15 * step, 10 * step);
        // At a hand's pace: the window manager takes the move over while the button is held.
        run(u"xdotool"_s, {u"mousemove"_s, QString::number(to.x()), QString::number(to.y()),
                           u"sleep"_s, u"0.02"_s});
    }
    run(u"xdotool"_s, {u"mouseup"_s, u"1"_s});
    std::optional<QRect> dropped;
    ASSERT_TRUE(waitUntil(
        [&] {
            dropped = panelGeometry();
            return dropped && (dropped->topLeft() - opened.topLeft()).manhattanLength() > 150;
        },
        5000));

    // Closing keeps it; the next opening, with the pointer elsewhere, comes back there.
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
    ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, u"1000"_s, u"700"_s}), 0);
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    const auto reopened = panelGeometry();
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->topLeft(), dropped->topLeft());
}
