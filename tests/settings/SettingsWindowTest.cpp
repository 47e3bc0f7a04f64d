#include "settings/SettingsWindowController.h"

#include "history/HistoryStore.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyApplier.h"
#include "hotkey/HotKeyRecorder.h"
#include "hotkey/KeyPosition.h"
#include "panel/KeyTranslator.h"
#include "panel/cards/CardImageProvider.h"
#include "settings/AppSettings.h"
#include "settings/LaunchAtLogin.h"
#include "settings/SettingsState.h"

#include "fakes/FakeAccessibilityPermission.h"
#include "fakes/FakeCardBackends.h"
#include "fakes/FakeHotKeyService.h"
#include "fakes/FakeKeyboardLayoutSource.h"
#include "hotkey/KeyboardLayout.h"
#include "settings/SettingsView.h"
#include "support/Palettes.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QQuickItem>
#include <QQuickView>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

// The settings window on fakes, drawn offscreen: what its keys and its closing do, and pictures
// of it for people to look at (build/screenshots/settings/…).

namespace {

constexpr quint64 shift = HotKeyCombo::shiftFlag, command = HotKeyCombo::commandFlag,
                  option = HotKeyCombo::optionFlag;

// Native scan codes are the key positions themselves, native modifiers the flags.
class FakeKeyTranslator : public KeyTranslator
{
public:
    void refresh() override {}
    std::optional<PanelKey> translate(quint32 scanCode, quint32 modifiers) const override
    {
        static const QHash<quint16, QString> characters = {{KeyPosition::V, "v"},
                                                           {KeyPosition::K, "k"},
                                                           {KeyPosition::W, "w"},
                                                           {KeyPosition::F5, ""},
                                                           {KeyPosition::Shift, ""}};
        return PanelKey{quint16(scanCode), modifiers, characters.value(quint16(scanCode))};
    }
};

class FakeLaunchAtLogin : public LaunchAtLogin
{
public:
    Status current = Status::NotRegistered;
    QString refusal;
    Status status() const override { return current; }
    bool setEnabled(bool enabled, QString *error) override
    {
        if (!refusal.isEmpty()) {
            if (error)
                *error = refusal;
            return false;
        }
        current = enabled ? Status::Enabled : Status::NotRegistered;
        return true;
    }
};

QIcon paintedIcon(const QColor &color)
{
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, 40, 40), 10, 10);
    return QIcon(pixmap);
}

