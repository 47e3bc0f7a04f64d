#include "platform/keyboard/PhysicalKeys.h"
#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"

#include <QSet>
#include <QString>

#include <gtest/gtest.h>

using namespace tessaly;
namespace PhysicalKeys = tessaly::keyboard::PhysicalKeys;

TEST(PhysicalKeysTest, WellKnownKeysHaveTheirXkbNames)
{
    // Stored positions written as numbers on purpose: settings keep them, so they never move.
    const QList<std::pair<quint16, const char *>> known{
        {0, "AC01"},   {9, "AB04"},  {6, "AB01"},  {12, "AD01"}, {36, "RTRN"},
        {48, "TAB"},   {49, "SPCE"}, {50, "TLDE"}, {51, "BKSP"}, {53, "ESC"},
        {55, "LCTL"},  {56, "LFSH"}, {58, "LALT"}, {59, "LWIN"}, {117, "DELE"},
        {122, "FK01"}, {64, "FK17"}, {90, "FK20"}, {126, "UP"},  {10, "LSGT"}};
    for (const auto &[code, name] : known) {
        ASSERT_TRUE(PhysicalKeys::xkbKeyName(code)) << code;
        EXPECT_STREQ(PhysicalKeys::xkbKeyName(code), name) << code;
    }
}

TEST(PhysicalKeysTest, TheTableWorksBothWaysAndNamesEachKeyOnce)
{
    QSet<QString> names;
    for (quint16 code = 0; code < PhysicalKeys::positionCount; ++code) {
        const char *name = PhysicalKeys::xkbKeyName(code);
        if (!name)
            continue;
        EXPECT_FALSE(names.contains(QString::fromLatin1(name))) << name;
        names.insert(QString::fromLatin1(name));
        EXPECT_EQ(PhysicalKeys::keyCode(name), code) << name;
    }
    EXPECT_GE(names.size(), 115);
    // Every key with a fixed name can be grabbed.
    for (const quint16 code : KeyboardLayout::specialKeys().keys())
        EXPECT_TRUE(PhysicalKeys::xkbKeyName(code)) << code;
}

TEST(PhysicalKeysTest, KeysWithoutAPcEquivalentHaveNoName)
{
    EXPECT_FALSE(PhysicalKeys::xkbKeyName(KeyPosition::Function));
    EXPECT_FALSE(PhysicalKeys::xkbKeyName(52));
    EXPECT_FALSE(PhysicalKeys::xkbKeyName(128));
    EXPECT_FALSE(PhysicalKeys::xkbKeyName(65535));
    EXPECT_FALSE(PhysicalKeys::keyCode("XXXX"));
    EXPECT_FALSE(PhysicalKeys::keyCode(""));
}
