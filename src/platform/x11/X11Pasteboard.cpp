#include "platform/x11/X11Pasteboard.h"

#include "platform/clipboard/SelectionTypes.h"
#include "platform/x11/SelectionOwner.h"
#include "platform/x11/SelectionReading.h"

#include <QSet>
#include <QTimer>

namespace tessaly {

X11Pasteboard::X11Pasteboard(const QByteArray &display, QObject *parent)
    : Pasteboard(parent), m_display(display), m_atoms(std::make_shared<x11::AtomCache>())
{
    m_owner = std::make_unique<x11::SelectionOwner>(m_display, m_atoms, [this] {
        // On the selection thread; the pasteboard outlives it (its destructor joins it).
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT changed(); }, Qt::QueuedConnection);
    });
}

X11Pasteboard::~X11Pasteboard() = default;

bool X11Pasteboard::isValid() const
{
    return m_owner->isValid();
}

qint64 X11Pasteboard::changeCount() const
{
    return m_owner->changeCount();
}

std::unique_ptr<PasteboardReading> X11Pasteboard::openReading(ContentsOf contents)
{
    x11::SelectionReading::Context context;
    context.display = m_display;
    context.atoms = m_atoms;
    context.changeCount = m_owner->changeCount();
    context.currentChangeCount = [counter = m_owner->changeCounter()] { return counter->load(); };
    context.ownWindow = m_owner->window();
    context.readsOwnContents = contents == ContentsOf::AnyApplication;
    context.budget = m_readingBudget;
    return std::make_unique<x11::SelectionReading>(context);
}

void X11Pasteboard::clearContents()
{
    if (!m_clearPending)
        m_owner->countOwnChange();
    m_clearPending = true;
    // Without a write before the event loop runs again, the clipboard is emptied then.
    QTimer::singleShot(0, this, [this, clear = ++m_clears] {
        if (m_clearPending && clear == m_clears)
            own({});
    });
}

void X11Pasteboard::setString(const QString &text)
{
    own(clipboard::SelectionTypes::plainTextRepresentations(text));
}

std::optional<QString> X11Pasteboard::plainString(const PayloadItem &item) const
{
    return clipboard::SelectionTypes::plainString(item);
}

void X11Pasteboard::writeItems(const QList<PayloadItem> &items)
{
    QList<std::pair<QString, QByteArray>> contents;
    QSet<QString> offered;
    for (const PayloadItem &item : items) {
        for (const auto &[type, bytes] : item.representations()) {
            if (offered.contains(type) || clipboard::SelectionTypes::isMetaTarget(type))
                continue;
            offered.insert(type);
            contents.append({type, bytes});
        }
    }
    own(contents);
}

void X11Pasteboard::own(const QList<std::pair<QString, QByteArray>> &contents)
{
    m_owner->own(contents, m_clearPending);
    m_clearPending = false;
}

} // namespace tessaly
