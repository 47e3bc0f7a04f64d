#pragma once

#include "capture/Pasteboard.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <memory>

namespace tessaly {

namespace wayland {
class DataControl;
}

// The clipboard of a Wayland session, over the compositor's data-control protocol.
//
// The change count rises with every selection the compositor announces from another client, and
// with each of the program's own writes at the moment it is made (the compositor's report of an
// own offer is recognised by a marker type and not counted again). A reading asks the owner for
// each type through a pipe, within one budget for the whole reading. Writes offer every type
// and are served from the data-control thread until another client takes the selection. As on
// X11, clearContents() takes the selection (empty) only if no write follows before the event
// loop runs again.
class WaylandPasteboard : public Pasteboard
{
    Q_OBJECT

public:
    // Connects to the compositor (empty: $WAYLAND_DISPLAY). isValid() says whether it offers a
    // data-control protocol.
    explicit WaylandPasteboard(const QByteArray &display = {}, QObject *parent = nullptr);
    ~WaylandPasteboard() override;

    bool isValid() const { return m_valid; }
    QString protocolName() const;

    std::chrono::milliseconds readingBudget() const { return m_readingBudget; }
    void setReadingBudget(std::chrono::milliseconds budget) { m_readingBudget = budget; }

    qint64 changeCount() const override { return m_changeCount.load(); }
    std::unique_ptr<PasteboardReading>
    openReading(ContentsOf contents = ContentsOf::OtherApplications) override;
    void clearContents() override;
    void setString(const QString &text) override;
    void writeItems(const QList<PayloadItem> &items) override;
    std::optional<QString> plainString(const PayloadItem &item) const override;

private:
    std::shared_ptr<wayland::DataControl> m_control;
    bool m_valid = false;
    std::atomic<qint64> m_changeCount{0};
    std::chrono::milliseconds m_readingBudget{1000};
    bool m_clearPending = false;
    quint64 m_clears = 0;
};

} // namespace tessaly
