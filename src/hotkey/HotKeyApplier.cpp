#include "hotkey/HotKeyApplier.h"

#include "hotkey/GlobalHotKey.h"
#include "settings/AppSettings.h"

namespace tessaly {

HotKeyApplier::HotKeyApplier(AppSettings &settings, GlobalHotKey &hotKey, QObject *parent)
    : QObject(parent), m_settings(settings), m_hotKey(hotKey)
{
    connect(&m_hotKey, &GlobalHotKey::registeredChanged, this, &HotKeyApplier::followRegistration);
}

bool HotKeyApplier::applyHotKey()
{
    const bool registered = m_hotKey.registerCombo(m_settings.hotKey());
    m_settings.setHotKeyRegistered(registered);
    return registered;
}

void HotKeyApplier::followRegistration()
{
    // Only while the settings' combination is the one asked for.
    if (m_hotKey.combination() == m_settings.hotKey())
        m_settings.setHotKeyRegistered(m_hotKey.isRegistered());
}

} // namespace tessaly
