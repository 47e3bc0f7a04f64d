#include "panel/PanelController.h"

#include "history/HistoryStore.h"
#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "panel/PanelModel.h"
#include "panel/PanelPlacer.h"
#include "panel/PanelWindow.h"
#include "panel/PasteService.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>

namespace tessaly {

namespace {

// What a key does in the open panel.
enum class PanelCommand
{
    PasteSelected, // Shift: as plain text
    CycleFilter,   // Shift: backwards
    RemoveSelected,
    ClearSearchOrClose, // clears a search, else closes the panel
    MoveSelection,      // by the argument's rows
    PasteNth,           // the argument's visible entry, counted from 1; Shift: as plain text
    TogglePin,
    OpenSettings,
    Close,
};

struct KeyAction
{
    PanelCommand command;
    int argument = 0;
};

// Keys known by their position, with or without modifiers (unless the entry needs Ctrl).
constexpr struct
{
    quint16 position;
    bool needsCommand;
    KeyAction action;
} positionKeys[] = {
    {KeyPosition::Return, false, {PanelCommand::PasteSelected}},
    {KeyPosition::KeypadEnter, false, {PanelCommand::PasteSelected}},
    {KeyPosition::Tab, false, {PanelCommand::CycleFilter}},
    // Plain Backspace is the search field's own.
    {KeyPosition::Backspace, true, {PanelCommand::RemoveSelected}},
    {KeyPosition::Escape, false, {PanelCommand::ClearSearchOrClose}},
    {KeyPosition::PageUp, false, {PanelCommand::MoveSelection, -5}},
    {KeyPosition::ForwardDelete, false, {PanelCommand::RemoveSelected}},
    {KeyPosition::PageDown, false, {PanelCommand::MoveSelection, 5}},
    {KeyPosition::DownArrow, false, {PanelCommand::MoveSelection, 1}},
    {KeyPosition::UpArrow, false, {PanelCommand::MoveSelection, -1}},
};

// Ctrl with the key that types this on the current layout.
constexpr struct
{
    QStringView characters;
    PanelCommand command;
} characterKeys[] = {
    {u"p", PanelCommand::TogglePin},
    {u",", PanelCommand::OpenSettings},
    {u"w", PanelCommand::Close},
};

// What the key does; absent for keys the panel leaves to its search field.
std::optional<KeyAction> actionOf(const PanelKey &key)
{
    const bool command = key.modifiers & HotKeyCombo::commandFlag;
    for (const auto &entry : positionKeys) {
        if (entry.position == key.keyCode) {
            if (entry.needsCommand && !command)
                return std::nullopt;
            return entry.action;
        }
    }

    if (!command)
        return std::nullopt;
    bool isNumber = false;
    const int n = key.characters.toInt(&isNumber);
    if (isNumber && n >= 1 && n <= 9)
        return KeyAction{PanelCommand::PasteNth, n};
    for (const auto &entry : characterKeys) {
        if (key.characters == entry.characters)
            return KeyAction{entry.command};
    }
    return std::nullopt; // the search field's cut, copy, paste, select all …
}

} // namespace

PanelController::PanelController(const Services &services, PanelModel &model, PanelWindow &window,
                                 QObject *parent)
    : QObject(parent), m_store(services.store), m_settings(services.settings),
      m_pasteService(services.pasteService), m_workspace(services.workspace),
      m_accessibility(services.accessibility), m_placer(services.placer), m_model(model),
      m_window(window)
{
    m_model.setActions(this);
    QPointer<PanelController> self(this);
    m_window.onKey = [self](const PanelKey &key) { return self && self->handleKey(key); };
    m_window.onDeactivated = [self] {
        if (self)
            self->hide();
    };
    m_window.onMoved = [self] {
        if (self)
            self->m_placer.rememberPositionIfMoved(self->m_window);
    };
}

PanelController::~PanelController()
{
    m_model.setActions(nullptr);
    m_window.onKey = nullptr;
    m_window.onDeactivated = nullptr;
    m_window.onMoved = nullptr;
}

bool PanelController::isVisible() const
{
    return m_window.isVisible();
}

void PanelController::show()
{
    // The application in front, unless that is this program itself.
    m_targetApp = m_workspace.frontmostApplication();
    if (m_targetApp && m_targetApp->processID == QCoreApplication::applicationPid())
        m_targetApp.reset();

    ++m_pasteGeneration;
    m_model.prepareForOpen();
    m_placer.place(m_window);
    m_window.show();
}

void PanelController::hide()
{
    if (!m_window.isVisible())
        return;
    m_placer.rememberPositionIfMoved(m_window);
    m_window.hide();
}

void PanelController::paste(const ClipItem &item, bool plainText,
                            const std::optional<RunningApplication> &target)
{
    const quint64 paste = ++m_pasteGeneration;
    if (!m_pasteService.write(item, plainText)) {
        if (beep)
            beep();
        return;
    }
    m_store.markUsed(item.id);
    if (!m_settings.autoPaste())
        return;
    if (!m_accessibility.isTrusted()) {
        // The entry stays on the clipboard; the panel's banner tells why at the next opening.
        m_accessibility.request();
        return;
    }

    if (target && !m_workspace.isActive(*target) && !m_workspace.isTerminated(*target) &&
        m_workspace.activate(*target)) {
        // Sent once the application has the keyboard, and at the latest after the activation
        // delay; never sooner than the usual delay.
        QTimer::singleShot(m_delays.keystroke, this, [this, target, paste] {
            sendKeystrokeWhenReady(target, m_delays.keystroke, paste);
        });
        return;
    }
    QTimer::singleShot(m_delays.keystroke, this, [this, target, paste] {
        if (keystrokeStillWanted(paste))
            m_pasteService.sendPasteKeystroke(target);
    });
}

bool PanelController::keystrokeStillWanted(quint64 paste) const
{
    // Never into the panel itself, nor for a paste that a later one replaced.
    return paste == m_pasteGeneration && !m_window.isVisible();
}

void PanelController::sendKeystrokeWhenReady(std::optional<RunningApplication> target,
                                             std::chrono::milliseconds waited, quint64 paste)
{
    if (!keystrokeStillWanted(paste))
        return;
    if (waited >= m_delays.activation || !target || m_workspace.isActive(*target) ||
        m_workspace.isTerminated(*target)) {
        m_pasteService.sendPasteKeystroke(target);
        return;
    }
    QTimer::singleShot(m_delays.activationPoll, this, [this, target, waited, paste] {
        sendKeystrokeWhenReady(target, waited + m_delays.activationPoll, paste);
    });
}

void PanelController::pasteNth(int n, bool plainText)
{
    const QList<ClipItem> visible = m_model.visibleItems();
    if (visible.size() < n)
        return;
    hide();
    paste(visible[n - 1], plainText, m_targetApp);
}

bool PanelController::handleKey(const PanelKey &key)
{
    const auto action = actionOf(key);
    if (!action)
        return false;
    const bool shift = key.modifiers & HotKeyCombo::shiftFlag;
    switch (action->command) {
    case PanelCommand::PasteSelected:
        if (const auto item = m_model.selectedItem()) {
            hide();
            paste(*item, shift, m_targetApp);
        }
        break;
    case PanelCommand::CycleFilter:
        m_model.cycleFilter(!shift);
        break;
    case PanelCommand::RemoveSelected:
        if (const auto item = m_model.selectedItem())
            remove(*item);
        break;
    case PanelCommand::ClearSearchOrClose:
        if (!m_model.query().isEmpty())
            m_model.setQuery(QString());
        else
            hide();
        break;
    case PanelCommand::MoveSelection:
        m_model.moveSelection(action->argument);
        break;
    case PanelCommand::PasteNth:
        pasteNth(action->argument, shift);
        break;
    case PanelCommand::TogglePin:
        if (const auto item = m_model.selectedItem())
            togglePin(*item);
        break;
    case PanelCommand::OpenSettings:
        openSettings();
        break;
    case PanelCommand::Close:
        hide();
        break;
    }
    return true;
}

void PanelController::paste(const ClipItem &item, bool plainText)
{
    hide();
    paste(item, plainText, m_targetApp);
}

void PanelController::togglePin(const ClipItem &item)
{
    m_store.togglePin(item.id);
}

void PanelController::remove(const ClipItem &item)
{
    // The selection moves to the entry below the deleted one, else to the one above.
    const QList<ClipItem> visible = m_model.visibleItems();
    if (m_model.selectedID() == item.id) {
        qsizetype index = -1;
        for (qsizetype i = 0; i < visible.size(); ++i) {
            if (visible[i].id == item.id) {
                index = i;
                break;
            }
        }
        if (index >= 0) {
            std::optional<QUuid> next;
            if (index + 1 < visible.size())
                next = visible[index + 1].id;
            else if (index > 0)
                next = visible[index - 1].id;
            m_model.setSelectedID(next);
        }
    }
    m_store.remove(item.id);
}

void PanelController::clearAll()
{
    m_store.clear(true);
    m_model.ensureSelection();
}

void PanelController::requestAccessibility()
{
    hide();
    m_accessibility.request();
}

void PanelController::openSettings()
{
    hide();
    if (onOpenSettings)
        onOpenSettings();
}

} // namespace tessaly
