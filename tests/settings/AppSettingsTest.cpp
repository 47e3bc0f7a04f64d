#include "settings/AppSettings.h"
#include "hotkey/KeyPosition.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

class AppSettingsTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("Tessaly/Tessaly.conf")); }
    std::unique_ptr<AppSettings> open() const { return std::make_unique<AppSettings>(path()); }

    // Writes raw values the way another run (or a hand edit) would have left them.
    void storeRaw(const QString &key, const QVariant &value) const
    {
        QSettings raw(path(), QSettings::IniFormat);
        raw.setValue(key, value);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(AppSettingsTest, FreshStoreHasTheDefaults)
{
    auto settings = open();
    EXPECT_EQ(settings->maxItems(), 50);
    EXPECT_TRUE(settings->autoPaste());
    EXPECT_TRUE(settings->ignoreConcealed());
    EXPECT_EQ(
        settings->ignoredBundleIDs(),
        (QStringList{
            QStringLiteral("com.apple.keychainaccess"), QStringLiteral("com.apple.Passwords"),
            QStringLiteral("com.1password.1password"), QStringLiteral("com.agilebits.onepassword7"),
            QStringLiteral("com.bitwarden.desktop"), QStringLiteral("com.lastpass.LastPass"),
            QStringLiteral("org.keepassxc.KeePassXC"), QStringLiteral("1password"),
            QStringLiteral("bitwarden"), QStringLiteral("keepass2"),
            QStringLiteral("org.gnome.seahorse.Application"),
            QStringLiteral("org.gnome.World.Secrets"), QStringLiteral("org.kde.kwalletmanager5"),
            QStringLiteral("org.kde.kwalletmanager")}));
    EXPECT_EQ(settings->panelPosition(), PanelPosition::Caret);
    EXPECT_FALSE(settings->isPaused());
    EXPECT_FALSE(settings->hasCompletedOnboarding());
    EXPECT_EQ(settings->hotKey(), HotKeyCombo(KeyPosition::V, 0x120000));
    EXPECT_TRUE(settings->hotKeyRegistered());
    EXPECT_FALSE(settings->lastPanelTopLeft());
    EXPECT_EQ(AppSettings::knownAppNames().value(QStringLiteral("com.apple.keychainaccess")),
              QStringLiteral("Acesso às Chaves"));
    EXPECT_EQ(AppSettings::knownAppNames().value(QStringLiteral("org.gnome.World.Secrets")),
              QStringLiteral("Segredos"));
    EXPECT_EQ(AppSettings::knownAppNames().size(), 14);
}

TEST_F(AppSettingsTest, EveryValueSurvivesARestart)
{
    {
        auto settings = open();
        settings->setHotKey(HotKeyCombo(KeyPosition::Space, 0x140000));
        settings->setMaxItems(7);
        settings->setAutoPaste(false);
        settings->setIgnoreConcealed(false);
        settings->setIgnoredBundleIDs({QStringLiteral("org.keepassxc.KeePassXC")});
        settings->setPanelPosition(PanelPosition::Remembered);
        settings->setIsPaused(true);
        settings->setHasCompletedOnboarding(true);
        settings->storeLastPanelTopLeft(QPointF(120.0, 800.5));
    }
    auto settings = open();
    EXPECT_EQ(settings->hotKey(), HotKeyCombo(KeyPosition::Space, 0x140000));
    EXPECT_EQ(settings->maxItems(), 7);
    EXPECT_FALSE(settings->autoPaste());
    EXPECT_FALSE(settings->ignoreConcealed());
    EXPECT_EQ(settings->ignoredBundleIDs(), QStringList{QStringLiteral("org.keepassxc.KeePassXC")});
    EXPECT_EQ(settings->panelPosition(), PanelPosition::Remembered);
    EXPECT_TRUE(settings->isPaused());
    EXPECT_TRUE(settings->hasCompletedOnboarding());
    EXPECT_EQ(settings->lastPanelTopLeft(), QPointF(120.0, 800.5));
}

TEST_F(AppSettingsTest, StoredEmptyIgnoreListWinsOverTheDefault)
{
    open()->setIgnoredBundleIDs({});
    EXPECT_TRUE(open()->ignoredBundleIDs().isEmpty());
    open()->setIgnoredBundleIDs({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(open()->ignoredBundleIDs(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(AppSettingsTest, BadStoredValuesFallBack)
{
    storeRaw(QStringLiteral("hotKey"), QByteArray("{\"keyCode\":9}"));
    storeRaw(QStringLiteral("panelPosition"), QStringLiteral("sideways"));
    storeRaw(QStringLiteral("maxItems"), QStringLiteral("lots"));
    storeRaw(QStringLiteral("autoPaste"), QStringLiteral("maybe"));
    auto settings = open();
    EXPECT_EQ(settings->hotKey(), HotKeyCombo::defaultCombo());
    EXPECT_EQ(settings->panelPosition(), PanelPosition::Caret);
    EXPECT_EQ(settings->maxItems(), 50);
    EXPECT_TRUE(settings->autoPaste());

    storeRaw(QStringLiteral("panelPosition"), QStringLiteral("remembered"));
    storeRaw(QStringLiteral("hotKey"), QByteArray("garbage"));
    settings = open();
    EXPECT_EQ(settings->panelPosition(), PanelPosition::Remembered);
    EXPECT_EQ(settings->hotKey(), HotKeyCombo::defaultCombo());
}

TEST_F(AppSettingsTest, LastPanelTopLeftNeedsExactlyTwoNumbers)
{
    auto settings = open();
    storeRaw(QStringLiteral("lastPanelTopLeft"), QVariantList{120.0, 800.0});
    EXPECT_EQ(settings->lastPanelTopLeft(), QPointF(120, 800)) << "read anew on every access";
    storeRaw(QStringLiteral("lastPanelTopLeft"), QVariantList{1.0});
    EXPECT_FALSE(settings->lastPanelTopLeft());
    storeRaw(QStringLiteral("lastPanelTopLeft"), QVariantList{1.0, 2.0, 3.0});
    EXPECT_FALSE(settings->lastPanelTopLeft());
    storeRaw(QStringLiteral("lastPanelTopLeft"), QVariantList{QStringLiteral("x"), 2.0});
    EXPECT_FALSE(settings->lastPanelTopLeft());
    storeRaw(QStringLiteral("lastPanelTopLeft"), QStringLiteral("12"));
    EXPECT_FALSE(settings->lastPanelTopLeft());
}

TEST_F(AppSettingsTest, NotifiesOnlyOnChangeButAlwaysWritesAndCallsBack)
{
    auto settings = open();
    QSignalSpy maxChanged(settings.get(), &AppSettings::maxItemsChanged);
    QSignalSpy hotKeyChanged(settings.get(), &AppSettings::hotKeyChanged);
    QSignalSpy pausedChanged(settings.get(), &AppSettings::isPausedChanged);
    QSignalSpy listChanged(settings.get(), &AppSettings::ignoredBundleIDsChanged);
    int maxCallbacks = 0;
    int hotKeyCallbacks = 0;
    settings->onMaxItemsChange = [&] { ++maxCallbacks; };
    settings->onHotKeyChange = [&] { ++hotKeyCallbacks; };

    settings->setMaxItems(50);
    EXPECT_EQ(maxChanged.count(), 0);
    EXPECT_EQ(maxCallbacks, 1);
    EXPECT_TRUE(QSettings(path(), QSettings::IniFormat).contains(QStringLiteral("maxItems")))
        << "an unchanged value is still written";
    settings->setMaxItems(20);
    EXPECT_EQ(maxChanged.count(), 1);
    EXPECT_EQ(maxCallbacks, 2);

    settings->setHotKey(HotKeyCombo::defaultCombo());
    EXPECT_EQ(hotKeyChanged.count(), 0);
    EXPECT_EQ(hotKeyCallbacks, 1);
    settings->setHotKey(
        HotKeyCombo(KeyPosition::V, 0x120000 | 0x10000)); // an extra bit makes it differ
    EXPECT_EQ(hotKeyChanged.count(), 1);
    EXPECT_EQ(hotKeyCallbacks, 2);

    settings->setIsPaused(false);
    settings->setIgnoredBundleIDs(AppSettings::defaultIgnoredBundleIDs());
    EXPECT_EQ(pausedChanged.count(), 0);
    EXPECT_EQ(listChanged.count(), 0);
    settings->setIsPaused(true);
    EXPECT_EQ(pausedChanged.count(), 1);

    QSignalSpy registeredChanged(settings.get(), &AppSettings::hotKeyRegisteredChanged);
    settings->setHotKeyRegistered(true);
    EXPECT_EQ(registeredChanged.count(), 0);
    settings->setHotKeyRegistered(false);
    EXPECT_EQ(registeredChanged.count(), 1);
    EXPECT_TRUE(open()->hotKeyRegistered()) << "the registration flag is not persisted";
}

TEST_F(AppSettingsTest, SharedInstanceCanBeRedirected)
{
    AppSettings::redirectShared(path());
    AppSettings::shared().setMaxItems(12);
    EXPECT_EQ(AppSettings::shared().storePath(), path());
    EXPECT_EQ(open()->maxItems(), 12);
    AppSettings::redirectShared(m_dir.filePath(QStringLiteral("other.conf")));
    EXPECT_EQ(AppSettings::shared().maxItems(), 50);
}

TEST(HotKeyComboTest, JsonFormIsStrict)
{
    EXPECT_EQ(HotKeyCombo::fromJson(HotKeyCombo(KeyPosition::V, 0x120000).toJson()),
              HotKeyCombo(KeyPosition::V, 0x120000));
    EXPECT_EQ(HotKeyCombo::fromJson(R"({"modifiers":1048576,"keyCode":49,"extra":true})"),
              HotKeyCombo(KeyPosition::Space, 0x100000));
    EXPECT_EQ(HotKeyCombo::fromJson(R"({"keyCode":65535,"modifiers":9223372036854775807})"),
              HotKeyCombo(65535, 0x7FFFFFFFFFFFFFFFull));
    EXPECT_EQ(HotKeyCombo::fromJson(R"({"keyCode":0,"modifiers":9223372036854775808})"),
              HotKeyCombo(0, 0x8000000000000000ull));
    for (const char *bad : {R"({"keyCode":9})", R"({"modifiers":0})",
                            R"({"keyCode":70000,"modifiers":0})", R"({"keyCode":-1,"modifiers":0})",
                            R"({"keyCode":9,"modifiers":-5})", R"({"keyCode":9.5,"modifiers":0})",
                            R"({"keyCode":"9","modifiers":0})", R"([9,0])", "", "{"})
        EXPECT_FALSE(HotKeyCombo::fromJson(bad)) << bad;
}

TEST(HotKeyComboTest, MaskCarriesOnlyTheFourModifiers)
{
    EXPECT_EQ(HotKeyCombo(KeyPosition::V, 0x120000).hotKeyModifierMask(), 0x300u);
    EXPECT_EQ(HotKeyCombo(KeyPosition::V, 0x1E0000).hotKeyModifierMask(), 0x1B00u);
    EXPECT_EQ(HotKeyCombo(KeyPosition::V, 0x10000 | 0x800000).hotKeyModifierMask(), 0u);
    EXPECT_NE(HotKeyCombo(KeyPosition::V, 0x120000), HotKeyCombo(KeyPosition::V, 0x130000));
}