class SettingsWindowTest : public ::testing::Test
{
protected:
    SettingsWindowTest()
    {
        QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("Adwaita"));
        auto service = std::make_unique<FakeHotKeyService>();
        hotKeyService = service.get();
        hotKey = std::make_unique<GlobalHotKey>(std::move(service));
        settings = std::make_unique<AppSettings>(dir.filePath("t.conf"));
        applier = std::make_unique<HotKeyApplier>(*settings, *hotKey);
        settings->onHotKeyChange = [this] { applier->applyHotKey(); };
        applier->applyHotKey();
        store = std::make_unique<HistoryStore>(dir.filePath("history"));
        store->setLimitProvider([this] { return settings->maxItems(); });
        settings->onMaxItemsChange = [this] { store->trim(); };
        KeyboardLayout::setSource(std::make_shared<FakeKeyboardLayoutSource>());
        images.appIcons = {{"org.gnome.TextEditor", paintedIcon(QColor(0x35, 0x84, 0xe4))},
                           {"org.mozilla.firefox", paintedIcon(QColor(0xe6, 0x61, 0x00))}};
    }

    ~SettingsWindowTest() override
    {
        controller.reset();
        KeyboardLayout::setSource(nullptr);
        QApplication::setPalette(lightPalette());
    }

    SettingsWindowController &window()
    {
        if (!controller) {
            SettingsWindowController::Services services{
                *settings,
                *store,
                accessibility,
                login,
                *hotKey,
                keys,
                PanelViewBackends{nullptr, &images, nullptr},
                ApplicationPicker::Services{}};
            services.picker.listApplications = [] {
                return QList<PickableApplication>{
                    {"org.gnome.TextEditor", "Editor de texto",
                     CardImageProvider::appIconUrl("org.gnome.TextEditor")},
                    {"org.mozilla.firefox", "Firefox",
                     CardImageProvider::appIconUrl("org.mozilla.firefox")},
                    {"org.gnome.Calculator", "Calculadora", QUrl()},
                    {"org.gnome.Maps", "Mapas", QUrl()}};
            };
            services.appName = [](const QString &id) {
                return id == u"org.gnome.TextEditor"  ? QStringLiteral("Editor de texto")
                       : id == u"org.mozilla.firefox" ? QStringLiteral("Firefox")
                                                      : id;
            };
            services.appIcon = [this](const QString &id) {
                return images.appIcons.contains(id) ? CardImageProvider::appIconUrl(id) : QUrl();
            };
            services.hasTray = [this] { return hasTray; };
            services.revealFolder = [this](const QString &path) { revealed.append(path); };
            services.quit = [this] { ++quits; };
            services.shortVersion = "1.4";
            services.beep = [this] { ++beeps; };
            controller = std::make_unique<SettingsWindowController>(std::move(services));
        }
        return *controller;
    }

    QQuickView &view() { return *window().window(); }

    void key(quint16 position, quint64 modifiers, QEvent::Type type = QEvent::KeyPress)
    {
        QKeyEvent event(type, position == KeyPosition::Shift ? Qt::Key_Shift : Qt::Key_A,
                        Qt::NoModifier, position, 0, quint32(modifiers));
        QCoreApplication::sendEvent(&view(), &event);
    }

    QQuickItem *item(const char *name)
    {
        return view().rootObject()->findChild<QQuickItem *>(QString::fromLatin1(name));
    }

    void shoot(const QString &name)
    {
        QTest::qWait(80);
        const QImage picture = view().grabWindow();
        ASSERT_EQ(picture.size(), QSize(540, 680) * view().devicePixelRatio());
        const QString folder = QStringLiteral(TESSALY_SCREENSHOT_DIR) + "/settings";
        QDir().mkpath(folder);
        ASSERT_TRUE(picture.save(folder + '/' + name + ".png"));
    }

    void scrollToEnd()
    {
        auto *flickable = qvariant_cast<QObject *>(item("settingsScroll")->property("contentItem"));
        ASSERT_TRUE(flickable);
        const qreal end =
            flickable->property("contentHeight").toReal() - flickable->property("height").toReal();
        flickable->setProperty("contentY", std::max<qreal>(0, end));
    }

    void fillHistory(int unpinned, int pinned)
    {
        for (int i = 0; i < unpinned + pinned; ++i)
            store->add(textCapture(QStringLiteral("entrada %1").arg(i)));
        for (int i = 0; i < pinned; ++i)
            store->togglePin(store->items().at(i).id);
    }

    QTemporaryDir dir;
    FakeHotKeyService *hotKeyService = nullptr;
    std::unique_ptr<GlobalHotKey> hotKey;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<HotKeyApplier> applier;
    std::unique_ptr<HistoryStore> store;
    FakeAccessibilityPermission accessibility;
    FakeLaunchAtLogin login;
    FakeKeyTranslator keys;
    FakeCardImageSource images;
    bool hasTray = true;
    QStringList revealed;
    int quits = 0;
    int beeps = 0;
    std::unique_ptr<SettingsWindowController> controller;
};

} // namespace

