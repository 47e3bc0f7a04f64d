// The tessaly executable's tray icon on a private display, in both kinds of tray: a
// StatusNotifier host on the session bus (the tests' own, driving the exported menu over D-Bus
// as a panel does) and an XEmbed tray (trayer), clicked and used with the keyboard.

#include "TessalyProcessTest.h"
#include "capture/ClipboardReader.h"
#include "history/HistoryStore.h"
#include "history/IndexCoding.h"
#include "history/PrivateFiles.h"
#include "platform/x11/XcbConnection.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using tessaly::test::TextTarget;
using tessaly::test::waitUntil;

namespace {

class TrayE2ETest : public tessaly::test::TessalyProcessTest
{
protected:
    TrayE2ETest() : TessalyProcessTest({u"/usr/bin/python3"_s, u"trayer"_s}) {}

    // The StatusNotifier host; answers once it owns the watcher's name.
    bool startHost()
    {
        m_host = start(u"/usr/bin/python3"_s, {QStringLiteral(TESSALY_SNI_HOST)});
        m_said.clear();
        return next([](const QJsonObject &answer) { return answer.contains(u"ready"_s); })
            .has_value();
    }

    // The host's next answer that `wanted` accepts (others are dropped).
    std::optional<QJsonObject> next(const std::function<bool(const QJsonObject &)> &wanted,
                                    int timeoutMs = 10000)
    {
        std::optional<QJsonObject> found;
        waitUntil(
            [&] {
                m_said += m_host->readAllStandardOutput();
                while (!found && m_said.contains('\n')) {
                    const qsizetype end = m_said.indexOf('\n');
                    const QJsonObject answer = QJsonDocument::fromJson(m_said.left(end)).object();
                    m_said.remove(0, end + 1);
                    if (wanted(answer))
                        found = answer;
                }
                return found.has_value();
            },
            timeoutMs);
        return found;
    }

    std::optional<QJsonObject> ask(const QByteArray &command)
    {
        m_host->write(command + '\n');
        return next([](const QJsonObject &answer) { return !answer.contains(u"registered"_s); });
    }

    bool waitForRegistration()
    {
        return next([](const QJsonObject &answer) { return answer.contains(u"registered"_s); })
            .has_value();
    }

    // The menu's top-level rows as the host sees them after AboutToShow.
    QJsonArray layout()
    {
        const auto answer = ask("layout");
        return answer ? answer->value(u"layout"_s).toArray() : QJsonArray{};
    }

    // A row's label as the host shows it: dbusmenu marks a mnemonic with "_" and writes a
    // literal one "__".
    static QString shown(const QJsonObject &row)
    {
        if (row.value(u"type"_s) == u"separator"_s)
            return u"---"_s;
        QString label = row.value(u"label"_s).toString();
        QString text;
        for (qsizetype i = 0; i < label.size(); ++i) {
            if (label[i] == u'_' && i + 1 < label.size())
                ++i;
            text += label[i];
        }
        return text;
    }

    static QStringList labels(const QJsonArray &rows)
    {
        QStringList texts;
        for (const auto &row : rows)
            texts.append(shown(row.toObject()));
        return texts;
    }

    static QJsonObject row(const QJsonArray &rows, const QString &label)
    {
        for (const auto &entry : rows) {
            if (shown(entry.toObject()) == label)
                return entry.toObject();
        }
        return {};
    }

    // Clicks the row shown with that label in the menu as it is now (its ids change with
    // every rebuild, and a host reads the layout again when told it changed).
    bool click(const QString &label)
    {
        const QJsonObject chosen = row(layout(), label);
        return !chosen.isEmpty() &&
               ask("click " + QByteArray::number(chosen.value(u"id"_s).toInt())).has_value();
    }

    QString iconDigest()
    {
        const auto answer = ask("icon");
        return answer ? answer->value(u"pixmaps"_s).toString() : QString();
    }

    QList<tessaly::ClipItem> historyOnDisk() const
    {
        const auto bytes =
            tessaly::PrivateFiles::readAll(temp.filePath(u"data/Tessaly/history.json"_s));
        return tessaly::IndexCoding::decodeIndex(bytes.value_or("[]"))
            .value_or(QList<tessaly::ClipItem>{});
    }

