#include "platform/keyboard/PhysicalKeys.h"

#include "hotkey/KeyPosition.h"

#include <array>

namespace tessaly::keyboard::PhysicalKeys {

namespace {

// The XKB name of each stored position that has a PC key.
constexpr struct
{
    quint16 position;
    const char *xkbName;
} keys[] = {
    {KeyPosition::A, "AC01"},
    {KeyPosition::S, "AC02"},
    {KeyPosition::D, "AC03"},
    {KeyPosition::F, "AC04"},
    {KeyPosition::H, "AC06"},
    {KeyPosition::G, "AC05"},
    {KeyPosition::Z, "AB01"},
    {KeyPosition::X, "AB02"},
    {KeyPosition::C, "AB03"},
    {KeyPosition::V, "AB04"},
    {KeyPosition::IntlBackslash, "LSGT"},
    {KeyPosition::B, "AB05"},
    {KeyPosition::Q, "AD01"},
    {KeyPosition::W, "AD02"},
    {KeyPosition::E, "AD03"},
    {KeyPosition::R, "AD04"},
    {KeyPosition::Y, "AD06"},
    {KeyPosition::T, "AD05"},
    {KeyPosition::Digit1, "AE01"},
    {KeyPosition::Digit2, "AE02"},
    {KeyPosition::Digit3, "AE03"},
    {KeyPosition::Digit4, "AE04"},
    {KeyPosition::Digit6, "AE06"},
    {KeyPosition::Digit5, "AE05"},
    {KeyPosition::Equal, "AE12"},
    {KeyPosition::Digit9, "AE09"},
    {KeyPosition::Digit7, "AE07"},
    {KeyPosition::Minus, "AE11"},
    {KeyPosition::Digit8, "AE08"},
    {KeyPosition::Digit0, "AE10"},
    {KeyPosition::RightBracket, "AD12"},
    {KeyPosition::O, "AD09"},
    {KeyPosition::U, "AD07"},
    {KeyPosition::LeftBracket, "AD11"},
    {KeyPosition::I, "AD08"},
    {KeyPosition::P, "AD10"},
    {KeyPosition::Return, "RTRN"},
    {KeyPosition::L, "AC09"},
    {KeyPosition::J, "AC07"},
    {KeyPosition::Quote, "AC11"},
    {KeyPosition::K, "AC08"},
    {KeyPosition::Semicolon, "AC10"},
    {KeyPosition::Backslash, "BKSL"},
    {KeyPosition::Comma, "AB08"},
    {KeyPosition::Slash, "AB10"},
    {KeyPosition::N, "AB06"},
    {KeyPosition::M, "AB07"},
    {KeyPosition::Period, "AB09"},
    {KeyPosition::Tab, "TAB"},
    {KeyPosition::Space, "SPCE"},
    {KeyPosition::Grave, "TLDE"},
    {KeyPosition::Backspace, "BKSP"},
    {KeyPosition::Escape, "ESC"},
    {KeyPosition::RightCommand, "RCTL"},
    {KeyPosition::Command, "LCTL"},
    {KeyPosition::Shift, "LFSH"},
    {KeyPosition::CapsLock, "CAPS"},
    {KeyPosition::Option, "LALT"},
    {KeyPosition::Control, "LWIN"},
    {KeyPosition::RightShift, "RTSH"},
    {KeyPosition::RightOption, "RALT"},
    {KeyPosition::RightControl, "RWIN"},
    {KeyPosition::F17, "FK17"},
    {KeyPosition::KeypadDecimal, "KPDL"},
    {KeyPosition::KeypadMultiply, "KPMU"},
    {KeyPosition::KeypadPlus, "KPAD"},
    {KeyPosition::KeypadClear, "NMLK"},
    {KeyPosition::VolumeUp, "VOL+"},
    {KeyPosition::VolumeDown, "VOL-"},
    {KeyPosition::Mute, "MUTE"},
    {KeyPosition::KeypadDivide, "KPDV"},
    {KeyPosition::KeypadEnter, "KPEN"},
    {KeyPosition::KeypadMinus, "KPSU"},
    {KeyPosition::F18, "FK18"},
    {KeyPosition::F19, "FK19"},
    {KeyPosition::KeypadEquals, "KPEQ"},
    {KeyPosition::Keypad0, "KP0"},
    {KeyPosition::Keypad1, "KP1"},
    {KeyPosition::Keypad2, "KP2"},
    {KeyPosition::Keypad3, "KP3"},
    {KeyPosition::Keypad4, "KP4"},
    {KeyPosition::Keypad5, "KP5"},
    {KeyPosition::Keypad6, "KP6"},
    {KeyPosition::Keypad7, "KP7"},
    {KeyPosition::F20, "FK20"},
    {KeyPosition::Keypad8, "KP8"},
    {KeyPosition::Keypad9, "KP9"},
    {KeyPosition::JisYen, "AE13"},
    {KeyPosition::JisUnderscore, "AB11"},
    {KeyPosition::JisKeypadComma, "I129"},
    {KeyPosition::F5, "FK05"},
    {KeyPosition::F6, "FK06"},
    {KeyPosition::F7, "FK07"},
    {KeyPosition::F3, "FK03"},
    {KeyPosition::F8, "FK08"},
    {KeyPosition::F9, "FK09"},
    {KeyPosition::JisEisu, "HJCV"},
    {KeyPosition::F11, "FK11"},
    {KeyPosition::JisKana, "HNGL"},
    {KeyPosition::F13, "FK13"},
    {KeyPosition::F16, "FK16"},
    {KeyPosition::F14, "FK14"},
    {KeyPosition::F10, "FK10"},
    {KeyPosition::ContextMenu, "COMP"},
    {KeyPosition::F12, "FK12"},
    {KeyPosition::F15, "FK15"},
    {KeyPosition::Insert, "INS"},
    {KeyPosition::Home, "HOME"},
    {KeyPosition::PageUp, "PGUP"},
    {KeyPosition::ForwardDelete, "DELE"},
    {KeyPosition::F4, "FK04"},
    {KeyPosition::End, "END"},
    {KeyPosition::F2, "FK02"},
    {KeyPosition::PageDown, "PGDN"},
    {KeyPosition::F1, "FK01"},
    {KeyPosition::LeftArrow, "LEFT"},
    {KeyPosition::RightArrow, "RGHT"},
    {KeyPosition::DownArrow, "DOWN"},
    {KeyPosition::UpArrow, "UP"},
};

// Indexed by the stored key position; null where no PC key corresponds.
constexpr std::array<const char *, positionCount> names = [] {
    std::array<const char *, positionCount> table{};
    for (const auto &key : keys)
        table[key.position] = key.xkbName;
    return table;
}();

constexpr bool eachPositionOnce()
{
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        for (std::size_t j = i + 1; j < std::size(keys); ++j) {
            if (keys[i].position == keys[j].position)
                return false;
        }
    }
    return true;
}
static_assert(eachPositionOnce());

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

} // namespace tessaly::keyboard::PhysicalKeys