TEST_F(SettingsWindowTest, IsAFixedWindowThatClosingOnlyHidesAndThatRunsNothingWhileHidden)
{
    SettingsWindowController &settingsWindow = window();
    ASSERT_TRUE(settingsWindow.isReady());
    settingsWindow.view().setRefreshInterval(std::chrono::milliseconds(50));
    EXPECT_EQ(view().title(), "Ajustes do Tessaly");
    EXPECT_EQ(view().minimumSize(), QSize(540, 680));
    EXPECT_EQ(view().maximumSize(), QSize(540, 680));
    EXPECT_FALSE(settingsWindow.view().isActive());

    settingsWindow.present(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    EXPECT_TRUE(settingsWindow.state().showWelcome());
    EXPECT_TRUE(settingsWindow.view().isActive()) << "refreshes every second while shown";
    QQuickItem *welcome = item("welcomeSection");
    ASSERT_TRUE(welcome);
    EXPECT_TRUE(welcome->isVisible());

    // The window manager's close button: hidden, kept, and the refresh stops.
    QWindow *shown = &view();
    view().close();
    EXPECT_FALSE(view().isVisible());
    EXPECT_FALSE(settingsWindow.view().isActive());
    const int queries = accessibility.trustQueries;
    QTest::qWait(150);
    EXPECT_EQ(accessibility.trustQueries, queries) << "nothing runs while the window is hidden";

    // A later request shows the same window; it never turns the welcome off.
    settingsWindow.present(false);
    EXPECT_EQ(&view(), shown);
    EXPECT_TRUE(view().isVisible());
    EXPECT_TRUE(settingsWindow.state().showWelcome());
    QTest::qWait(120);
    EXPECT_GT(accessibility.trustQueries, queries) << "the states are read again while shown";

    // Ctrl+W closes, Ctrl+Q quits; other keys pass to the form.
    key(KeyPosition::K, command);
    EXPECT_TRUE(view().isVisible());
    key(KeyPosition::W, command);
    EXPECT_FALSE(view().isVisible());
    EXPECT_EQ(quits, 0);
}

TEST_F(SettingsWindowTest, TheRecorderTakesEveryKeyOfTheWindowAndEveryWayOutRegistersAgain)
{
    SettingsWindowController &settingsWindow = window();
    settingsWindow.present(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    HotKeyRecorder &recorder = settingsWindow.recorder();
    QQuickItem *warning = item("hotKeyWarning");
    ASSERT_TRUE(warning);
    EXPECT_FALSE(warning->isVisible());

    // A click on the recorder's button: the global registration goes.
    QQuickItem *button = item("recorderButton");
    ASSERT_TRUE(button);
    QTest::mouseClick(
        &view(), Qt::LeftButton, {},
        button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
    ASSERT_TRUE(recorder.isRecording());
    EXPECT_FALSE(hotKeyService->grabbed);
    EXPECT_EQ(button->property("text").toString(), "Pressione o atalho…");
    shoot("recording");

    // Shift alone (the key itself, then ⇧V) beeps only for the key; Ctrl+W does not close.
    key(KeyPosition::Shift, shift);
    EXPECT_EQ(beeps, 0);
    key(KeyPosition::V, shift);
    EXPECT_EQ(beeps, 1);
    key(KeyPosition::W, command);
    EXPECT_TRUE(view().isVisible()) << "the window's keys are the recorder's while it records";
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(settings->hotKey(), HotKeyCombo(KeyPosition::W, command));
    EXPECT_EQ(hotKeyService->grabbed, HotKeyCombo(KeyPosition::W, command));

    // A combination another application holds shows the warning; a free one clears it.
    hotKeyService->refused.append(HotKeyCombo(KeyPosition::K, command | option));
    recorder.click();
    key(KeyPosition::K, command | option);
    EXPECT_FALSE(settings->hotKeyRegistered());
    QTest::qWait(50);
    EXPECT_TRUE(warning->isVisible());
    shoot("hotkey-warning");
    recorder.click();
    key(KeyPosition::F5, 0);
    EXPECT_EQ(settings->hotKey(), HotKeyCombo(KeyPosition::F5, 0));
    EXPECT_TRUE(settings->hotKeyRegistered());
    QTest::qWait(50);
    EXPECT_FALSE(warning->isVisible());

    // Closing the window while recording gives the registration back.
    recorder.click();
    ASSERT_FALSE(hotKeyService->grabbed);
    view().close();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(hotKeyService->grabbed, HotKeyCombo(KeyPosition::F5, 0));
    // And so does the window's end.
    settingsWindow.present(false);
    recorder.click();
    controller.reset();
    EXPECT_EQ(hotKeyService->grabbed, HotKeyCombo(KeyPosition::F5, 0));
}

TEST_F(SettingsWindowTest, Pictures)
{
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : lightPalette());
        controller.reset();
        window().present(!dark || true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
        shoot(dark ? "welcome-dark" : "welcome-light");
        controller.reset();
        fillHistory(9, 3);
        settings->setIgnoredBundleIDs(
            {"org.gnome.TextEditor", "org.mozilla.firefox", "com.example.SemIcone"});
        window().present(false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
        shoot(dark ? "normal-dark" : "normal-light");
        // Scrolled down to the ignored list and the data.
        scrollToEnd();
        shoot(dark ? "privacy-and-data-dark" : "privacy-and-data-light");
        store->clear(false);
    }
    QApplication::setPalette(lightPalette());
    controller.reset();
    fillHistory(2, 1);
    settings->setIgnoredBundleIDs(
        {"org.gnome.TextEditor", "org.mozilla.firefox", "com.example.SemIcone"});
    window().present(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    window().view().setConfirmWipe(true);
    shoot("wipe-confirmation");
    window().view().setConfirmWipe(false);
    window().view().addIgnoredApp();
    QTRY_VERIFY(!window().picker().isLoading());
    window().picker().setChosen(1, true);
    shoot("application-picker");
}

// What the form shows of the history and what its buttons may do, for the three histories that
// matter; and the ignore list's additions and removals.
TEST_F(SettingsWindowTest, TheDataSectionFollowsTheHistoryAndTheIgnoreListKeepsItsOrder)
{
    const struct
    {
        int unpinned, pinned;
        const char *text;
        bool canClear, canWipe;
    } histories[] = {
        {0, 0, "0", false, false},
        {0, 2, "2 (2 fixados)", false, true},
        {9, 3, "12 (3 fixados)", true, true},
    };
    SettingsView &form = window().view();
    for (const auto &history : histories) {
        store->clear(false);
        fillHistory(history.unpinned, history.pinned);
        SCOPED_TRACE(history.text);
        EXPECT_EQ(form.storedItemsText(), history.text);
        EXPECT_EQ(form.canClearHistory(), history.canClear);
        EXPECT_EQ(form.canWipeHistory(), history.canWipe);
    }
    form.clearHistory();
    EXPECT_EQ(form.storedItemsText(), "3 (3 fixados)");
    form.revealHistoryFolder();
    EXPECT_EQ(revealed, QStringList{store->directory()});

    // The wipe's confirmation, clicked: "Cancelar" deletes nothing, "Apagar tudo" everything.
    window().present(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    const auto click = [&](const char *name) {
        QQuickItem *button = item(name);
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(
            &view(), Qt::LeftButton, {},
            button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
    };
    scrollToEnd();
    QTest::qWait(50);
    // The dialog's buttons take clicks once its opening transition has ended.
    const auto opened = [&] {
        QObject *dialog = view().rootObject()->findChild<QObject *>("wipeConfirmation");
        return QTest::qWaitFor([&] { return dialog && dialog->property("opened").toBool(); });
    };
    click("wipeButton");
    ASSERT_TRUE(form.confirmWipe());
    ASSERT_TRUE(opened());
    click("cancelWipeButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.confirmWipe(); }, 1000));
    EXPECT_EQ(form.storedItemsText(), "3 (3 fixados)");
    click("wipeButton");
    ASSERT_TRUE(opened());
    click("confirmWipeButton");
    EXPECT_EQ(form.storedItemsText(), "0");
    EXPECT_FALSE(form.confirmWipe());

    // "Guardar até" 25 with 40 unpinned entries trims at once.
    fillHistory(40, 0);
    form.setMaxItemsIndex(0);
    EXPECT_EQ(settings->maxItems(), 25);
    EXPECT_EQ(store->items().size(), 25);

    // Added in the order chosen, those already there skipped; a removal takes every copy.
    settings->setIgnoredBundleIDs({"a", "b", "a"});
    form.addIgnoredApps({"c", "b", "d", "c"});
    EXPECT_EQ(settings->ignoredBundleIDs(), QStringList({"a", "b", "a", "c", "d"}));
    form.removeIgnoredApp("a");
    EXPECT_EQ(settings->ignoredBundleIDs(), QStringList({"b", "c", "d"}));
    const QVariantList rows = form.ignoredApps();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0).toMap().value("name").toString(), "b");
    EXPECT_TRUE(rows.at(0).toMap().value("iconSource").toUrl().isEmpty());

    // The texts that name the platform.
    EXPECT_EQ(form.welcomeText(),
              "Tudo o que você copiar fica guardado. Pressione <b>⇧⌘V</b> em qualquer app para "
              "abrir o histórico e colar um item antigo — como o Win+V do Windows.");
    EXPECT_EQ(SettingsView::homeRelative(QDir::homePath() + "/.local/share/Tessaly"),
              "~/.local/share/Tessaly");
    EXPECT_EQ(SettingsView::homeRelative("/srv/Tessaly"), "/srv/Tessaly");
    EXPECT_TRUE(
        form.footerText().startsWith("Tessaly 1.4 · o histórico fica só neste computador, em "));
}

TEST_F(SettingsWindowTest, ALoginItemTheSystemRefusesSnapsBackWithTheReason)
{
    SettingsView &form = window().view();
    form.setLaunchAtLoginEnabled(true);
    EXPECT_TRUE(form.launchAtLogin());
    EXPECT_TRUE(form.launchError().isEmpty());
    login.refusal = "Permissão negada";
    form.setLaunchAtLoginEnabled(false);
    EXPECT_TRUE(form.launchAtLogin());
    EXPECT_EQ(form.launchError(), "Não foi possível alterar: Permissão negada");
    login.refusal.clear();
    form.setLaunchAtLoginEnabled(false);
    EXPECT_FALSE(form.launchAtLogin());
    EXPECT_TRUE(form.launchError().isEmpty());

    // Without a tray, the welcome says where to find the program and the form offers to quit.
    hasTray = false;
    window().present(false);
    EXPECT_FALSE(form.hasTray());
    EXPECT_TRUE(form.whereText().startsWith("Sem ícone na bandeja neste ambiente"));
    QQuickItem *quit = item("quitButton");
    ASSERT_TRUE(quit);
    EXPECT_TRUE(quit->isVisible());
}

// The picker lists by name, filters by name or id, and hands over what was chosen in the order
// chosen; desktop entry files give their ids, other files nothing.
TEST_F(SettingsWindowTest, ThePickerHandsOverTheChosenApplicationsInTheOrderChosen)
{
    ApplicationPicker &picker = window().picker();
    picker.open();
    QTRY_VERIFY(!picker.isLoading());
    ASSERT_EQ(picker.rowCount(), 4);
    const auto name = [&](int row) {
        return picker.data(picker.index(row), ApplicationPicker::NameRole).toString();
    };
    EXPECT_EQ(name(0), "Calculadora");
    EXPECT_EQ(name(3), "Mapas");
    picker.setFilterText("MOZILLA");
    ASSERT_EQ(picker.rowCount(), 1);
    picker.setChosen(0, true);
    picker.setFilterText("");
    picker.setChosen(0, true); // Calculadora
    picker.setChosen(3, true); // Mapas
    picker.setChosen(3, false);
    settings->setIgnoredBundleIDs({"org.gnome.Calculator"});
    picker.confirm();
    EXPECT_EQ(settings->ignoredBundleIDs(),
              QStringList({"org.gnome.Calculator", "org.mozilla.firefox"}));

    // Opening again forgets the last choice.
    picker.open();
    EXPECT_EQ(picker.chosenCount(), 0);
}
