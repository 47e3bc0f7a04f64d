#include "panel/PanelController.h"
#include "capture/ClipboardMonitor.h"
#include "fakes/FakeAccessibilityPermission.h"
#include "fakes/FakeCaretSource.h"
#include "fakes/FakeKeySynth.h"
#include "fakes/FakeKeyboardLayoutSource.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreens.h"
#include "fakes/FakeWorkspace.h"
#include "history/HistoryStore.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "panel/CaretLocator.h"
#include "panel/PanelModel.h"
#include "panel/PanelPlacer.h"
#include "panel/PanelWindow.h"
#include "panel/PasteService.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr quint64 command = HotKeyCombo::commandFlag;
constexpr quint64 shift = HotKeyCombo::shiftFlag;

// The panel window as the controller sees it: shows, hides, takes frames.
class FakePanelWindow : public PanelWindow
{
public:
    bool visible = false;
    QRectF current;
    int shows = 0;

    bool isVisible() const override { return visible; }
    QRectF frame() const override { return current; }
    void setFrame(const QRectF &frame) override { current = frame; }
    void show() override
    {
        visible = true;
        ++shows;
    }
    void hide() override { visible = false; }

    // The user presses a key in the panel; answers whether the panel used it.
    bool press(quint16 keyCode, quint64 modifiers = 0, const QString &characters = {})
    {
        return onKey && onKey(PanelKey{keyCode, modifiers, characters});
    }
};

class PanelControllerTest : public ::testing::Test
{
protected:
    PanelControllerTest()
        : settings(temp.filePath(QStringLiteral("settings.conf"))),
          store(temp.filePath(QStringLiteral("history"))),
          monitor(store, settings, pasteboard, nullptr),
          pasteService(store, monitor, pasteboard, keys),
          caretLocator(caretSource, screens, accessibility), placer(screens, caretLocator, settings)
    {
        store.setLimitProvider([] { return 50; });
        store.setClock([this] { return clock; });
        screens.areas = {{QRectF(0, 0, 1280, 800), QRectF(0, 0, 1280, 776)}};
        screens.mouse = QPointF(600, 700);
        model = std::make_unique<PanelModel>(store, settings, accessibility);
        controller = std::make_unique<PanelController>(
            PanelController::Services{store, settings, pasteService, workspace, accessibility,
                                      placer},
            *model, window);
        // Short delays keep the tests quick; each wait below outlasts them.
        controller->setDelays({std::chrono::milliseconds(1), std::chrono::milliseconds(30),
                               std::chrono::milliseconds(1)});
        controller->beep = [this] { ++beeps; };
        controller->onOpenSettings = [this] { ++settingsOpened; };

        RunningApplication editor;
        editor.bundleID = QStringLiteral("org.gnome.TextEditor");
        editor.processID = 4242;
        editor.windowID = 77;
        workspace.setFrontmost(editor);
    }

    void addTexts(const QStringList &texts)
    {
        for (const QString &text : texts) {
            clock = clock.addingSeconds(1);
            store.add(textCapture(text));
        }
    }

    QStringList visibleTexts() const
    {
        QStringList result;
        for (const ClipItem &item : controller->model().visibleItems())
            result.append(item.textString().value_or(QString()));
        return result;
    }

    QString selectedText() const
    {
        const auto item = controller->model().selectedItem();
        return item ? item->textString().value_or(QString()) : QString();
    }

    // What the last write put on the clipboard, as plain text.
    QString written() const
    {
        const auto writes = pasteboard.writes();
        if (writes.isEmpty())
            return {};
        if (writes.last().string)
            return *writes.last().string;
        return QString::fromUtf8(
            writes.last().items.value(0).value(QStringLiteral("UTF8_STRING")).value_or(""));
    }