    QProcess *m_host = nullptr;
    QByteArray m_said;
};

} // namespace

TEST_F(TrayE2ETest, AStatusNotifierHostShowsTheMenuAndItsActionsWork)
{
    ASSERT_TRUE(startHost());
    ASSERT_TRUE(startTessaly());
    ASSERT_TRUE(waitForRegistration()) << "the program registers its icon with the watcher";
    const auto icon = ask("icon");
    ASSERT_TRUE(icon);
    EXPECT_FALSE(icon->value(u"pixmaps"_s).toString().isEmpty());

    TextTarget target;
    ASSERT_TRUE(startTarget(target, u"Alvo"_s));
    ASSERT_TRUE(waitUntilActive(u"Alvo"_s));
    copy(u"alfa primeiro"_s);
    copy(u"beta & segundo"_s);

    QJsonArray rows = layout();
    EXPECT_EQ(labels(rows),
              (QStringList{u"Mostrar histórico"_s, u"---"_s, u"Recentes"_s, u"beta & segundo"_s,
                           u"alfa primeiro"_s, u"---"_s, u"Pausar captura"_s, u"Limpar histórico"_s,
                           u"---"_s, u"Ajustes…"_s, u"Sair do Tessaly"_s}))
        << QJsonDocument(rows).toJson().constData();
    EXPECT_FALSE(row(rows, u"Recentes"_s).value(u"enabled"_s).toBool(true));
    EXPECT_EQ(row(rows, u"Mostrar histórico"_s).value(u"shortcut"_s).toArray(),
              QJsonArray({QJsonArray({u"Control"_s, u"Shift"_s, u"V"_s})}));
    EXPECT_EQ(row(rows, u"alfa primeiro"_s).value(u"shortcut"_s).toArray(),
              QJsonArray({QJsonArray({u"2"_s})}));
    EXPECT_TRUE(row(rows, u"alfa primeiro"_s).value(u"has-icon"_s).toBool());

    // An entry chosen in the menu lands in the application in front.
    ASSERT_TRUE(click(u"alfa primeiro"_s));
    EXPECT_TRUE(waitUntil([&] { return target.text() == u"alfa primeiro"_s; }, 10000))
        << target.text().toStdString();

    // Pausing changes the icon and the item; a copy meanwhile is not recorded.
    const QString capturing = iconDigest();
    ASSERT_TRUE(click(u"Pausar captura"_s));
    EXPECT_TRUE(waitUntil([&] { return iconDigest() != capturing; }, 5000));
    rows = layout();
    EXPECT_TRUE(labels(rows).contains(u"Retomar captura"_s));
    start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s}, "durante a pausa");
    EXPECT_FALSE(waitUntil([&] { return historyHolds(u"durante a pausa"_s); }, 1500));

    // A tray that goes away and comes back gets the icon again.
    m_host->kill();
    m_host->waitForFinished(5000);
    ASSERT_TRUE(startHost());
    EXPECT_TRUE(waitForRegistration());

    // Quitting from the menu ends the program cleanly, with the history written.
    ASSERT_TRUE(click(u"Sair do Tessaly"_s));
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    EXPECT_EQ(tessaly->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tessaly->exitCode(), 0);
    EXPECT_EQ(historyOnDisk().size(), 2);
}

