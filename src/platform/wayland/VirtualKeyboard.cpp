#include "platform/wayland/VirtualKeyboard.h"

#include "hotkey/HotKeyCombo.h"
#include "platform/keyboard/PhysicalKeys.h"
#include "platform/wayland/Roundtrip.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace tessaly::wayland {

using Clock = std::chrono::steady_clock;

namespace {

// A keymap larger than this is not a keymap.
constexpr uint32_t maximumKeymapSize = 4 * 1024 * 1024;
// Each keystroke waits at most this long for the compositor to take it.
constexpr auto keystrokeTimeout = std::chrono::milliseconds(500);

template <typename T, void (*Free)(T *)> struct Deleter
{
    void operator()(T *pointer) const { Free(pointer); }
};
using Context = std::unique_ptr<xkb_context, Deleter<xkb_context, xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, Deleter<xkb_keymap, xkb_keymap_unref>>;

} // namespace

struct VirtualKeyboard::State
{
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    wl_seat *seat = nullptr;
    wl_keyboard *keyboard = nullptr;
    zwp_virtual_keyboard_manager_v1 *manager = nullptr;
    zwp_virtual_keyboard_v1 *virtualKeyboard = nullptr;
    uint32_t seatCapabilities = 0;
    // The compositor took the keyboard and its keymap.
    bool ready = false;

    Context context{xkb_context_new(XKB_CONTEXT_NO_FLAGS)};
    // The seat's keymap as the compositor last sent it, and what this keyboard was given.
    QByteArray seatKeymap;
    QByteArray givenKeymap;
    Keymap keymap;