    QTemporaryDir temp;
    Instant clock = Instant(1000);
    AppSettings settings;
    HistoryStore store;
    FakePasteboard pasteboard;
    ClipboardMonitor monitor;
    FakeKeySynth keys;
    PasteService pasteService;
    FakeWorkspace workspace;
    FakeAccessibilityPermission accessibility;
    FakeScreens screens;
    FakeCaretSource caretSource;
    CaretLocator caretLocator;
    PanelPlacer placer;
    FakePanelWindow window;
    std::unique_ptr<PanelModel> model;
    std::unique_ptr<PanelController> controller;
    int beeps = 0;
    int settingsOpened = 0;
};

} // namespace

TEST_F(PanelControllerTest, OpeningCapturesTheTargetResetsTheModelAndPlacesThePanel)
{
    addTexts({QStringLiteral("um"), QStringLiteral("dois")});
    controller->model().setQuery(QStringLiteral("um"));
    controller->model().setFilter(ClipFilter::Pinned);
    const qint64 token = controller->model().openToken();

    controller->show();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(controller->targetApp()->bundleID, QStringLiteral("org.gnome.TextEditor"));
    EXPECT_TRUE(controller->model().query().isEmpty());
    EXPECT_EQ(controller->model().filter(), ClipFilter::All);
    EXPECT_EQ(selectedText(), QStringLiteral("dois"));
    EXPECT_EQ(controller->model().openToken(), token + 1);
    // No caret: at the mouse pointer, 2 points right of and below it.
    EXPECT_EQ(window.current, QRectF(602, 700 - 2 - 560, 400, 560));

    // This program in front (its settings window, say): no target.
    RunningApplication own;
    own.processID = QCoreApplication::applicationPid();
    workspace.setFrontmost(own);
    controller->show();
    EXPECT_FALSE(controller->targetApp());
}

TEST_F(PanelControllerTest, ReturnPastesTheSelectionAndShiftReturnPastesPlainText)
{
    Capture rich = textCapture(QStringLiteral("rico"));
    rich.payload.items[0].insert(QStringLiteral("text/html"), "<b>rico</b>");
    store.add(rich);
    controller->show();
    workspace.setFrontmost(std::nullopt); // the panel has the keyboard now

    EXPECT_TRUE(window.press(KeyPosition::Return));
    EXPECT_FALSE(window.visible);
    ASSERT_EQ(pasteboard.writes().size(), 1);
    EXPECT_EQ(pasteboard.writes()[0].items[0].types().size(), 2) << "the full snapshot";
    EXPECT_EQ(store.items().first().lastUsedAt, clock) << "marked used";

    controller->show();
    EXPECT_TRUE(window.press(KeyPosition::KeypadEnter, shift)); // Shift held
    EXPECT_EQ(pasteboard.writes().last().string, QStringLiteral("rico"));

    // Nothing selected: consumed, nothing happens.
    controller->show();
    controller->model().setQuery(QStringLiteral("nada disso"));
    controller->model().selectFirst();
    EXPECT_TRUE(window.press(KeyPosition::Return));
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(pasteboard.writes().size(), 2);
}

TEST_F(PanelControllerTest, TheKeystrokeReachesTheActivatedTargetAfterItsDelay)
{
    auto layout = std::make_shared<FakeKeyboardLayoutSource>();
    KeyboardLayout::ScopedSource scoped(layout);
    addTexts({QStringLiteral("colar isto")});
    controller->show();
    RunningApplication panel;
    panel.processID = QCoreApplication::applicationPid();
    workspace.setFrontmost(panel);
    workspace.setHoldActivations(true);
    PanelController::Delays patient = controller->delays();
    patient.activation = std::chrono::hours(1);
    controller->setDelays(patient);

    window.press(KeyPosition::Return);
    ASSERT_EQ(workspace.activations().size(), 1);
    EXPECT_EQ(workspace.activations()[0].windowID, 77u);
    // The target takes its time to come to the front: no keystroke before it has the keyboard
    // (or the activation delay ran out).
    waitUntil([] { return false; }, 40);
    EXPECT_TRUE(keys.keystrokes.isEmpty());
    workspace.setHoldActivations(false);
    workspace.activate(*controller->targetApp());
    ASSERT_TRUE(waitUntil([&] { return !keys.keystrokes.isEmpty(); }, 2000));
    EXPECT_EQ(keys.keystrokes[0], (FakeKeySynth::Keystroke{KeyPosition::V, command}));

    // An application that never comes forward still gets the keystroke, at the latest after
    // the activation delay.
    patient.activation = std::chrono::milliseconds(30);
    controller->setDelays(patient);
    keys.keystrokes.clear();
    controller->show();
    workspace.setFrontmost(panel);
    workspace.setHoldActivations(true);
    window.press(KeyPosition::Return);
    ASSERT_TRUE(waitUntil([&] { return !keys.keystrokes.isEmpty(); }, 2000));
}

