#include "platform/x11/PhysicalKeys.h"

#include <array>

namespace tessaly::x11::PhysicalKeys {

namespace {

// Indexed by the stored key position; null where no PC key corresponds.
constexpr std::array<const char *, positionCount> names = {
    "AC01", // 0 A
    "AC02", // 1 S
    "AC03", // 2 D
    "AC04", // 3 F
    "AC06", // 4 H
    "AC05", // 5 G
    "AB01", // 6 Z
    "AB02", // 7 X
    "AB03", // 8 C
    "AB04", // 9 V
    "LSGT", // 10 the extra key of ISO keyboards, right of the left Shift
    "AB05", // 11 B
    "AD01", // 12 Q
    "AD02", // 13 W
    "AD03", // 14 E
    "AD04", // 15 R
    "AD06", // 16 Y
    "AD05", // 17 T
    "AE01", // 18 1
    "AE02", // 19 2
    "AE03", // 20 3
    "AE04", // 21 4
    "AE06", // 22 6
    "AE05", // 23 5
    "AE12", // 24 =
    "AE09", // 25 9
    "AE07", // 26 7
    "AE11", // 27 -
    "AE08", // 28 8
    "AE10", // 29 0
    "AD12", // 30 ]
    "AD09", // 31 O
    "AD07", // 32 U
    "AD11", // 33 [
    "AD08", // 34 I
    "AD10", // 35 P
    "RTRN", // 36 Return
    "AC09", // 37 L
    "AC07", // 38 J
    "AC11", // 39 '
    "AC08", // 40 K
    "AC10", // 41 ;
    "BKSL", // 42 backslash
    "AB08", // 43 ,
    "AB10", // 44 /
    "AB06", // 45 N
    "AB07", // 46 M
    "AB09", // 47 .
    "TAB",  // 48 Tab
    "SPCE", // 49 Space
    "TLDE", // 50 ` (left of 1)
    "BKSP", // 51 Backspace
    nullptr,
    "ESC",   // 53 Escape
    "RCTL",  // 54 right command
    "LCTL",  // 55 command
    "LFSH",  // 56 Shift
    "CAPS",  // 57 Caps Lock
    "LALT",  // 58 option
    "LWIN",  // 59 control
    "RTSH",  // 60 right Shift
    "RALT",  // 61 right option
    "RWIN",  // 62 right control
    nullptr, // 63 fn
    "FK17",  // 64 F17
    "KPDL",  // 65 keypad .
    nullptr,
    "KPMU", // 67 keypad *
    nullptr,
    "KPAD", // 69 keypad +
    nullptr,
    "NMLK", // 71 keypad Clear / Num Lock
    "VOL+", // 72 volume up
    "VOL-", // 73 volume down
    "MUTE", // 74 mute
    "KPDV", // 75 keypad /
    "KPEN", // 76 keypad Enter
    nullptr,
    "KPSU", // 78 keypad -
    "FK18", // 79 F18
    "FK19", // 80 F19
    "KPEQ", // 81 keypad =
    "KP0",  // 82 keypad 0
    "KP1",  // 83
    "KP2",  // 84
    "KP3",  // 85
    "KP4",  // 86
    "KP5",  // 87
    "KP6",  // 88
    "KP7",  // 89
    "FK20", // 90 F20
    "KP8",  // 91
    "KP9",  // 92
    "AE13", // 93 JIS yen
    "AB11", // 94 JIS underscore
    "I129", // 95 JIS keypad comma
    "FK05", // 96 F5
    "FK06", // 97 F6
    "FK07", // 98 F7
    "FK03", // 99 F3
    "FK08", // 100 F8
    "FK09", // 101 F9
    "HJCV", // 102 JIS eisu
    "FK11", // 103 F11
    "HNGL", // 104 JIS kana
    "FK13", // 105 F13
    "FK16", // 106 F16
    "FK14", // 107 F14
    nullptr,
    "FK10", // 109 F10
    "COMP", // 110 context menu
    "FK12", // 111 F12
    nullptr,
    "FK15", // 113 F15
    "INS",  // 114 Help / Insert
    "HOME", // 115 Home
    "PGUP", // 116 Page Up
    "DELE", // 117 forward delete
    "FK04", // 118 F4
    "END",  // 119 End
    "FK02", // 120 F2
    "PGDN", // 121 Page Down
    "FK01", // 122 F1
    "LEFT", // 123 ←
    "RGHT", // 124 →
    "DOWN", // 125 ↓
    "UP",   // 126 ↑
    nullptr,
};

} // namespace

const char *xkbKeyName(quint16 keyCode)
{
    return keyCode < names.size() ? names[keyCode] : nullptr;
}

std::optional<quint16> keyCode(std::string_view xkbKeyName)
{
    for (quint16 code = 0; code < names.size(); ++code) {
        if (names[code] && xkbKeyName == names[code])
            return code;
    }
    return std::nullopt;
}

} // namespace tessaly::x11::PhysicalKeys
