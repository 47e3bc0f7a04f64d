#pragma once

#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayoutSource.h"

#include <QHash>

namespace tessaly::test {

// A keyboard layout held in memory; starts as the US layout's unshifted letter, digit and
// punctuation keys, with Return, Tab, Space, Backspace and Escape.
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
        using namespace KeyPosition;
        const QHash<quint16, QString> us{{A, "a"},
                                         {S, "s"},
                                         {D, "d"},
                                         {F, "f"},
                                         {H, "h"},
                                         {G, "g"},
                                         {Z, "z"},
                                         {X, "x"},
                                         {C, "c"},
                                         {V, "v"},
                                         {IntlBackslash, "§"},
                                         {B, "b"},
                                         {Q, "q"},
                                         {W, "w"},
                                         {E, "e"},
                                         {R, "r"},
                                         {Y, "y"},
                                         {T, "t"},
                                         {Digit1, "1"},
                                         {Digit2, "2"},
                                         {Digit3, "3"},
                                         {Digit4, "4"},
                                         {Digit6, "6"},
                                         {Digit5, "5"},
                                         {Equal, "="},
                                         {Digit9, "9"},
                                         {Digit7, "7"},
                                         {Minus, "-"},
                                         {Digit8, "8"},
                                         {Digit0, "0"},
                                         {RightBracket, "]"},
                                         {O, "o"},
                                         {U, "u"},
                                         {LeftBracket, "["},
                                         {I, "i"},
                                         {P, "p"},
                                         {Return, "\r"},
                                         {L, "l"},
                                         {J, "j"},
                                         {Quote, "'"},
                                         {K, "k"},
                                         {Semicolon, ";"},
                                         {Backslash, "\\"},
                                         {Comma, ","},
                                         {Slash, "/"},
                                         {N, "n"},
                                         {M, "m"},
                                         {Period, "."},
                                         {Tab, "\t"},
                                         {Space, " "},
                                         {Grave, "`"},
                                         {Backspace, "\b"},
                                         {Escape, "\x1b"}};
        for (auto it = us.cbegin(); it != us.cend(); ++it)
            outputs[it.key()] = it.value();
    }

    LayoutOutputs outputs;
    bool available = true;
    int reads = 0;
};

} // namespace tessaly::test
