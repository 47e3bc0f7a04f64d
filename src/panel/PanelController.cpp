#include "panel/PanelController.h"

#include "history/HistoryStore.h"
#include "hotkey/HotKeyCombo.h"
#include "panel/PanelModel.h"
#include "panel/PanelPlacer.h"
#include "panel/PanelWindow.h"
#include "panel/PasteService.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>

namespace tessaly {

namespace {

// Key positions of the key table.
namespace Key {
constexpr quint16 returnKey = 36;
constexpr quint16 tab = 48;
constexpr quint16 backspace = 51;
constexpr quint16 escape = 53;
constexpr quint16 keypadEnter = 76;
constexpr quint16 pageUp = 116;
constexpr quint16 forwardDelete = 117;
constexpr quint16 pageDown = 121;
constexpr quint16 down = 125;
constexpr quint16 up = 126;
} // namespace Key

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
    const bool shift = key.modifiers & HotKeyCombo::shiftFlag;
    const bool command = key.modifiers & HotKeyCombo::commandFlag;

    switch (key.keyCode) {
    case Key::returnKey:
    case Key::keypadEnter:
        if (const auto item = m_model.selectedItem()) {
            hide();
            paste(*item, shift, m_targetApp);
        }
        return true;
    case Key::tab:
        m_model.cycleFilter(!shift);
        return true;
    case Key::backspace:
        if (!command)
            return false; // the search field's own backspace
        if (const auto item = m_model.selectedItem())
            remove(*item);
        return true;
    case Key::escape:
        if (!m_model.query().isEmpty())
            m_model.setQuery(QString());
        else
            hide();
        return true;
    case Key::pageUp:
        m_model.moveSelection(-5);
        return true;
    case Key::forwardDelete:
        if (const auto item = m_model.selectedItem())
            remove(*item);
        return true;
    case Key::pageDown:
        m_model.moveSelection(5);
        return true;
    case Key::down:
        m_model.moveSelection(1);
        return true;
    case Key::up:
        m_model.moveSelection(-1);
        return true;
    default:
        break;
    }

    if (!command)
        return false;
    bool isNumber = false;
    const int n = key.characters.toInt(&isNumber);
    if (isNumber && n >= 1 && n <= 9) {
        pasteNth(n, shift);
        return true;
    }
    if (key.characters == u"p") {
        if (const auto item = m_model.selectedItem())
            togglePin(*item);
        return true;
    }
    if (key.characters == u",") {
        openSettings();
        return true;
    }
    if (key.characters == u"w") {
        hide();
        return true;
    }
    return false; // the search field's cut, copy, paste, select all …
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
