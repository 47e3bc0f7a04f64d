#pragma once

#include "capture/Pasteboard.h"

#include <chrono>
#include <memory>

namespace tessaly::x11 {
class AtomCache;
class SelectionOwner;
} // namespace tessaly::x11

namespace tessaly {

// The clipboard of an X11 session: the CLIPBOARD selection.
//
// The change count rises with every change of the selection's owner that XFixes reports, and
// with each of the program's own writes at the moment it is made (the server's report of an own
// write is not counted again). Readings are ordinary conversions over a connection of their own,
// bounded in time; the program's writes are served by a selection thread. A write takes the
// selection once, with its contents: clearContents() counts the change at once but takes the
// selection (empty) only if no setString()/writeItems() follows before the event loop runs
// again, so no other application ever reads an empty clipboard halfway through a write.
// One X11 selection is one item: writing several items offers the types of all of them, the
// first item's bytes winning for a type that several items carry.
class X11Pasteboard : public Pasteboard
{
    Q_OBJECT

public:
    // Connects to the display (empty: $DISPLAY). isValid() says whether that worked.
    explicit X11Pasteboard(const QByteArray &display = {}, QObject *parent = nullptr);
    ~X11Pasteboard() override;

    bool isValid() const;

    // How long a reading waits for the owner, in all, before it gives up.
    std::chrono::milliseconds readingBudget() const { return m_readingBudget; }
    void setReadingBudget(std::chrono::milliseconds budget) { m_readingBudget = budget; }

    qint64 changeCount() const override;
    std::unique_ptr<PasteboardReading>
    openReading(ContentsOf contents = ContentsOf::OtherApplications) override;
    void clearContents() override;
    void setString(const QString &text) override;
    void writeItems(const QList<PayloadItem> &items) override;
    std::optional<QString> plainString(const PayloadItem &item) const override;

private:
    void own(const QList<std::pair<QString, QByteArray>> &contents);

    QByteArray m_display;
    std::shared_ptr<x11::AtomCache> m_atoms;
    std::unique_ptr<x11::SelectionOwner> m_owner;
    std::chrono::milliseconds m_readingBudget{1000};
    // A clear whose change is counted but whose (empty) ownership waits for the write that
    // normally follows at once, so that nobody ever reads an empty clipboard in between.
    bool m_clearPending = false;
    quint64 m_clears = 0;
};

} // namespace tessaly
