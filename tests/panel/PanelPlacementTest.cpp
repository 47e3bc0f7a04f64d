#include "panel/PanelPlacement.h"
#include "fakes/FakeAccessibilityPermission.h"
#include "fakes/FakeCaretSource.h"
#include "fakes/FakePanelFrame.h"
#include "fakes/FakeScreens.h"
#include "panel/CaretLocator.h"
#include "panel/DesktopSpace.h"
#include "panel/PanelPlacer.h"
#include "settings/AppSettings.h"

#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A 1440 × 900 primary screen with a 25-point top bar and a 70-point dock at the bottom, and a
// 1920 × 1080 screen to its right with a 30-point bar at the top.
const ScreenArea primary{QRectF(0, 0, 1440, 900), QRectF(0, 70, 1440, 805)};
const ScreenArea secondary{QRectF(1440, 0, 1920, 1080), QRectF(1440, 0, 1920, 1050)};

PlacementInputs inputs(PanelPosition position, QPointF mouse,
                       std::optional<QPointF> remembered = std::nullopt)
{
    return {position, mouse, remembered, {primary, secondary}};
}

} // namespace

TEST(PanelPlacementTest, CaretPlacesThePanelBelowItAndFlipsAboveNearTheBottom)
{
    const QPointF mouse(10, 10);
    // Below: top edge 6 points under the caret, left edge 12 points to its left.
    EXPECT_EQ(panelOrigin(inputs(PanelPosition::Caret, mouse), QRectF(300, 700, 1, 18)),
              QPointF(288, 700 - 6 - 560));
    // Near the bottom: bottom edge 6 points above the caret's top.
    EXPECT_EQ(panelOrigin(inputs(PanelPosition::Caret, mouse), QRectF(300, 100, 1, 18)),
              QPointF(288, 118 + 6));
    // No caret: at the pointer, as in mouse mode.
    EXPECT_EQ(panelOrigin(inputs(PanelPosition::Caret, QPointF(500, 800)), std::nullopt),
              QPointF(502, 800 - 2 - 560));
}

TEST(PanelPlacementTest, MouseAtTheRightEdgeKeepsThePanelInside)
{
    const QPointF origin =
        panelOrigin(inputs(PanelPosition::Mouse, QPointF(1435, 500)), std::nullopt);
    EXPECT_EQ(origin.x() + panelWidth, 1440 - 8);
    EXPECT_EQ(origin.y(), 70 + 8); // would reach below the dock: raised to the margin
}

TEST(PanelPlacementTest, TheCaretChoosesTheScreen)
{
    // Mouse on the primary screen, caret on the secondary one: the panel follows the caret.
    const QPointF origin =
        panelOrigin(inputs(PanelPosition::Caret, QPointF(100, 100)), QRectF(2000, 700, 1, 20));
    EXPECT_EQ(origin, QPointF(1988, 134));
}

TEST(PanelPlacementTest, CentreIsSixtyPointsAboveTheMiddleOfTheScreenUnderTheMouse)
{
    const QPointF origin =
        panelOrigin(inputs(PanelPosition::Center, QPointF(2000, 500)), std::nullopt);
    const QPointF centre(origin.x() + panelWidth / 2, origin.y() + panelHeight / 2);
    EXPECT_EQ(centre, QPointF(1440 + 960, 525 + 60));
    // The pointer off every screen: the primary screen.
    const QPointF fallback =
        panelOrigin(inputs(PanelPosition::Center, QPointF(-50, -50)), std::nullopt);
    EXPECT_EQ(fallback, QPointF(720 - 200, 70 + 402.5 - 280 + 60));
}

