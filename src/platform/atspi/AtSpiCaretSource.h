#pragma once

#include "panel/CaretSource.h"
#include "platform/Workspace.h"
#include "platform/atspi/AtSpiBus.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QDBusMessage;

namespace tessaly {

// The text cursor of the focused text element, read over the accessibility bus (AT-SPI 2):
// the focused accessible object → its caret offset (or selection) → the extents of the
// character there, in screen coordinates. Every call is bounded (0.12 s per call, 0.25 s in
// all) and answers absent when the bus is off or an application does not answer in time.
//
// The focused object is the one that last reported gaining focus, as long as it still says it
// has focus or its process owns the active window: GTK reports its focused entry as unfocused,
// and its window as inactive, while another program holds the keyboard, as during the hot
// key's press. Failing that, it is looked for in the active window of each application.
class AtSpiCaretSource : public QObject, public CaretSource
{
    Q_OBJECT

public:
    // The process owning the window in front, if known.
    using FrontProcess = std::function<std::optional<qint64>()>;
    // The process of the workspace's frontmost application. The workspace must outlive the
    // source that asks it.
    static FrontProcess frontProcessOf(Workspace &workspace);

    explicit AtSpiCaretSource(FrontProcess frontProcess, QObject *parent = nullptr);
    ~AtSpiCaretSource() override;

    // Starts following focus changes on the accessibility bus (the bus asks applications to
    // report them from then on). Without it, every lookup searches.
    void startTracking();

    std::optional<QRectF> focusedCaretRect() override;

    using ObjectRef = AtSpiBus::ObjectRef;

private Q_SLOTS:
    void onStateChanged(const QDBusMessage &message);

private:
    bool ensureConnected();
    std::optional<ObjectRef> focusedObject(const QDeadlineTimer &deadline);
    std::optional<ObjectRef> searchFocused(const QDeadlineTimer &deadline);
    std::optional<ObjectRef> findFocusedBelow(const ObjectRef &root, int &budget,
                                              const QDeadlineTimer &deadline);
    std::optional<qint64> processOf(const QString &service, const QDeadlineTimer &deadline);
    bool belongsToThisProcess(const QString &service, const QDeadlineTimer &deadline);
    std::optional<QRectF> caretRectOf(const ObjectRef &object, const QDeadlineTimer &deadline);

    std::optional<QDBusMessage> call(const ObjectRef &object, const QString &interface,
                                     const QString &method, const QVariantList &arguments,
                                     const QDeadlineTimer &deadline);
    std::optional<quint64> states(const ObjectRef &object, const QDeadlineTimer &deadline);
    QList<ObjectRef> children(const ObjectRef &object, const QDeadlineTimer &deadline);

    FrontProcess m_frontProcess;
    QDBusConnection m_connection;
    QHash<QString, qint64> m_processes; // by unique bus name, never reused on a bus
    bool m_tracking = false;
    std::optional<ObjectRef> m_lastFocused;
};

} // namespace tessaly
