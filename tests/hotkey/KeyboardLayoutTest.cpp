#include "hotkey/KeyboardLayout.h"
#include "hotkey/HotKeyCombo.h"

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
    EXPECT_EQ(special.value(36), QStringLiteral("↩"));
    EXPECT_EQ(special.value(48), QStringLiteral("⇥"));
    EXPECT_EQ(special.value(49), QStringLiteral("Espaço"));
    EXPECT_EQ(special.value(51), QStringLiteral("⌫"));
    EXPECT_EQ(special.value(53), QStringLiteral("⎋"));
    EXPECT_EQ(special.value(117), QStringLiteral("⌦"));
    EXPECT_EQ(special.value(123) + special.value(124) + special.value(125) + special.value(126),
              QStringLiteral("←→↓↑"));
    EXPECT_EQ(special.value(115) + special.value(119) + special.value(116) + special.value(121),
              QStringLiteral("↖↘⇞⇟"));

    const QList<quint16> expected{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                  103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
    EXPECT_EQ(KeyboardLayout::functionKeyCodes(), expected);
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(special.value(expected[i]), QStringLiteral("F%1").arg(i + 1));
}

TEST_F(KeyboardLayoutTest, CharacterIsWhatTheLayoutTypesOrAbsent)
{
    EXPECT_EQ(KeyboardLayout::character(9), QStringLiteral("v"));
    EXPECT_EQ(KeyboardLayout::character(27), QStringLiteral("-"));
    // Blank output (space, tab, line breaks, control characters) is no character.
    for (const quint16 code : {49, 48, 36, 51, 53, 52})
        EXPECT_FALSE(KeyboardLayout::character(code)) << code;
    m_layout->outputs[5] = QStringLiteral(" \r\n");
    EXPECT_FALSE(KeyboardLayout::character(5));
    // Visible output is handed back as produced, not trimmed.
    m_layout->outputs[5] = QStringLiteral("´ ");
    EXPECT_EQ(KeyboardLayout::character(5), QStringLiteral("´ "));
    // Positions beyond the physical keys have nothing.
    EXPECT_FALSE(KeyboardLayout::character(128));
    EXPECT_FALSE(KeyboardLayout::character(65535));

    m_layout->available = false;
    EXPECT_FALSE(KeyboardLayout::character(9));
}

TEST_F(KeyboardLayoutTest, EveryCallReadsTheLayoutAgain)
{
    EXPECT_EQ(KeyboardLayout::displayName(6), QStringLiteral("Z"));
    m_layout->outputs[6] = QStringLiteral("y"); // a German layout swaps Z and Y
    EXPECT_EQ(KeyboardLayout::displayName(6), QStringLiteral("Y"));
    EXPECT_EQ(KeyboardLayout::character(6), QStringLiteral("y"));
}

TEST_F(KeyboardLayoutTest, DisplayNamePrefersTheTableThenTheLayoutThenTheCode)
{
    EXPECT_EQ(KeyboardLayout::displayName(49), QStringLiteral("Espaço"));
    EXPECT_EQ(KeyboardLayout::displayName(36), QStringLiteral("↩"));
    EXPECT_EQ(KeyboardLayout::displayName(122), QStringLiteral("F1"));
    m_layout->outputs[122] = QStringLiteral("x"); // the table wins even over visible output
    EXPECT_EQ(KeyboardLayout::displayName(122), QStringLiteral("F1"));

    EXPECT_EQ(KeyboardLayout::displayName(0), QStringLiteral("A"));
    EXPECT_EQ(KeyboardLayout::displayName(18), QStringLiteral("1"));
    EXPECT_EQ(KeyboardLayout::displayName(41), QStringLiteral(";"));
    m_layout->outputs[33] = QStringLiteral("^"); // a dead key, as its accent
    EXPECT_EQ(KeyboardLayout::displayName(33), QStringLiteral("^"));
    m_layout->outputs[0] = QStringLiteral("é");
    EXPECT_EQ(KeyboardLayout::displayName(0), QStringLiteral("É"));

    EXPECT_EQ(KeyboardLayout::displayName(52), QStringLiteral("#52"));
    EXPECT_EQ(KeyboardLayout::displayName(10), QStringLiteral("§"));
    m_layout->outputs[10].clear();
    EXPECT_EQ(KeyboardLayout::displayName(10), QStringLiteral("#10"));
    EXPECT_EQ(KeyboardLayout::displayName(300), QStringLiteral("#300"));

    m_layout->available = false;
    EXPECT_EQ(KeyboardLayout::displayName(0), QStringLiteral("#0"));
    EXPECT_EQ(KeyboardLayout::displayName(53), QStringLiteral("⎋"));
}

TEST_F(KeyboardLayoutTest, KeyCodeFindsTheFirstKeyTypingTheText)
{
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 9);
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("-")), 27);
    // The argument is not case-folded; the layout's output is.
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("V")));
    m_layout->outputs[9] = QStringLiteral("V");
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 9);
    // Ascending order: the lowest position wins.
    m_layout->outputs[47] = QStringLiteral("v");
    m_layout->outputs[9].clear();
    m_layout->outputs[100] = QStringLiteral("v");
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 47);
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
    other->outputs[9] = QStringLiteral("m");
    {
        KeyboardLayout::ScopedSource scoped(other);
        EXPECT_EQ(KeyboardLayout::source(), other);
        EXPECT_EQ(KeyboardLayout::character(9), QStringLiteral("m"));
    }
    EXPECT_EQ(KeyboardLayout::source(), m_layout);
    EXPECT_EQ(KeyboardLayout::character(9), QStringLiteral("v"));
}

TEST_F(KeyboardLayoutTest, DisplayStringShowsModifiersInFixedOrderThenTheKey)
{
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘V"));
    EXPECT_EQ(HotKeyCombo(49, 0x140000).displayString(), QStringLiteral("⌃⌘Espaço"));
    EXPECT_EQ(HotKeyCombo(122, 0).displayString(), QStringLiteral("F1"));
    EXPECT_EQ(HotKeyCombo(0, 0x1E0000).displayString(), QStringLiteral("⌃⌥⇧⌘A"));
    EXPECT_EQ(HotKeyCombo(9, 0x80000).displayString(), QStringLiteral("⌥V"));
    // Other bits (caps lock, the function-key bit) show nothing.
    EXPECT_EQ(HotKeyCombo(9, 0x10000 | 0x800000).displayString(), QStringLiteral("V"));
    EXPECT_EQ(HotKeyCombo(52, 0x100000).displayString(), QStringLiteral("⌘#52"));
    m_layout->outputs[9] = QStringLiteral("м");
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘М"));

    // Views read it as a property of the value.
    const QMetaObject &meta = HotKeyCombo::staticMetaObject;
    const QMetaProperty property = meta.property(meta.indexOfProperty("displayString"));
    const HotKeyCombo combo(49, 0x140000);
    EXPECT_EQ(property.readOnGadget(&combo).toString(), QStringLiteral("⌃⌘Espaço"));
}
