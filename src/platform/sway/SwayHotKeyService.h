#pragma once

#include "hotkey/HotKeyService.h"

#include <QString>

#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;

namespace tessaly::sway {

class SwayIpc;

// The hot key in a sway session: while the program runs, a sway binding of the combination runs
// the program's toggle command (which reaches the running program as a press does). A
// combination the user's sway configuration binds already is refused, as one held by another
// client. The binding is removed by ungrab(); one left behind by a crash only starts the program
// again.
class SwayHotKeyService : public HotKeyService
{
public:
    // `toggleCommand` is the shell command the binding runs.
    SwayHotKeyService(std::shared_ptr<const SwayIpc> ipc, const QString &toggleCommand);
    ~SwayHotKeyService() override;

    bool grab(const HotKeyCombo &combo) override;
    void ungrab() override;

    // The shell command that runs this executable with `argument`: its path when the path needs
    // no quoting, else the name the desktop entry runs.
    static QString commandFor(const QString &executable, const QString &argument);

private:
    std::shared_ptr<const SwayIpc> m_ipc;
    QString m_command;
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    std::optional<QString> m_bound;
};

} // namespace tessaly::sway
