#include "panel/PasteService.h"
#include "capture/ClipboardMonitor.h"
#include "fakes/FakeHotKeyService.h"
#include "fakes/FakeKeySynth.h"
#include "fakes/FakeKeyboardLayoutSource.h"
#include "fakes/FakePasteboard.h"
#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

class PasteServiceTest : public ::testing::Test
{
protected:
    PasteServiceTest()
        : settings(temp.filePath(QStringLiteral("settings.conf"))),
          store(temp.filePath(QStringLiteral("history"))),
          monitor(store, settings, pasteboard, nullptr), service(store, monitor, pasteboard, keys)
    {
        store.setLimitProvider([] { return 50; });
    }

    // An entry as the capture would have stored it.
    ClipItem addEntry(const Capture &capture)
    {
        store.add(capture);
        return store.items().first();
    }

    static Capture richText(const QString &plain, const QByteArray &html)
    {
        Capture capture = textCapture(plain);
        capture.payload.items[0].insert(QStringLiteral("text/html"), html);
        capture.hasRichText = true;
        return capture;
    }

    QTemporaryDir temp;
    AppSettings settings;
    HistoryStore store;
    FakePasteboard pasteboard;
    ClipboardMonitor monitor;
    FakeKeySynth keys;
    PasteService service;
};

} // namespace

TEST_F(PasteServiceTest, FullPasteWritesEverySnapshotItemAndMarksTheWriteAsOwn)
{
    Capture capture = richText(QStringLiteral("olá"), "<b>olá</b>");
    PayloadItem second;
    second.insert(QStringLiteral("image/png"), QByteArray("png"));
    capture.payload.items.append(second);
    const ClipItem item = addEntry(capture);

    ASSERT_TRUE(service.write(item, false));
    ASSERT_EQ(pasteboard.writes().size(), 1);
    EXPECT_EQ(pasteboard.writes()[0].items, capture.payload.items);
    EXPECT_FALSE(pasteboard.writes()[0].string);
    EXPECT_EQ(pasteboard.clearCount(), 1);
    EXPECT_EQ(monitor.ownChangeCount(), pasteboard.changeCount());
}

TEST_F(PasteServiceTest, PlainPasteTakesTheSnapshotStringNotTheStoredText)
{
    Capture capture = richText(QStringLiteral("snapshot text"), "<i>x</i>");
    capture.text = QStringLiteral("stored text");
    const ClipItem item = addEntry(capture);

    ASSERT_TRUE(service.write(item, true));
    ASSERT_EQ(pasteboard.writes().size(), 1);
    EXPECT_EQ(pasteboard.writes()[0].string, QStringLiteral("snapshot text"));
    EXPECT_TRUE(pasteboard.writes()[0].items.isEmpty() ||
                !pasteboard.writes()[0].items[0].contains(QStringLiteral("text/html")));
    EXPECT_EQ(monitor.ownChangeCount(), pasteboard.changeCount());
}

TEST_F(PasteServiceTest, PlainTextSkipsItemsWhoseStringIsNotUtf8)
{
    Capture capture = textCapture(QStringLiteral("ignored"));
    capture.payload.items[0] = PayloadItem();
    capture.payload.items[0].insert(QStringLiteral("UTF8_STRING"), QByteArray("\xff\xfe"));
    PayloadItem good;
    good.insert(QStringLiteral("UTF8_STRING"), QByteArray("segundo"));
    capture.payload.items.append(good);
    const ClipItem item = addEntry(capture);
    EXPECT_EQ(service.plainString(item, store.payload(item.id)), QStringLiteral("segundo"));
    EXPECT_EQ(service.plainString(item, std::nullopt), QStringLiteral("ignored"));
}