TEST_F(TrayE2ETest, AnXEmbedTrayHoldsTheIconAndItsMenuWorksFromTheKeyboard)
{
    // A history of ten mixed entries and a pinned one, written before the program starts.
    {
        tessaly::HistoryStore store(temp.filePath(u"data/Tessaly"_s));
        store.setLimitProvider([] { return 50; });
        const QStringList texts = {u"Reunião às 15h na sala 2"_s,
                                   u"https://example.com/docs/instalacao"_s,
                                   u"#3478F6"_s,
                                   u"Lista:\n- pão\n- café"_s,
                                   u"   \n\t  linha com espaços à frente"_s,
                                   u"مرحبا بالعالم"_s,
                                   QString(120, u'x'),
                                   u"Bom dia! 🙂 a & b"_s,
                                   u"fixado no topo"_s};
        for (const QString &text : texts) {
            tessaly::Capture capture = tessaly::test::textCapture(text);
            capture.kind = tessaly::ClipboardReader::classify(text);
            store.add(capture);
        }
        tessaly::Capture image = tessaly::test::imageCapture("imagem");
        image.imageWidth = 1920;
        image.imageHeight = 1080;
        store.add(image);
        store.add(
            tessaly::test::filesCapture({u"/home/ana/relatório.pdf"_s, u"/home/ana/notas.txt"_s}));
        store.togglePin(store.items().at(2).id); // "fixado no topo"
        store.waitForPendingWrites();
    }

    QProcess *tray = start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s,
                                         u"--widthtype"_s, u"pixel"_s, u"--width"_s, u"120"_s,
                                         u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s});
    ASSERT_TRUE(waitUntil(
        [&] {
            return run(u"xdotool"_s, {u"search"_s, u"--class"_s, u"trayer"_s}) == 0;
        },
        10000));

    const QString screenshots = QStringLiteral(TESSALY_SCREENSHOT_DIR);
    QDir().mkpath(screenshots);
    // Light, then dark (the desktop's GTK theme, as a GNOME or XFCE session would set it).
    for (const bool dark : {false, true}) {
        if (dark) {
            environment.insert(u"QT_QPA_PLATFORMTHEME"_s, u"gtk3"_s);
            environment.insert(u"GTK_THEME"_s, u"Adwaita:dark"_s);
        }
        ASSERT_TRUE(startTessaly());
        // Embedded: the tray shows a small window of the program's at the top of the screen;
        // a click on it opens the menu.
        std::optional<QRect> iconRect;
        ASSERT_TRUE(waitUntil(
            [&] {
                for (const QRect &window : visibleWindows({u"--class"_s, u"tessaly"_s})) {
                    if (window.height() <= 64 && window.top() < 40)
                        iconRect = window;
                }
                return iconRect.has_value();
            },
            15000))
            << "the icon is not in the tray";
        const QPoint centre = iconRect->center();
        ASSERT_EQ(run(u"xdotool"_s, {u"mousemove"_s, QString::number(centre.x()),
                                     QString::number(centre.y()), u"click"_s, u"1"_s}),
                  0);
        std::optional<QRect> menu;
        ASSERT_TRUE(waitUntil(
            [&] {
                for (const QRect &window : visibleWindows({u"--class"_s, u"tessaly"_s})) {
                    if (window.height() > 200)
                        menu = window;
                }
                return menu.has_value();
            },
            10000))
            << "the menu did not open";
        waitUntil([] { return false; }, 300); // drawn
        tessaly::x11::Connection display;
        xcb_connection_t *c = display.get();
        tessaly::x11::Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, display.root(), int16_t(menu->x()),
                          int16_t(menu->y()), uint16_t(menu->width()), uint16_t(menu->height()),
                          ~0u),
            nullptr));
        ASSERT_TRUE(image);
        const QImage picture(xcb_get_image_data(image.get()), menu->width(), menu->height(),
                             QImage::Format_RGB32);
        const QString file = screenshots + (dark ? u"/menu-dark.png"_s : u"/menu-light.png"_s);
        ASSERT_TRUE(picture.copy().save(file)) << file.toStdString();

        // The keyboard: past "Mostrar histórico" and the ten entries to the pause item, then
        // Return.
        for (int step = 0; step < 12; ++step)
            run(u"xdotool"_s, {u"key"_s, u"Down"_s});
        ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Return"_s}), 0);
        const QString config = temp.filePath(u"config/Tessaly/Tessaly.conf"_s);
        const auto paused = [&] {
            QFile file(config);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("isPaused=true");
        };
        EXPECT_TRUE(waitUntil(paused, 5000)) << "the pause item was chosen from the keyboard";

        ::kill(pid_t(tessaly->processId()), SIGTERM);
        ASSERT_TRUE(tessaly->waitForFinished(10000));
        QFile::remove(config);
        skipWelcome();
    }
    tray->kill();
}