TEST(PanelPlacementTest, RememberedCornerIsUsedOnlyWhenOnAScreen)
{
    const PlacementInputs usable =
        inputs(PanelPosition::Remembered, QPointF(10, 10), QPointF(100, 800));
    EXPECT_TRUE(rememberedTopLeftUsable(usable));
    EXPECT_FALSE(placementNeedsCaret(usable));
    EXPECT_EQ(panelOrigin(usable, std::nullopt), QPointF(100, 240));

    // The screen is chosen by the remembered corner, not by the pointer.
    const PlacementInputs onSecondary =
        inputs(PanelPosition::Remembered, QPointF(10, 10), QPointF(2800, 1000));
    EXPECT_EQ(panelOrigin(onSecondary, std::nullopt), QPointF(2800, 440));

    // 200 points to the right and 1 below lies on no screen (a display that went away): as caret.
    const PlacementInputs gone =
        inputs(PanelPosition::Remembered, QPointF(500, 800), QPointF(3300, 500));
    EXPECT_FALSE(rememberedTopLeftUsable(gone));
    EXPECT_TRUE(placementNeedsCaret(gone));
    EXPECT_EQ(panelOrigin(gone, QRectF(300, 700, 1, 18)), QPointF(288, 134));
    EXPECT_EQ(panelOrigin(gone, std::nullopt), QPointF(502, 238));

    // The top edge of a screen: the point just below it is on the screen; one at its very
    // bottom is not.
    EXPECT_TRUE(
        rememberedTopLeftUsable(inputs(PanelPosition::Remembered, QPointF(), QPointF(100, 900))));
    EXPECT_FALSE(
        rememberedTopLeftUsable(inputs(PanelPosition::Remembered, QPointF(), QPointF(100, 1))));
    EXPECT_FALSE(placementNeedsCaret(inputs(PanelPosition::Mouse, QPointF())));
}

TEST(PanelPlacementTest, ClampingOnAScreenSmallerThanThePanelKeepsLeftAndTopEdges)
{
    const ScreenArea tiny{QRectF(0, 0, 300, 400), QRectF(0, 0, 300, 400)};
    const PlacementInputs small{PanelPosition::Mouse, QPointF(150, 200), std::nullopt, {tiny}};
    const QPointF origin = panelOrigin(small, std::nullopt);
    EXPECT_EQ(origin.x(), 8);
    EXPECT_EQ(origin.y() + panelHeight, 400 - 8);
}

TEST(PanelPlacementTest, WithoutScreensThePanelGoesToThePointer)
{
    const PlacementInputs none{PanelPosition::Center, QPointF(50, 700), std::nullopt, {}};
    EXPECT_EQ(panelOrigin(none, std::nullopt), QPointF(52, 138));
    EXPECT_FALSE(screenContaining({}, QPointF()));
}

TEST(PanelPlacementTest, DesktopSpaceTurnsTopDownCoordinatesUpsideDown)
{
    // The primary screen sits at (1920, 180) of a larger top-down desktop.
    const DesktopSpace space(QRectF(1920, 180, 1440, 900));
    EXPECT_EQ(space.fromTopDown(QPointF(1920, 1080)), QPointF(0, 0));
    EXPECT_EQ(space.fromTopDown(QPointF(2000, 180)), QPointF(80, 900));
    // A window 100 × 50 at the top-left corner of the primary screen.
    EXPECT_EQ(space.fromTopDown(QRectF(1920, 180, 100, 50)), QRectF(0, 850, 100, 50));
    const QRectF rect(-300, 40, 400, 560);
    EXPECT_EQ(space.fromTopDown(space.toTopDown(rect)), rect);
    EXPECT_EQ(space.toTopDown(space.fromTopDown(QPointF(7, 9))), QPointF(7, 9));
}

class CaretLocatorTest : public ::testing::Test
{
protected:
    void SetUp() override { screens.areas = {primary, secondary}; }

    FakeScreens screens;
    FakeCaretSource source;
    FakeAccessibilityPermission accessibility;
    CaretLocator locator{source, screens, accessibility};
};

TEST_F(CaretLocatorTest, ConvertsToTheDesktopSpaceAndWidensAnInsertionPoint)
{
    // Display pixels, top-down: 200 from the top of a 900-high primary screen.
    source.rect = QRectF(300, 200, 0, 18);
    EXPECT_EQ(locator.caretRect(), QRectF(300, 900 - 218, 1, 18));
    source.rect = QRectF(300, 200, 40, 18); // a selection keeps its width
    EXPECT_EQ(locator.caretRect(), QRectF(300, 682, 40, 18));
}

TEST_F(CaretLocatorTest, RejectsImplausibleRectangles)
{
    source.rect = QRectF(0, 0, 2, 18);
    EXPECT_FALSE(locator.caretRect());
    source.rect = QRectF(0, 5, 2, 18); // only one coordinate zero: fine
    EXPECT_TRUE(locator.caretRect());
    source.rect = QRectF(300, 200, 1, 0);
    EXPECT_FALSE(locator.caretRect());
    source.rect = QRectF(300, 200, 1, 300);
    EXPECT_FALSE(locator.caretRect());
    source.rect = QRectF(300, 200, 1, 299);
    EXPECT_TRUE(locator.caretRect());
    source.rect = QRectF(5000, 200, 1, 18); // right of every screen
    EXPECT_FALSE(locator.caretRect());
    source.rect = std::nullopt;
    EXPECT_FALSE(locator.caretRect());
}

