#include "platform/wayland/KWinFakeInput.h"

#include "platform/keyboard/EvdevKeystroke.h"
#include "platform/wayland/Roundtrip.h"

#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace tessaly::wayland {

using Clock = std::chrono::steady_clock;

namespace {

constexpr auto keystrokeTimeout = std::chrono::milliseconds(500);
// Key presses arrived with version 4.
constexpr uint32_t keyboardVersion = 4;

} // namespace

struct KWinFakeInput::State
{
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    org_kde_kwin_fake_input *fakeInput = nullptr;
    bool ready = false;

    ~State()
    {
        if (fakeInput)
            org_kde_kwin_fake_input_destroy(fakeInput);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }
};

namespace {

using State = KWinFakeInput::State;

void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
                    uint32_t version)
{
    auto *state = static_cast<State *>(data);
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !state->fakeInput &&
        version >= keyboardVersion) {
        state->fakeInput = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, keyboardVersion));
    }
}

void registryGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {registryGlobal, registryGlobalRemove};

} // namespace

KWinFakeInput::KWinFakeInput(const QByteArray &display, std::chrono::milliseconds timeout)
    : m_state(std::make_unique<State>())
{
    State &s = *m_state;
    const Clock::time_point deadline = Clock::now() + timeout;
    s.display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!s.display)
        return;
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &registryListener, &s);
    if (!roundtrip(s.display, deadline) || !s.fakeInput)
        return;
    org_kde_kwin_fake_input_authenticate(s.fakeInput, "Tessaly",
                                         "Colar o item escolhido no aplicativo em uso");
    s.ready = roundtrip(s.display, deadline) && wl_display_get_error(s.display) == 0;
}

KWinFakeInput::~KWinFakeInput() = default;

bool KWinFakeInput::isAvailable() const
{
    std::lock_guard lock(m_mutex);
    return m_state->ready && wl_display_get_error(m_state->display) == 0;
}

bool KWinFakeInput::sendKeystroke(quint16 keyCode, quint64 modifiers)
{
    std::lock_guard lock(m_mutex);
    State &s = *m_state;
    if (!s.ready || wl_display_get_error(s.display) != 0)
        return false;
    const auto keystroke = keyboard::evdevKeystroke(keyCode, modifiers);
    if (!keystroke)
        return false;
    for (const auto &[code, pressed] : *keystroke) {
        org_kde_kwin_fake_input_keyboard_key(s.fakeInput, code,
                                             pressed ? WL_KEYBOARD_KEY_STATE_PRESSED
                                                     : WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    // KWin has handled every request above when the answer comes.
    return roundtrip(s.display, Clock::now() + keystrokeTimeout) &&
           wl_display_get_error(s.display) == 0;
}

} // namespace tessaly::wayland