TEST_F(PanelControllerTest, AutomaticPastingOffOrUntrustedOnlyCopies)
{
    addTexts({QStringLiteral("só copiar")});
    settings.setAutoPaste(false);
    controller->show();
    window.press(KeyPosition::Return);
    waitUntil([] { return false; }, 40);
    EXPECT_EQ(written(), QStringLiteral("só copiar"));
    EXPECT_TRUE(keys.keystrokes.isEmpty());

    settings.setAutoPaste(true);
    accessibility.trusted = false;
    controller->show();
    EXPECT_FALSE(controller->model().accessibilityTrusted()) << "the banner shows";
    window.press(KeyPosition::Return);
    waitUntil([] { return false; }, 40);
    EXPECT_TRUE(keys.keystrokes.isEmpty());
    EXPECT_EQ(accessibility.calls, QStringList{QStringLiteral("request")});
}

TEST_F(PanelControllerTest, AnEntryThatCannotBeWrittenBeepsAndStaysUnused)
{
    store.add(test::imageCapture("png"));
    store.waitForPendingWrites();
    QFile::remove(store.payloadPath(store.items().first().id));
    const Instant used = store.items().first().lastUsedAt;
    clock = clock.addingSeconds(60);

    controller->show();
    window.press(KeyPosition::Return);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(pasteboard.writes().isEmpty());
    EXPECT_EQ(store.items().first().lastUsedAt, used);
}

