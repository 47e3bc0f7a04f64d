// The GNOME hot key: a custom keybinding written with gsettings, here into a keyfile of the test's
// own (GSETTINGS_BACKEND=keyfile), with GNOME's real schema, and read back the same way.

#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "platform/gnome/GnomeHotKeyService.h"

#include "fakes/FakeKeyboardLayoutSource.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::gnome;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString mediaKeys = u"org.gnome.settings-daemon.plugins.media-keys"_s;
const QString custom = u"org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:"_s;

TEST(GnomeHotKeyTest, AcceleratorsAndTheirTextAsGnomeWritesThem)
{
    KeyboardLayout::ScopedSource layout(std::make_shared<test::FakeKeyboardLayoutSource>());
    const auto accelerator = [](quint16 key, quint64 modifiers) {
        return GnomeHotKeyService::acceleratorOf(HotKeyCombo{key, modifiers});
    };
    EXPECT_EQ(accelerator(KeyPosition::V, HotKeyCombo::defaultModifiers), u"<Control><Shift>v"_s);
    EXPECT_EQ(accelerator(KeyPosition::Space, HotKeyCombo::controlFlag | HotKeyCombo::optionFlag),
              u"<Super><Alt>space"_s);
    EXPECT_EQ(accelerator(KeyPosition::F1, HotKeyCombo::commandFlag), u"<Control>F1"_s);
    EXPECT_FALSE(
        accelerator(KeyPosition::Minus, HotKeyCombo::commandFlag)); // no name GNOME would take

    EXPECT_TRUE(GnomeHotKeyService::sameAccelerator(u"<Ctrl><Shift>V"_s, u"<Shift><Control>v"_s));
    EXPECT_TRUE(GnomeHotKeyService::sameAccelerator(u"<Primary>v"_s, u"<Control>v"_s));
    EXPECT_FALSE(GnomeHotKeyService::sameAccelerator(u"<Control>v"_s, u"<Control><Shift>v"_s));
    EXPECT_FALSE(GnomeHotKeyService::sameAccelerator(u""_s, u""_s));

    EXPECT_EQ(GnomeHotKeyService::stringsOf(u"@as []"_s), QStringList());
    EXPECT_EQ(GnomeHotKeyService::stringsOf(u"['/a/', '/b\\'c/']"_s),
              (QStringList{u"/a/"_s, u"/b\\'c/"_s}));
}

TEST(GnomeHotKeyTest, WritesTheKeybindingIntoGnomesSettingsAndRefusesATakenOne)
{
    if (QStandardPaths::findExecutable(u"gsettings"_s).isEmpty())
        GTEST_SKIP() << "gsettings is not installed";
    QTemporaryDir config;
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto gsettings = GnomeHotKeyService::runGsettings;
    if (!gsettings({u"list-keys"_s, mediaKeys}))
        GTEST_SKIP() << "GNOME's media-keys schema is not installed";
    ASSERT_TRUE(GnomeHotKeyService::isAvailable());
    KeyboardLayout::ScopedSource layout(std::make_shared<test::FakeKeyboardLayoutSource>());

    // Another keybinding of the user's holds Ctrl+Shift+V; the window manager holds Alt+F7.
    const QString other =
        u"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/"_s;
    ASSERT_TRUE(gsettings({u"set"_s, custom + other, u"binding"_s, u"'<Primary><Shift>v'"_s}));
    ASSERT_TRUE(gsettings({u"set"_s, mediaKeys, u"custom-keybindings"_s, u"['%1']"_s.arg(other)}));

    GnomeHotKeyService service(u"/usr/bin/tessaly --toggle"_s);
    const QString ours = custom + GnomeHotKeyService::bindingPath();
    const auto read = [&](const QString &schema, const QString &key) {
        return gsettings({u"get"_s, schema, key}).value_or(QString()).trimmed();
    };
    EXPECT_FALSE(service.grab(HotKeyCombo{KeyPosition::V, HotKeyCombo::defaultModifiers}));
    EXPECT_FALSE(service.grab(HotKeyCombo{KeyPosition::F7, HotKeyCombo::optionFlag}));

    ASSERT_TRUE(service.grab(HotKeyCombo{KeyPosition::B, HotKeyCombo::defaultModifiers}));
    EXPECT_EQ(read(ours, u"binding"_s), u"'<Control><Shift>b'"_s);
    EXPECT_EQ(read(ours, u"command"_s), u"'/usr/bin/tessaly --toggle'"_s);
    EXPECT_EQ(read(ours, u"name"_s), u"'Tessaly: abrir ou fechar o histórico'"_s);
    EXPECT_EQ(GnomeHotKeyService::stringsOf(read(mediaKeys, u"custom-keybindings"_s)),
              (QStringList{other, GnomeHotKeyService::bindingPath()}));

    // A new combination replaces it; the program's end leaves it to the user's settings.
    ASSERT_TRUE(service.grab(
        HotKeyCombo{KeyPosition::V, HotKeyCombo::controlFlag | HotKeyCombo::shiftFlag}));
    service.ungrab();
    EXPECT_EQ(read(ours, u"binding"_s), u"'<Super><Shift>v'"_s);
    EXPECT_EQ(GnomeHotKeyService::stringsOf(read(mediaKeys, u"custom-keybindings"_s)).size(), 2);

    // A refused one leaves nothing that opens the panel.
    EXPECT_FALSE(service.grab(HotKeyCombo{KeyPosition::V, HotKeyCombo::defaultModifiers}));
    EXPECT_EQ(read(ours, u"binding"_s), u"''"_s);
}

} // namespace
