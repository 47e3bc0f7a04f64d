// The stored global shortcut (a small JSON object in the settings store).

#include "FuzzSupport.h"

#include "hotkey/HotKeyCombo.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    const auto combo = HotKeyCombo::fromJson(fuzz::bytesOf(data, size));
    if (!combo)
        return 0;
    TESSALY_FUZZ_CHECK(HotKeyCombo::fromJson(combo->toJson()) == combo);
    (void)combo->hotKeyModifierMask();
    (void)combo->displayString();
    return 0;
}
