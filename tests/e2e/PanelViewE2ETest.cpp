#include "fakes/SampleClips.h"
#include "panel/PanelViewHarness.h"
#include "platform/xdg/XdgCardWorkspace.h"
#include "support/XServer.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

using namespace tessaly;
using namespace tessaly::test;

// The panel's views on a real X display (Xvfb + openbox): the pointer hovers and clicks cards,
// a right click opens the desktop popup menu, dragging the header moves the window, and
// "Mostrar no gerenciador de arquivos" asks the file manager over D-Bus.

namespace {

XServer *display = nullptr;

const Instant now = Instant::fromDateTime(QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), Qt::UTC));

// A file manager on the test's session bus that records what it is asked to show.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &) { shown.append(uris); }
    void ShowFolders(const QStringList &, const QString &) {}
    void ShowItemProperties(const QStringList &, const QString &) {}
};

// Runs xdotool on the test display.
void xdotool(const QStringList &arguments)
{
    ASSERT_EQ(display->run(QStringLiteral("xdotool"), arguments), 0)
        << arguments.join(' ').toStdString();
}

QPoint globalCenter(QQuickItem *item)
{
    const QPointF scene = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    return item->window()->mapToGlobal(scene.toPoint());
}

void movePointer(const QPoint &point)
{
    xdotool({"mousemove", QString::number(point.x()), QString::number(point.y())});
}

// Right-clicks the item and answers the popup menu that opens, or null when none opens.
QMenu *rightClick(QQuickItem *item)
{
    movePointer(globalCenter(item));
    xdotool({"click", "3"});
    QMenu *menu = nullptr;
    const bool opened = QTest::qWaitFor(
        [&] {
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu && menu->isVisible();
        },
        5000);
    return opened ? menu : nullptr;
}

class PanelViewE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display) << "no X display";
        harness.model.setNow(now.toDateTime());
        harness.images.thumbnails.clear();
    }

    // Shows the panel's view at a fixed place, frameless as the panel is.
    void showPanel(const QList<ClipItem> &items, CardWorkspace *desktop = nullptr)
    {
        harness.model.setEntries(items);
        harness.model.open();
        ASSERT_TRUE(harness.load(Qt::FramelessWindowHint | Qt::Window, desktop));
        harness.view().setPosition(120, 90);
        ASSERT_TRUE(harness.show());
        harness.view().requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.view(), 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return harness.card(0) != nullptr; }, 5000));
    }

    bool shown(const QString &objectName, QQuickItem *from)
    {
        QQuickItem *item = harness.find(objectName, from);
        return item && isShown(item);
    }

    PanelViewHarness harness;
};

} // namespace

TEST_F(PanelViewE2ETest, ThePointerHoversAndAClickPastes)
{
    const ClipItem first = sampleText("primeiro", now);
    const ClipItem second = sampleText("segundo", now);
    showPanel({first, second});

    QQuickItem *card = harness.card(1);
    EXPECT_FALSE(shown("controls", card));
    movePointer(globalCenter(card));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("controls", card); }, 5000));

    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model.calls.isEmpty(); }, 5000));
    EXPECT_EQ(harness.model.calls, QStringList{"paste " + uuidText(second.id)});

    // The pin button acts instead of pasting.
    harness.model.calls.clear();
    movePointer(globalCenter(harness.find("pinButton", card)));
    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model.calls.isEmpty(); }, 5000));
    EXPECT_EQ(harness.model.calls, QStringList{"togglePin " + uuidText(second.id)});
}

TEST_F(PanelViewE2ETest, ARightClickOpensTheDesktopMenu)
{
    const ClipItem link = sampleLink("https://example.com/página", now);
    showPanel({sampleText("a", now), link});

    QMenu *menu = rightClick(harness.card(1));
    ASSERT_TRUE(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("—") : action->text());
    EXPECT_EQ(texts, (QStringList{"Colar", "Colar como texto puro", "—", "Fixar", "Abrir link", "—",
                                  "Excluir"}));
    // A real popup window of its own, which may reach beyond the panel.
    EXPECT_TRUE(menu->windowHandle() && menu->windowHandle() != &harness.view());

    QAction *pin = menu->actions().at(3);
    movePointer(menu->mapToGlobal(menu->actionGeometry(pin).center()));
    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model.calls.isEmpty(); }, 5000));
    EXPECT_EQ(harness.model.calls, QStringList{"togglePin " + uuidText(link.id)});
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
}

TEST_F(PanelViewE2ETest, ShowingFilesAsksTheFileManager)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    FakeFileManager fileManager;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                   QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.FileManager1"));
    XdgCardWorkspace desktop(bus);

    const ClipItem files = sampleFiles({"/tmp/relatório final.pdf", "/tmp/b.png"}, now);
    showPanel({files}, &desktop);
    QMenu *menu = rightClick(harness.card(0));
    ASSERT_TRUE(menu);
    QAction *reveal = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == "Mostrar no gerenciador de arquivos")
            reveal = action;
    }
    ASSERT_TRUE(reveal);
    movePointer(menu->mapToGlobal(menu->actionGeometry(reveal).center()));
    xdotool({"click", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fileManager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(fileManager.shown,
              (QStringList{"file:///tmp/relat%C3%B3rio%20final.pdf", "file:///tmp/b.png"}));
    EXPECT_TRUE(harness.model.calls.isEmpty());

    bus.unregisterService("org.freedesktop.FileManager1");
    bus.unregisterObject("/org/freedesktop/FileManager1");
}

TEST_F(PanelViewE2ETest, DraggingTheHeaderMovesThePanel)
{
    showPanel({sampleText("a", now)});
    QQuickView &view = harness.view();
    const QPoint start = view.position();
    // A point of the header between the title and the buttons.
    const QPoint grab = view.mapToGlobal(QPoint(215, 24));
    movePointer(grab);
    xdotool({"mousedown", "1"});
    for (int step = 1; step <= 10; ++step) {
        movePointer(grab + QPoint(15 * step, 10 * step));
        QTest::qWait(20);
    }
    xdotool({"mouseup", "1"});
    // The window manager takes over from the first motion on: the panel follows the pointer
    // by the whole drag, less at most that first step.
    const auto movedWithThePointer = [&] {
        const QPoint moved = view.position() - start;
        return moved.x() >= 130 && moved.x() <= 154 && moved.y() >= 85 && moved.y() <= 104;
    };
    EXPECT_TRUE(QTest::qWaitFor(movedWithThePointer, 5000))
        << "moved from (" << start.x() << ", " << start.y() << ") to (" << view.position().x()
        << ", " << view.position().y() << ")";
    // Once released, the pointer moves alone.
    const QPoint dropped = view.position();
    movePointer(grab);
    QTest::qWait(200);
    EXPECT_EQ(view.position(), dropped);
    // The press did not reach the cards.
    EXPECT_TRUE(harness.model.calls.isEmpty());
}

// The display must exist before the application object connects to it.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        QCoreApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    XServer server;
    if (!XServer::hasProgram("xdotool") || !server.start()) {
        std::cerr << "No test display: " << server.errorString().toStdString() << '\n';
        return 1;
    }
    display = &server;
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    display = nullptr;
    return result;
}

#include "PanelViewE2ETest.moc"