TEST_F(CaretLocatorTest, AsksNothingWithoutTrustOrScreens)
{
    source.rect = QRectF(300, 200, 1, 18);
    accessibility.trusted = false;
    EXPECT_FALSE(locator.caretRect());
    EXPECT_EQ(source.lookups, 0);
    accessibility.trusted = true;
    screens.areas.clear();
    EXPECT_FALSE(locator.caretRect());
}

class PanelPlacerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        settings = std::make_unique<AppSettings>(directory.filePath(QStringLiteral("s.conf")));
        screens.areas = {primary, secondary};
        screens.mouse = QPointF(500, 800);
        source.rect = QRectF(300, 200, 1, 18); // desktop space (300, 682)
        placer = std::make_unique<PanelPlacer>(screens, locator, *settings);
    }

    QTemporaryDir directory;
    FakeScreens screens;
    FakeCaretSource source;
    FakeAccessibilityPermission accessibility;
    CaretLocator locator{source, screens, accessibility};
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<PanelPlacer> placer;
    FakePanelFrame panel;
};

TEST_F(PanelPlacerTest, LooksForTheCaretOnlyWhenThePositionNeedsIt)
{
    settings->setPanelPosition(PanelPosition::Mouse);
    EXPECT_EQ(placer->chooseOrigin(), QPointF(502, 238));
    settings->setPanelPosition(PanelPosition::Center);
    placer->chooseOrigin();
    EXPECT_EQ(source.lookups, 0);

    settings->setPanelPosition(PanelPosition::Caret);
    EXPECT_EQ(placer->chooseOrigin(), QPointF(288, 682 - 566));
    EXPECT_EQ(source.lookups, 1);

    settings->setPanelPosition(PanelPosition::Remembered); // nothing remembered yet: as caret
    EXPECT_EQ(placer->chooseOrigin(), QPointF(288, 116));
    settings->storeLastPanelTopLeft(QPointF(120, 800));
    EXPECT_EQ(placer->chooseOrigin(), QPointF(120, 240));
    EXPECT_EQ(source.lookups, 2);

    EXPECT_EQ(placer->screenUnderMouse(), primary);
    screens.mouse = QPointF(2000, 10);
    EXPECT_EQ(placer->screenUnderMouse(), secondary);
}

TEST_F(PanelPlacerTest, PlacingIsNoDragButTheSlightestUserMoveIs)
{
    settings->setPanelPosition(PanelPosition::Mouse);
    // The window reports its move while the frame is being set.
    panel.onMove = [&] { placer->rememberPositionIfMoved(panel); };
    placer->place(panel);
    EXPECT_EQ(panel.current, QRectF(502, 238, 400, 560));
    EXPECT_EQ(placer->shownOrigin(), QPointF(502, 238));
    EXPECT_FALSE(placer->isPositioning());
    placer->rememberPositionIfMoved(panel); // a late notification of the same position
    EXPECT_FALSE(placer->userMovedPanel());
    EXPECT_FALSE(settings->lastPanelTopLeft());

    panel.current.translate(1, 0); // the user drags it one point
    placer->rememberPositionIfMoved(panel);
    EXPECT_TRUE(placer->userMovedPanel());
    EXPECT_EQ(settings->lastPanelTopLeft(), QPointF(503, 798));

    panel.current.moveTo(502, 238); // and back: still recorded, every move from now on
    placer->rememberPositionIfMoved(panel);
    EXPECT_EQ(settings->lastPanelTopLeft(), QPointF(502, 798));

    // The next opening starts afresh; a hidden panel records nothing.
    placer->place(panel);
    EXPECT_FALSE(placer->userMovedPanel());
    panel.visible = false;
    panel.current.translate(50, 50);
    placer->rememberPositionIfMoved(panel);
    EXPECT_EQ(settings->lastPanelTopLeft(), QPointF(502, 798));
}

TEST_F(PanelPlacerTest, TheOriginShownIsTheOneTheWindowGot)
{
    settings->setPanelPosition(PanelPosition::Mouse);
    // A window manager that nudges new windows.
    panel.adjust = [](const QRectF &frame) { return frame.translated(0, -4); };
    placer->place(panel);
    EXPECT_EQ(placer->shownOrigin(), QPointF(502, 234));
    placer->rememberPositionIfMoved(panel);
    EXPECT_FALSE(settings->lastPanelTopLeft());
}
