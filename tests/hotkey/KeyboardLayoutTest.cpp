#include "hotkey/KeyboardLayout.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"

#include "fakes/FakeKeyboardLayoutSource.h"

#include <QMetaProperty>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::FakeKeyboardLayoutSource;

namespace {

class KeyboardLayoutTest : public ::testing::Test
{
protected:
    std::shared_ptr<FakeKeyboardLayoutSource> m_layout =
        std::make_shared<FakeKeyboardLayoutSource>();
    KeyboardLayout::ScopedSource m_installed{m_layout};
};

} // namespace

TEST(KeyboardLayoutTables, SpecialKeysAndFunctionKeys)
{
    const auto &special = KeyboardLayout::specialKeys();
    EXPECT_EQ(special.size(), 34);
    using namespace KeyPosition;
    const struct
    {
        quint16 key;
        const char *name;
    } named[] = {
        {Return, "↩"},        {Tab, "⇥"},       {Space, "Espaço"}, {Backspace, "⌫"}, {Escape, "⎋"},
        {ForwardDelete, "⌦"}, {LeftArrow, "←"}, {RightArrow, "→"}, {DownArrow, "↓"}, {UpArrow, "↑"},
        {Home, "↖"},          {End, "↘"},       {PageUp, "⇞"},     {PageDown, "⇟"},
    };
    for (const auto &n : named)
        EXPECT_EQ(special.value(n.key), QString::fromUtf8(n.name)) << "key " << n.key;

    const QList<quint16> expected{F1,  F2,  F3,  F4,  F5,  F6,  F7,  F8,  F9,  F10,
                                  F11, F12, F13, F14, F15, F16, F17, F18, F19, F20};
    EXPECT_EQ(KeyboardLayout::functionKeyCodes(), expected);
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(special.value(expected[i]), QStringLiteral("F%1").arg(i + 1));
}

TEST_F(KeyboardLayoutTest, CharacterIsWhatTheLayoutTypesOrAbsent)
{
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::V), QStringLiteral("v"));
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::Minus), QStringLiteral("-"));
    // Blank output (space, tab, line breaks, control characters) is no character.
    for (const quint16 code : {KeyPosition::Space, KeyPosition::Tab, KeyPosition::Return,
                               KeyPosition::Backspace, KeyPosition::Escape, quint16(52)})
        EXPECT_FALSE(KeyboardLayout::character(code)) << code;
    m_layout->outputs[KeyPosition::G] = QStringLiteral(" \r\n");
    EXPECT_FALSE(KeyboardLayout::character(KeyPosition::G));
    // Visible output is handed back as produced, not trimmed.
    m_layout->outputs[KeyPosition::G] = QStringLiteral("´ ");
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::G), QStringLiteral("´ "));
    // Positions beyond the physical keys have nothing.
    EXPECT_FALSE(KeyboardLayout::character(128));
    EXPECT_FALSE(KeyboardLayout::character(65535));

    m_layout->available = false;
    EXPECT_FALSE(KeyboardLayout::character(KeyPosition::V));
}

TEST_F(KeyboardLayoutTest, EveryCallReadsTheLayoutAgain)
{
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Z), QStringLiteral("Z"));
    m_layout->outputs[KeyPosition::Z] = QStringLiteral("y"); // a German layout swaps Z and Y
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Z), QStringLiteral("Y"));
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::Z), QStringLiteral("y"));
}

