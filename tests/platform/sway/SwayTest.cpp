// What the sway backend reads from sway: its configuration (is the hot key bound already?) and
// its window tree (which application is in front, where its window is).

#include "hotkey/KeyPosition.h"
#include "platform/sway/SwayBindings.h"
#include "platform/sway/SwayWorkspace.h"
#include "platform/xdg/DesktopEntries.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::sway;
using namespace Qt::Literals::StringLiterals;

namespace {

struct KeymapDeleter
{
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};

// A US keyboard, whatever the machine's default.
std::unique_ptr<xkb_keymap, KeymapDeleter> usKeymap()
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(
        xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    xkb_context_unref(context);
    return keymap;
}

constexpr HotKeyCombo ctrlShiftV{KeyPosition::V, HotKeyCombo::commandFlag | HotKeyCombo::shiftFlag};

TEST(SwayBindingsTest, SpellsTheCombinationAsABindcode)
{
    const auto keymap = usKeymap();
    ASSERT_TRUE(keymap);
    EXPECT_EQ(SwayBindings::bindcodeOf(ctrlShiftV, keymap.get()), u"Ctrl+Shift+55"_s);
    const HotKeyCombo everything{KeyPosition::Space, HotKeyCombo::significantFlags};
    EXPECT_EQ(SwayBindings::bindcodeOf(everything, keymap.get()), u"Mod4+Ctrl+Mod1+Shift+65"_s);
    EXPECT_FALSE(
        SwayBindings::bindcodeOf(HotKeyCombo{KeyPosition::Function, HotKeyCombo::commandFlag},
                                 keymap.get())); // fn: no PC key
}

TEST(SwayBindingsTest, FindsTheCombinationAmongTheUsersBindings)
{
    const auto keymap = usKeymap();
    ASSERT_TRUE(keymap);
    const struct
    {
        const char *config;
        bool bound;
    } rows[] = {
        {"bindsym Ctrl+Shift+v exec foo", true},
        {"bindsym Control+Shift+V exec foo", true},
        {"  bindsym --no-repeat --locked Shift+Ctrl+v exec foo", true},
        {"set $mod Ctrl\nbindsym $mod+Shift+v exec foo", true},
        {"set $mod2 Mod1\nset $mod Ctrl\nbindsym $mod+Shift+v exec foo", true},
        {"bindcode Ctrl+Shift+55 exec foo", true},
        {"bindsym Ctrl+v exec foo", false},            // other modifiers
        {"bindsym Ctrl+Shift+Mod4+v exec foo", false}, // more modifiers
        {"bindsym Ctrl+Shift+c exec foo", false},      // another key
        {"bindcode Ctrl+Shift+54 exec foo", false},
        {"# bindsym Ctrl+Shift+v exec foo", false},
        {"bindsym Ctrl+Shift+v+x exec foo", false}, // not a modifier chord
        {"", false},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(SwayBindings::isBoundIn(QString::fromUtf8(row.config), ctrlShiftV, keymap.get()),
                  row.bound)
            << row.config;
    }
}

// A tree as `swaymsg -t get_tree` gives it, cut down to what is read.
QJsonObject tree(const QString &focusedOne, qint64 ownPid)
{
    const QString text = uR"({"type":"root","id":1,"focused":false,"nodes":[
        {"type":"output","id":3,"focused":false,"nodes":[
          {"type":"workspace","id":4,"focused":%1,"nodes":[
            {"type":"con","id":7,"pid":100,"app_id":"org.example.Editor","shell":"xdg_shell",
             "focused":%2,"rect":{"x":0,"y":25,"width":640,"height":695},
             "window_rect":{"x":2,"y":0,"width":636,"height":693}},
            {"type":"con","id":8,"pid":200,"app_id":null,"shell":"xwayland","focused":%3,
             "window_properties":{"class":"XTerm","instance":"xterm"},
             "rect":{"x":640,"y":0,"width":640,"height":720},
             "window_rect":{"x":0,"y":0,"width":640,"height":720}}],
           "floating_nodes":[
            {"type":"floating_con","id":9,"pid":%5,"shell":"xwayland","focused":%4,"window":4194309,
             "window_properties":{"class":"tessaly"},
             "rect":{"x":440,"y":80,"width":400,"height":560},
             "window_rect":{"x":0,"y":0,"width":400,"height":560}}]}]}]})"_s;
    const auto flag = [&](const char *which) {
        return focusedOne == QLatin1String(which) ? u"true"_s : u"false"_s;
    };
    return QJsonDocument::fromJson(text.arg(flag("workspace"), flag("editor"), flag("xterm"),
                                            flag("panel"), QString::number(ownPid))
                                       .toUtf8())
        .object();
}

TEST(SwayWorkspaceTest, TheFocusedWindowIsTheFrontmostApplication)
{
    QTemporaryDir applications;
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(applications.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(u"org.example.Editor.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
    write(u"xterm.desktop"_s, "[Desktop Entry]\nType=Application\nName=XTerm\nExec=xterm\n"
                              "Categories=System;TerminalEmulator;\n");
    DesktopEntries entries({applications.path()});
    SwayWorkspace workspace(nullptr, u"br.com.norvale.tessaly"_s, u"Tessaly"_s, &entries);

    // A native window: its app_id is its desktop entry's id.
    auto window = SwayWorkspace::focusedWindow(tree(u"editor"_s, 1));
    ASSERT_TRUE(window);
    RunningApplication front = workspace.applicationOf(*window);
    EXPECT_EQ(front.bundleID, u"org.example.Editor"_s);
    EXPECT_EQ(front.localizedName, u"Editor"_s);
    EXPECT_EQ(front.processID, 100);
    EXPECT_EQ(front.windowID, 7u);
    EXPECT_FALSE(front.terminalEmulator);
    // Its content lies inside its borders.
    EXPECT_EQ(SwayWorkspace::contentRect(*window), QRect(2, 25, 636, 693));

    // An XWayland window: found by its class.
    window = SwayWorkspace::focusedWindow(tree(u"xterm"_s, 1));
    ASSERT_TRUE(window);
    front = workspace.applicationOf(*window);
    EXPECT_EQ(front.bundleID, u"xterm"_s);
    EXPECT_TRUE(front.terminalEmulator);

    // The program's own panel, floating.
    window = SwayWorkspace::focusedWindow(tree(u"panel"_s, ::getpid()));
    ASSERT_TRUE(window);
    front = workspace.applicationOf(*window);
    EXPECT_EQ(front.bundleID, u"br.com.norvale.tessaly"_s);
    EXPECT_EQ(front.localizedName, u"Tessaly"_s);

    // A workspace with the focus: no window is in front.
    EXPECT_FALSE(SwayWorkspace::focusedWindow(tree(u"workspace"_s, 1)));
}

} // namespace
