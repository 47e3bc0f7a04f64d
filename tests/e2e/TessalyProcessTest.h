#pragma once

// The fixture of end-to-end tests that drive the tessaly executable on a private display: the
// program started with the display's environment, copies made with xclip until recorded, the
// panel's window found with xdotool, another application's window in front.

#include "support/E2ETest.h"
#include "support/TestSupport.h"
#include "support/TextTarget.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <optional>

namespace tessaly::test {

using namespace Qt::Literals::StringLiterals;

class TessalyProcessTest : public E2ETest
{
protected:
    explicit TessalyProcessTest(QStringList programs = {})
        : E2ETest(QStringList{u"xclip"_s, u"xdotool"_s, u"xwininfo"_s} + programs)
    {}

    // Another application's text window, titled `title`.
    bool startTarget(TextTarget &target, const QString &title)
    {
        return target.start(QStringLiteral(TESSALY_TEXT_TARGET), {title}, environment);
    }

    QProcess *tessaly = nullptr;

    bool startTessaly()
    {
        tessaly = start(QStringLiteral(TESSALY_EXECUTABLE));
        return waitForLaunchLine(tessaly).has_value();
    }

    int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
    {
        return server.run(program, arguments, 10000, output);
    }

    // Copies the text with xclip until the program has recorded it (a copy made while the
    // program is still starting counts as already on the clipboard at launch).
    void copy(const QString &text)
    {
        const auto recorded = [&] {
            QFile index(temp.filePath(u"data/Tessaly/history.json"_s));
            return index.open(QIODevice::ReadOnly) && index.readAll().contains(text.toUtf8());
        };
        ASSERT_TRUE(waitUntil(
            [&] {
                start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s}, text.toUtf8());
                return waitUntil(recorded, 3000);
            },
            15000))
            << text.toStdString();
    }

    // The panel's window and its geometry on the screen, when it is shown.
    std::optional<QRect> panelGeometry()
    {
        const QList<QRect> shown = visibleWindows({u"--name"_s, u"^Tessaly$"_s});
        return shown.isEmpty() ? std::nullopt : std::optional<QRect>(shown.first());
    }

    // The screen rectangles of the viewable windows that `xdotool search --onlyvisible` finds
    // with these criteria (--name PATTERN, --class PATTERN …), in its order.
    QList<QRect> visibleWindows(const QStringList &criteria)
    {
        QByteArray ids;
        if (run(u"xdotool"_s, QStringList{u"search"_s, u"--onlyvisible"_s} + criteria, &ids) != 0)
            return {};
        QList<QRect> windows;
        for (const QByteArray &id : ids.trimmed().split('\n')) {
            QByteArray info;
            if (id.isEmpty() ||
                run(u"xwininfo"_s, {u"-id"_s, QString::fromLatin1(id)}, &info) != 0 ||
                !info.contains("IsViewable"))
                continue;
            const auto number = [&](const char *label) {
                const QRegularExpression pattern(QString::fromLatin1(label) + u":\\s+(-?\\d+)"_s);
                return pattern.match(QString::fromLatin1(info)).captured(1).toInt();
            };
            windows.append(QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"),
                                 number("Width"), number("Height")));
        }
        return windows;
    }

    bool panelShown() { return panelGeometry().has_value(); }

    bool historyHolds(const QString &text)
    {
        QFile index(temp.filePath(u"data/Tessaly/history.json"_s));
        return index.open(QIODevice::ReadOnly) && index.readAll().contains(text.toUtf8());
    }

    // Starts the helper that owns the clipboard in its own ways and waits until it is ready.
    QProcess *startOwner(const QStringList &arguments)
    {
        QProcess *owner = start(QStringLiteral(TESSALY_CLIP_OWNER), arguments);
        QByteArray said;
        EXPECT_TRUE(waitUntil(
            [&] {
                said += owner->readAllStandardOutput();
                return said.contains("ready\n");
            },
            10000));
        return owner;
    }

    // Starts the program with another application's window "Alvo" in front and one entry
    // recorded, then opens the panel with the pointer away from that window.
    void openPanelInFrontOf(TextTarget &target, QRect &panel)
    {
        ASSERT_TRUE(startTessaly());
        ASSERT_TRUE(startTarget(target, u"Alvo"_s));
        ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
        copy(u"qualquer coisa"_s);
        ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, u"900"_s, u"100"_s}), 0);
        ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
        ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
        const auto geometry = panelGeometry();
        ASSERT_TRUE(geometry);
        panel = *geometry;
    }

    // Above ordinary windows, on every workspace, out of the taskbar and the pager.
    void expectPanelWindowStates()
    {
        QByteArray ids;
        QByteArray states;
        run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Tessaly$"_s}, &ids);
        run(u"xprop"_s,
            {u"-id"_s, QString::fromLatin1(ids.trimmed().split('\n').value(0)), u"_NET_WM_STATE"_s,
             u"_NET_WM_DESKTOP"_s},
            &states);
        for (const char *state :
             {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
              "_NET_WM_DESKTOP(CARDINAL) = 4294967295"})
            EXPECT_TRUE(states.contains(state)) << state << " in " << states.constData();
    }

    // Waits until the window with that title is the active one (a new window takes the focus
    // a moment after it appears).
    bool waitUntilActive(const QString &title)
    {
        return waitUntil(
            [&] {
                QByteArray active;
                QByteArray named;
                return run(u"xdotool"_s, {u"getactivewindow"_s}, &active) == 0 &&
                       run(u"xdotool"_s,
                           {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^"_s + title + u"$"_s},
                           &named) == 0 &&
                       !active.trimmed().isEmpty() && named.split('\n').contains(active.trimmed());
            },
            15000);
    }
};

} // namespace tessaly::test
