#pragma once

#include "hotkey/KeyboardLayoutSource.h"

#include <QHash>

namespace tessaly::test {

// A keyboard layout held in memory; starts as the US layout's unshifted keys 0–53.
class FakeKeyboardLayoutSource : public KeyboardLayoutSource
{
public:
    FakeKeyboardLayoutSource() { setUsLayout(); }

    std::shared_ptr<const LayoutOutputs> currentLayout() override
    {
        ++reads;
        if (!available)
            return nullptr;
        return std::make_shared<const LayoutOutputs>(outputs);
    }

    void setUsLayout()
    {
        outputs = {};
        const QHash<quint16, QString> us{
            {0, "a"},   {1, "s"},   {2, "d"},   {3, "f"},    {4, "h"},  {5, "g"},  {6, "z"},
            {7, "x"},   {8, "c"},   {9, "v"},   {10, "§"},   {11, "b"}, {12, "q"}, {13, "w"},
            {14, "e"},  {15, "r"},  {16, "y"},  {17, "t"},   {18, "1"}, {19, "2"}, {20, "3"},
            {21, "4"},  {22, "6"},  {23, "5"},  {24, "="},   {25, "9"}, {26, "7"}, {27, "-"},
            {28, "8"},  {29, "0"},  {30, "]"},  {31, "o"},   {32, "u"}, {33, "["}, {34, "i"},
            {35, "p"},  {36, "\r"}, {37, "l"},  {38, "j"},   {39, "'"}, {40, "k"}, {41, ";"},
            {42, "\\"}, {43, ","},  {44, "/"},  {45, "n"},   {46, "m"}, {47, "."}, {48, "\t"},
            {49, " "},  {50, "`"},  {51, "\b"}, {53, "\x1b"}};
        for (auto it = us.cbegin(); it != us.cend(); ++it)
            outputs[it.key()] = it.value();
    }

    LayoutOutputs outputs;
    bool available = true;
    int reads = 0;
};

} // namespace tessaly::test