TEST_F(KeyboardLayoutTest, DisplayNamePrefersTheTableThenTheLayoutThenTheCode)
{
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Space), QStringLiteral("Espaço"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Return), QStringLiteral("↩"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::F1), QStringLiteral("F1"));
    m_layout->outputs[KeyPosition::F1] =
        QStringLiteral("x"); // the table wins even over visible output
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::F1), QStringLiteral("F1"));

    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::A), QStringLiteral("A"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Digit1), QStringLiteral("1"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Semicolon), QStringLiteral(";"));
    m_layout->outputs[KeyPosition::LeftBracket] = QStringLiteral("^"); // a dead key, as its accent
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::LeftBracket), QStringLiteral("^"));
    m_layout->outputs[KeyPosition::A] = QStringLiteral("é");
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::A), QStringLiteral("É"));

    EXPECT_EQ(KeyboardLayout::displayName(52), QStringLiteral("#52"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::IntlBackslash), QStringLiteral("§"));
    m_layout->outputs[KeyPosition::IntlBackslash].clear();
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::IntlBackslash), QStringLiteral("#10"));
    EXPECT_EQ(KeyboardLayout::displayName(300), QStringLiteral("#300"));

    m_layout->available = false;
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::A), QStringLiteral("#0"));
    EXPECT_EQ(KeyboardLayout::displayName(KeyPosition::Escape), QStringLiteral("⎋"));
}

TEST_F(KeyboardLayoutTest, KeyCodeFindsTheFirstKeyTypingTheText)
{
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::V);
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("-")), KeyPosition::Minus);
    // The argument is not case-folded; the layout's output is.
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("V")));
    m_layout->outputs[KeyPosition::V] = QStringLiteral("V");
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::V);
    // Ascending order: the lowest position wins.
    m_layout->outputs[KeyPosition::Period] = QStringLiteral("v");
    m_layout->outputs[KeyPosition::V].clear();
    m_layout->outputs[KeyPosition::F8] = QStringLiteral("v");
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::Period);
    // Blank output never matches, not even blank text.
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral(" ")));

    // One reading of the layout per lookup, however many keys it tries.
    m_layout->reads = 0;
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("ж")));
    EXPECT_EQ(m_layout->reads, 1);

    m_layout->available = false;
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("v")));
}

TEST_F(KeyboardLayoutTest, ScopedSourcePutsThePreviousOneBack)
{
    auto other = std::make_shared<FakeKeyboardLayoutSource>();
    other->outputs[KeyPosition::V] = QStringLiteral("m");
    {
        KeyboardLayout::ScopedSource scoped(other);
        EXPECT_EQ(KeyboardLayout::source(), other);
        EXPECT_EQ(KeyboardLayout::character(KeyPosition::V), QStringLiteral("m"));
    }
    EXPECT_EQ(KeyboardLayout::source(), m_layout);
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::V), QStringLiteral("v"));
}

TEST_F(KeyboardLayoutTest, DisplayStringShowsModifiersInFixedOrderThenTheKey)
{
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘V"));
    EXPECT_EQ(HotKeyCombo(KeyPosition::Space, 0x140000).displayString(),
              QStringLiteral("⌃⌘Espaço"));
    EXPECT_EQ(HotKeyCombo(KeyPosition::F1, 0).displayString(), QStringLiteral("F1"));
    EXPECT_EQ(HotKeyCombo(KeyPosition::A, 0x1E0000).displayString(), QStringLiteral("⌃⌥⇧⌘A"));
    EXPECT_EQ(HotKeyCombo(KeyPosition::V, 0x80000).displayString(), QStringLiteral("⌥V"));
    // Other bits (caps lock, the function-key bit) show nothing.
    EXPECT_EQ(HotKeyCombo(KeyPosition::V, 0x10000 | 0x800000).displayString(), QStringLiteral("V"));
    EXPECT_EQ(HotKeyCombo(52, 0x100000).displayString(), QStringLiteral("⌘#52"));
    m_layout->outputs[KeyPosition::V] = QStringLiteral("м");
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘М"));

    // Views read it as a property of the value.
    const QMetaObject &meta = HotKeyCombo::staticMetaObject;
    const QMetaProperty property = meta.property(meta.indexOfProperty("displayString"));
    const HotKeyCombo combo(KeyPosition::Space, 0x140000);
    EXPECT_EQ(property.readOnGadget(&combo).toString(), QStringLiteral("⌃⌘Espaço"));
}