    ~State()
    {
        if (virtualKeyboard)
            zwp_virtual_keyboard_v1_destroy(virtualKeyboard);
        if (manager)
            zwp_virtual_keyboard_manager_v1_destroy(manager);
        if (keyboard)
            wl_keyboard_destroy(keyboard);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    // Gives the virtual keyboard the seat's keymap when it changed (a new layout) since the
    // last keystroke. False when there is no usable keymap.
    bool updateKeymap()
    {
        if (!seatKeymap.isEmpty() && seatKeymap == givenKeymap && keymap)
            return true;
        QByteArray text = seatKeymap;
        Keymap compiled;
        if (!text.isEmpty()) {
            compiled.reset(
                xkb_keymap_new_from_buffer(context.get(), text.constData(), size_t(text.size()),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
        }
        if (!compiled) {
            // The compositor sent none (or one we cannot read): the system's default layout.
            compiled.reset(
                xkb_keymap_new_from_names(context.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
            if (!compiled)
                return false;
            char *defaultText = xkb_keymap_get_as_string(compiled.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
            if (!defaultText)
                return false;
            text = QByteArray(defaultText);
            free(defaultText);
        }
        // The compositor reads the keymap from a file of its own, NUL included.
        const int fd = memfd_create("tessaly-keymap", MFD_CLOEXEC);
        if (fd < 0)
            return false;
        const auto size = size_t(text.size()) + 1;
        if (::write(fd, text.constData(), size) != ssize_t(size)) {
            close(fd);
            return false;
        }
        zwp_virtual_keyboard_v1_keymap(virtualKeyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       uint32_t(size));
        close(fd);
        givenKeymap = seatKeymap;
        keymap = std::move(compiled);
        return true;
    }

    uint32_t modifierMask(const char *name) const
    {
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap.get(), name);
        return index == XKB_MOD_INVALID || index >= 32 ? 0 : (1u << index);
    }
};

namespace {

using State = VirtualKeyboard::State;

void keyboardKeymap(void *data, wl_keyboard *, uint32_t format, int32_t fd, uint32_t size)
{
    auto *state = static_cast<State *>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 && size <= maximumKeymapSize) {
        void *mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            const auto *bytes = static_cast<const char *>(mapped);
            state->seatKeymap = QByteArray(bytes, qsizetype(strnlen(bytes, size)));
            munmap(mapped, size);
        }
    }
    close(fd);
}

void keyboardEnter(void *, wl_keyboard *, uint32_t, wl_surface *, wl_array *) {}
void keyboardLeave(void *, wl_keyboard *, uint32_t, wl_surface *) {}
void keyboardKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardModifiers(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardRepeatInfo(void *, wl_keyboard *, int32_t, int32_t) {}

const wl_keyboard_listener keyboardListener = {keyboardKeymap,    keyboardEnter,
                                               keyboardLeave,     keyboardKey,
                                               keyboardModifiers, keyboardRepeatInfo};

void seatCapabilities(void *data, wl_seat *, uint32_t capabilities)
{
    static_cast<State *>(data)->seatCapabilities = capabilities;
}

const wl_seat_listener seatListener = {seatCapabilities, nullptr};

void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
                    uint32_t)
{
    auto *state = static_cast<State *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !state->seat) {
        state->seat =
            static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        wl_seat_add_listener(state->seat, &seatListener, state);
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 &&
               !state->manager) {
        state->manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
}

void registryGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

uint32_t timestamp()
{
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

} // namespace

VirtualKeyboard::VirtualKeyboard(const QByteArray &display, std::chrono::milliseconds timeout)
    : m_state(std::make_unique<State>())
{
    State &s = *m_state;
    const Clock::time_point deadline = Clock::now() + timeout;
    s.display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!s.display || !s.context)
        return;
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &registryListener, &s);
    // The registry, then the seat's capabilities.
    if (!roundtrip(s.display, deadline) || !s.seat || !s.manager || !roundtrip(s.display, deadline))
        return;
    // The seat's keyboard, only for its keymap (sent without any focus). A seat without a
    // keyboard has no keymap to follow: the keyboard gets the system's default one.
    if (s.seatCapabilities & WL_SEAT_CAPABILITY_KEYBOARD) {
        s.keyboard = wl_seat_get_keyboard(s.seat);
        wl_keyboard_add_listener(s.keyboard, &keyboardListener, &s);
    }
    s.virtualKeyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(s.manager, s.seat);
    // A compositor that refuses the keyboard ends the connection.
    s.ready = roundtrip(s.display, deadline) && s.updateKeymap() &&
              roundtrip(s.display, deadline) && wl_display_get_error(s.display) == 0;
}

VirtualKeyboard::~VirtualKeyboard() = default;

bool VirtualKeyboard::isAvailable() const
{
    std::lock_guard lock(m_mutex);
    return m_state->ready && wl_display_get_error(m_state->display) == 0;
}

bool VirtualKeyboard::sendKeystroke(quint16 keyCode, quint64 modifiers)
{
    std::lock_guard lock(m_mutex);
    State &s = *m_state;
    if (!s.ready || wl_display_get_error(s.display) != 0)
        return false;
    const Clock::time_point deadline = Clock::now() + keystrokeTimeout;
    // A layout chosen since the last keystroke arrives with the compositor's pending events.
    if (!roundtrip(s.display, deadline) || !s.updateKeymap())
        return false;
    const char *name = keyboard::PhysicalKeys::xkbKeyName(keyCode);
    const xkb_keycode_t key =
        name ? xkb_keymap_key_by_name(s.keymap.get(), name) : XKB_KEYCODE_INVALID;
    if (key == XKB_KEYCODE_INVALID || key < 8)
        return false;

    uint32_t mask = 0;
    const struct
    {
        quint64 flag;
        const char *modifier;
    } modifierNames[] = {
        {HotKeyCombo::commandFlag, XKB_MOD_NAME_CTRL},
        {HotKeyCombo::shiftFlag, XKB_MOD_NAME_SHIFT},
        {HotKeyCombo::optionFlag, XKB_MOD_NAME_ALT},
        {HotKeyCombo::controlFlag, XKB_MOD_NAME_LOGO},
    };
    for (const auto &modifier : modifierNames) {
        if (!(modifiers & modifier.flag))
            continue;
        const uint32_t bit = s.modifierMask(modifier.modifier);
        if (bit == 0)
            return false;
        mask |= bit;
    }

    // The protocol's keys are evdev codes: the keymap's less 8.
    zwp_virtual_keyboard_v1_modifiers(s.virtualKeyboard, mask, 0, 0, 0);
    zwp_virtual_keyboard_v1_key(s.virtualKeyboard, timestamp(), key - 8,
                                WL_KEYBOARD_KEY_STATE_PRESSED);
    zwp_virtual_keyboard_v1_key(s.virtualKeyboard, timestamp(), key - 8,
                                WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(s.virtualKeyboard, 0, 0, 0, 0);
    // The compositor has handled every request above when the answer comes.
    return roundtrip(s.display, deadline) && wl_display_get_error(s.display) == 0;
}

} // namespace tessaly::wayland
