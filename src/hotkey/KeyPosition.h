#pragma once

#include <QtGlobal>

namespace tessaly {

// The stored key positions: what HotKeyCombo::keyCode and the panel's key table hold. Each
// number is a physical key, whatever the layout (V is the key that types v on a US keyboard),
// and is kept in users' settings, so the numbers never change. The modifier keys go by the
// modifier flags they set: Command is Ctrl, Control is Super, Option is Alt. Positions without
// a name here (52, 66, 68, 70, 77, 108, 112, 127) have no key.
namespace KeyPosition {

// The number of stored positions: 0 to 127.
inline constexpr quint16 count = 128;

// Letters.
inline constexpr quint16 A = 0;
inline constexpr quint16 S = 1;
inline constexpr quint16 D = 2;
inline constexpr quint16 F = 3;
inline constexpr quint16 H = 4;
inline constexpr quint16 G = 5;
inline constexpr quint16 Z = 6;
inline constexpr quint16 X = 7;
inline constexpr quint16 C = 8;
inline constexpr quint16 V = 9;
inline constexpr quint16 B = 11;
inline constexpr quint16 Q = 12;
inline constexpr quint16 W = 13;
inline constexpr quint16 E = 14;
inline constexpr quint16 R = 15;
inline constexpr quint16 Y = 16;
inline constexpr quint16 T = 17;
inline constexpr quint16 O = 31;
inline constexpr quint16 U = 32;
inline constexpr quint16 I = 34;
inline constexpr quint16 P = 35;
inline constexpr quint16 L = 37;
inline constexpr quint16 J = 38;
inline constexpr quint16 K = 40;
inline constexpr quint16 N = 45;
inline constexpr quint16 M = 46;

// The digit row.
inline constexpr quint16 Digit1 = 18;
inline constexpr quint16 Digit2 = 19;
inline constexpr quint16 Digit3 = 20;
inline constexpr quint16 Digit4 = 21;
inline constexpr quint16 Digit6 = 22;
inline constexpr quint16 Digit5 = 23;
inline constexpr quint16 Digit9 = 25;
inline constexpr quint16 Digit7 = 26;
inline constexpr quint16 Digit8 = 28;
inline constexpr quint16 Digit0 = 29;

// Punctuation, by what the key types on a US keyboard.
inline constexpr quint16 IntlBackslash = 10; // the extra key of ISO keyboards, right of Shift
inline constexpr quint16 Equal = 24;
inline constexpr quint16 Minus = 27;
inline constexpr quint16 RightBracket = 30;
inline constexpr quint16 LeftBracket = 33;
inline constexpr quint16 Quote = 39;
inline constexpr quint16 Semicolon = 41;
inline constexpr quint16 Backslash = 42;
inline constexpr quint16 Comma = 43;
inline constexpr quint16 Slash = 44;
inline constexpr quint16 Period = 47;
inline constexpr quint16 Grave = 50; // left of 1

// Editing and navigation.
inline constexpr quint16 Return = 36;
inline constexpr quint16 Tab = 48;
inline constexpr quint16 Space = 49;
inline constexpr quint16 Backspace = 51;
inline constexpr quint16 Escape = 53;
inline constexpr quint16 ContextMenu = 110;
inline constexpr quint16 Insert = 114; // the Help key's place
inline constexpr quint16 Home = 115;
inline constexpr quint16 PageUp = 116;
inline constexpr quint16 ForwardDelete = 117;
inline constexpr quint16 End = 119;
inline constexpr quint16 PageDown = 121;
inline constexpr quint16 LeftArrow = 123;
inline constexpr quint16 RightArrow = 124;
inline constexpr quint16 DownArrow = 125;
inline constexpr quint16 UpArrow = 126;

// Modifier keys.
inline constexpr quint16 RightCommand = 54;
inline constexpr quint16 Command = 55;
inline constexpr quint16 Shift = 56;
inline constexpr quint16 CapsLock = 57;
inline constexpr quint16 Option = 58;
inline constexpr quint16 Control = 59;
inline constexpr quint16 RightShift = 60;
inline constexpr quint16 RightOption = 61;
inline constexpr quint16 RightControl = 62;
inline constexpr quint16 Function = 63; // fn: no PC key

// Function keys.
inline constexpr quint16 F1 = 122;
inline constexpr quint16 F2 = 120;
inline constexpr quint16 F3 = 99;
inline constexpr quint16 F4 = 118;
inline constexpr quint16 F5 = 96;
inline constexpr quint16 F6 = 97;
inline constexpr quint16 F7 = 98;
inline constexpr quint16 F8 = 100;
inline constexpr quint16 F9 = 101;
inline constexpr quint16 F10 = 109;
inline constexpr quint16 F11 = 103;
inline constexpr quint16 F12 = 111;
inline constexpr quint16 F13 = 105;
inline constexpr quint16 F14 = 107;
inline constexpr quint16 F15 = 113;
inline constexpr quint16 F16 = 106;
inline constexpr quint16 F17 = 64;
inline constexpr quint16 F18 = 79;
inline constexpr quint16 F19 = 80;
inline constexpr quint16 F20 = 90;

// The keypad.
inline constexpr quint16 KeypadDecimal = 65;
inline constexpr quint16 KeypadMultiply = 67;
inline constexpr quint16 KeypadPlus = 69;
inline constexpr quint16 KeypadClear = 71; // Num Lock on a PC keyboard
inline constexpr quint16 KeypadDivide = 75;
inline constexpr quint16 KeypadEnter = 76;
inline constexpr quint16 KeypadMinus = 78;
inline constexpr quint16 KeypadEquals = 81;
inline constexpr quint16 Keypad0 = 82;
inline constexpr quint16 Keypad1 = 83;
inline constexpr quint16 Keypad2 = 84;
inline constexpr quint16 Keypad3 = 85;
inline constexpr quint16 Keypad4 = 86;
inline constexpr quint16 Keypad5 = 87;
inline constexpr quint16 Keypad6 = 88;
inline constexpr quint16 Keypad7 = 89;
inline constexpr quint16 Keypad8 = 91;
inline constexpr quint16 Keypad9 = 92;

// Media keys.
inline constexpr quint16 VolumeUp = 72;
inline constexpr quint16 VolumeDown = 73;
inline constexpr quint16 Mute = 74;

// The extra keys of Japanese keyboards.
inline constexpr quint16 JisYen = 93;
inline constexpr quint16 JisUnderscore = 94;
inline constexpr quint16 JisKeypadComma = 95;
inline constexpr quint16 JisEisu = 102;
inline constexpr quint16 JisKana = 104;

} // namespace KeyPosition

} // namespace tessaly
