#include "platform/sway/SwayHotKeyService.h"

#include "platform/sway/SwayBindings.h"
#include "platform/sway/SwayIpc.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <xkbcommon/xkbcommon.h>

namespace tessaly::sway {

SwayHotKeyService::SwayHotKeyService(std::shared_ptr<const SwayIpc> ipc,
                                     const QString &toggleCommand)
    : m_ipc(std::move(ipc)), m_command(toggleCommand),
      m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)),
      // Key codes are the same on every layout; the symbols compared with `bindsym` lines are
      // those of the default one (XKB_DEFAULT_LAYOUT, else the system's).
      m_keymap(m_context
                   ? xkb_keymap_new_from_names(m_context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                   : nullptr)
{}

SwayHotKeyService::~SwayHotKeyService()
{
    ungrab();
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

QString SwayHotKeyService::commandFor(const QString &executable, const QString &argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+-]+$"));
    const QString program =
        plain.match(executable).hasMatch() ? executable : QStringLiteral("tessaly");
    return program + u' ' + argument;
}

bool SwayHotKeyService::grab(const HotKeyCombo &combo)
{
    ungrab();
    const auto binding = SwayBindings::bindcodeOf(combo, m_keymap);
    if (!binding)
        return false;
    const auto config = m_ipc->config();
    if (!config || SwayBindings::isBoundIn(*config, combo, m_keymap))
        return false;
    if (!m_ipc->run(QStringLiteral("bindcode --no-repeat %1 exec %2").arg(*binding, m_command)))
        return false;
    m_bound = binding;
    return true;
}

void SwayHotKeyService::ungrab()
{
    if (!m_bound)
        return;
    m_ipc->run(QStringLiteral("unbindcode %1").arg(*m_bound));
    m_bound.reset();
}

} // namespace tessaly::sway