TEST_F(PasteServiceTest, FileEntriesPasteTheirPathsAsPlainTextAndTheirUrlsInFull)
{
    const Capture capture =
        test::filesCapture({QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/c")});
    ASSERT_EQ(capture.text, QStringLiteral("a b.txt\nc"));
    ASSERT_EQ(capture.payload.items.first().value(QStringLiteral("text/uri-list")),
              QByteArray("file:///tmp/a%20b.txt\r\nfile:///tmp/c"));
    const ClipItem item = addEntry(capture);

    ASSERT_TRUE(service.write(item, true));
    EXPECT_EQ(pasteboard.writes().last().string, QStringLiteral("/tmp/a b.txt\n/tmp/c"));
    ASSERT_TRUE(service.write(item, false));
    EXPECT_EQ(pasteboard.writes().last().items, capture.payload.items);
}

TEST_F(PasteServiceTest, WithoutASnapshotFallsBackToPathsOrTextOrNothing)
{
    const ClipItem text = addEntry(textCapture(QStringLiteral("só texto")));
    store.waitForPendingWrites();
    QFile::remove(store.payloadPath(text.id));
    ASSERT_TRUE(service.write(text, false));
    EXPECT_EQ(pasteboard.writes().last().string, QStringLiteral("só texto"));

    const ClipItem imageItem = addEntry(test::imageCapture("png"));
    store.waitForPendingWrites();
    QFile::remove(store.payloadPath(imageItem.id));

    const qint64 before = pasteboard.changeCount();
    const int writes = int(pasteboard.writes().size());
    monitor.setOwnChangeCount(-7);
    EXPECT_FALSE(service.write(imageItem, false));
    EXPECT_FALSE(service.write(imageItem, true)) << "no plain text either: nothing to write";
    EXPECT_EQ(pasteboard.changeCount(), before) << "the clipboard is left untouched";
    EXPECT_EQ(pasteboard.writes().size(), writes);
    EXPECT_EQ(monitor.ownChangeCount(), -7);
}

TEST_F(PasteServiceTest, PlainRequestWithoutPlainTextWritesTheSnapshot)
{
    const Capture image = test::imageCapture("png");
    const ClipItem item = addEntry(image);
    ASSERT_TRUE(service.write(item, true));
    EXPECT_EQ(pasteboard.writes().last().items, image.payload.items);
}

TEST_F(PasteServiceTest, KeystrokeIsCtrlVOnTheLayoutsVKeyOrCtrlShiftVForTerminals)
{
    auto layout = std::make_shared<FakeKeyboardLayoutSource>();
    KeyboardLayout::ScopedSource scoped(layout);

    RunningApplication editor;
    editor.bundleID = QStringLiteral("org.gnome.TextEditor");
    service.sendPasteKeystroke(editor);
    service.sendPasteKeystroke(std::nullopt);
    ASSERT_EQ(keys.keystrokes.size(), 2);
    EXPECT_EQ(keys.keystrokes[0],
              (FakeKeySynth::Keystroke{KeyPosition::V, HotKeyCombo::commandFlag}));
    EXPECT_EQ(keys.keystrokes[1],
              (FakeKeySynth::Keystroke{KeyPosition::V, HotKeyCombo::commandFlag}));

    // A layout whose "v" sits elsewhere (Dvorak puts it on the US "." key).
    layout->outputs[KeyPosition::V] = QStringLiteral("k");
    layout->outputs[KeyPosition::Period] = QStringLiteral("v");
    for (const QString &id : {QStringLiteral("XTerm"), QStringLiteral("org.gnome.Terminal"),
                              QStringLiteral("org.kde.konsole"), QStringLiteral("kitty")}) {
        RunningApplication terminal;
        terminal.bundleID = id;
        keys.keystrokes.clear();
        service.sendPasteKeystroke(terminal);
        ASSERT_EQ(keys.keystrokes.size(), 1);
        EXPECT_EQ(keys.keystrokes[0],
                  (FakeKeySynth::Keystroke{KeyPosition::Period,
                                           HotKeyCombo::commandFlag | HotKeyCombo::shiftFlag}))
            << id.toStdString();
    }
    RunningApplication byCategory;
    byCategory.bundleID = QStringLiteral("com.example.Shell");
    byCategory.terminalEmulator = true;
    EXPECT_TRUE(PasteService::isTerminal(byCategory));

    // No key types "v": the US V key.
    layout->outputs[KeyPosition::Period] = QStringLiteral("z");
    keys.keystrokes.clear();
    service.sendPasteKeystroke(editor);
    EXPECT_EQ(keys.keystrokes[0].keyCode, KeyPosition::V);
}

TEST_F(PasteServiceTest, OwnHotKeyIsLiftedOnlyWhileTheKeystrokeIsTheHotKey)
{
    auto layout = std::make_shared<FakeKeyboardLayoutSource>();
    KeyboardLayout::ScopedSource scoped(layout);
    auto hotKeyService = std::make_unique<FakeHotKeyService>();
    FakeHotKeyService *grabs = hotKeyService.get();
    GlobalHotKey hotKey(std::move(hotKeyService));
    ASSERT_TRUE(hotKey.registerCombo(HotKeyCombo::defaultCombo()));
    PasteService withHotKey(store, monitor, pasteboard, keys, &hotKey);

    bool grabbedDuringKeystroke = true;
    keys.whileSending = [&] { grabbedDuringKeystroke = grabs->grabbed.has_value(); };
    RunningApplication terminal;
    terminal.bundleID = QStringLiteral("XTerm");
    withHotKey.sendPasteKeystroke(terminal);
    EXPECT_FALSE(grabbedDuringKeystroke) << "Ctrl+Shift+V would reach our own grab";
    EXPECT_TRUE(grabs->grabbed.has_value()) << "grabbed again afterwards";

    const int ungrabs = grabs->ungrabCalls;
    RunningApplication editor;
    editor.bundleID = QStringLiteral("org.gnome.TextEditor");
    withHotKey.sendPasteKeystroke(editor);
    EXPECT_TRUE(grabbedDuringKeystroke) << "Ctrl+V does not touch the hot key";
    EXPECT_EQ(grabs->ungrabCalls, ungrabs);
}