TEST_F(PanelControllerTest, CommandDigitsPasteTheNthVisibleEntry)
{
    addTexts({QStringLiteral("d"), QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
    controller->show();
    EXPECT_TRUE(
        window.press(KeyPosition::Digit5, command, QStringLiteral("5"))); // only four entries
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(pasteboard.writes().isEmpty());

    EXPECT_TRUE(window.press(KeyPosition::Digit3, command | shift, QStringLiteral("3")));
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(pasteboard.writes().last().string, QStringLiteral("c")) << "plain text";
}

TEST_F(PanelControllerTest, DeletingMovesTheSelectionDownThenUp)
{
    addTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
    controller->show();
    EXPECT_FALSE(window.press(KeyPosition::Backspace)) << "plain Backspace edits the search field";
    EXPECT_EQ(store.items().size(), 3);

    EXPECT_TRUE(window.press(KeyPosition::Backspace, command));
    EXPECT_EQ(visibleTexts(), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(selectedText(), QStringLiteral("b"));
    window.press(KeyPosition::DownArrow); // down to the last
    EXPECT_TRUE(window.press(KeyPosition::ForwardDelete));
    EXPECT_EQ(selectedText(), QStringLiteral("b")) << "the last one deleted: the one above";
    window.press(KeyPosition::ForwardDelete);
    EXPECT_FALSE(controller->model().selectedItem()) << "nothing left to select";
    EXPECT_TRUE(window.press(KeyPosition::ForwardDelete)) << "consumed even with nothing selected";
}

TEST_F(PanelControllerTest, EscapeClearsTheQueryThenCloses)
{
    addTexts({QStringLiteral("a")});
    controller->show();
    controller->model().setQuery(QStringLiteral("x"));
    EXPECT_TRUE(window.press(KeyPosition::Escape));
    EXPECT_TRUE(controller->model().query().isEmpty());
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(window.press(KeyPosition::Escape));
    EXPECT_FALSE(window.visible);

    controller->show();
    EXPECT_TRUE(window.press(KeyPosition::W, command, QStringLiteral("w")));
    EXPECT_FALSE(window.visible);
    controller->show();
    EXPECT_TRUE(window.press(KeyPosition::Comma, command, QStringLiteral(",")));
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(settingsOpened, 1);

    controller->show();
    window.onDeactivated();
    EXPECT_FALSE(window.visible) << "losing the keyboard closes the panel";
}

TEST_F(PanelControllerTest, SelectionKeysFiltersAndPinning)
{
    QStringList texts;
    for (int i = 12; i >= 1; --i)
        texts.append(QStringLiteral("e%1").arg(i));
    addTexts(texts);
    controller->show();
    EXPECT_TRUE(window.press(KeyPosition::PageDown));
    EXPECT_EQ(selectedText(), QStringLiteral("e6"));
    window.press(KeyPosition::PageDown);
    window.press(KeyPosition::PageDown);
    EXPECT_EQ(selectedText(), QStringLiteral("e12")) << "clamped at the last entry";
    EXPECT_TRUE(window.press(KeyPosition::PageUp));
    EXPECT_EQ(selectedText(), QStringLiteral("e7"));
    EXPECT_TRUE(window.press(KeyPosition::UpArrow));
    EXPECT_EQ(selectedText(), QStringLiteral("e6"));

    EXPECT_TRUE(window.press(KeyPosition::P, command, QStringLiteral("p")));
    EXPECT_TRUE(store.items().first().pinned);
    EXPECT_EQ(store.items().first().text, QStringLiteral("e6"));
    EXPECT_EQ(selectedText(), QStringLiteral("e6")) << "pinning keeps the selection";

    EXPECT_TRUE(window.press(KeyPosition::Tab));
    EXPECT_EQ(controller->model().filter(), ClipFilter::Text);
    EXPECT_TRUE(window.press(KeyPosition::Tab, shift));
    EXPECT_TRUE(window.press(KeyPosition::Tab, shift));
    EXPECT_EQ(controller->model().filter(), ClipFilter::Pinned);
    EXPECT_EQ(selectedText(), QStringLiteral("e6"));

    EXPECT_FALSE(window.press(KeyPosition::A, 0, QStringLiteral("a")))
        << "typing goes to the search field";
    EXPECT_FALSE(window.press(KeyPosition::C, command, QStringLiteral("c")))
        << "Ctrl+C is the field's";
}

TEST_F(PanelControllerTest, ClearingKeepsPinnedEntriesAndASelection)
{
    addTexts({QStringLiteral("b"), QStringLiteral("a")});
    store.togglePin(store.items().last().id); // "b" pinned
    controller->show();
    controller->clearAll();
    EXPECT_EQ(visibleTexts(), QStringList{QStringLiteral("b")});
    EXPECT_EQ(selectedText(), QStringLiteral("b"));

    controller->requestAccessibility();
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(accessibility.calls.last(), QStringLiteral("request"));
}

TEST_F(PanelControllerTest, AKeystrokeStillWaitingIsDroppedWhenThePanelOpensAgain)
{
    addTexts({QStringLiteral("a")});
    controller->show();
    window.press(KeyPosition::Return);
    controller->show(); // the hot key again, before the keystroke's delay ran out
    waitUntil([] { return false; }, 80);
    EXPECT_TRUE(keys.keystrokes.isEmpty()) << "Ctrl+V would land in the panel's search field";

    // Once the panel is closed, a paste sends its keystroke again.
    controller->hide();
    controller->paste(store.items().first(), false, controller->targetApp());
    ASSERT_TRUE(waitUntil([&] { return !keys.keystrokes.isEmpty(); }, 2000));
}
