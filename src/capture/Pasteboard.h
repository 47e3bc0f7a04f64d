#pragma once

#include "history/ClipRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

namespace tessaly {

// One read of the clipboard's contents as they are at one change. A reading is opened on the
// main thread and then used, call after call, on one worker thread: its operations may wait for
// the application that owns the clipboard, so they must never run on the main thread.
//
// Every operation may yield nothing. Once a reading is interrupted (the owner stopped answering
// within the reading's time budget, went away, or the clipboard changed hands again) every
// further operation yields nothing, and isInterrupted() says so.
class PasteboardReading
{
public:
    virtual ~PasteboardReading() = default;

    // Every type identifier on the clipboard, over all items, in order, each once; empty when
    // there is nothing to read.
    virtual QStringList types() = 0;
    // The items in clipboard order, each given as its own types in order; absent when the
    // clipboard yields no item list.
    virtual std::optional<QList<QStringList>> items() = 0;
    // The bytes of one representation of an item, exactly as offered. Absent when the item has
    // no data for that type, or when the data is longer than maxBytes: such a transfer is
    // abandoned as soon as it is known to be too long.
    virtual std::optional<QByteArray> data(qsizetype item, const QString &type,
                                           qint64 maxBytes) = 0;
    // The bytes of a type from the first item that offers it.
    virtual std::optional<QByteArray> data(const QString &type, qint64 maxBytes) = 0;
    // The file URLs on the clipboard, in order; only file URLs, empty when there are none.
    virtual QList<QUrl> fileURLs(qint64 maxBytes) = 0;
    // The plain-text flavour.
    virtual std::optional<QString> string(qint64 maxBytes) = 0;

    virtual bool isInterrupted() const = 0;
};

// The system clipboard: a change count, readings of its contents, and writing.
//
// The write side belongs to the main thread. A write is clearContents() followed by one
// setString() or one writeItems(); right after either returns, changeCount() already gives the
// count this write produced (one more than before clearContents()), and the system's own report
// of that write does not raise it again. While the program owns the clipboard it serves what it
// wrote to other applications without involving the main thread.
class Pasteboard : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Rises with every change of the clipboard by any application, this one included. Cheap,
    // and safe to read from any thread.
    virtual qint64 changeCount() const = 0;

    // Whose contents a reading yields: the monitor reads only other applications' contents, and
    // only those of the change it noticed; a paste into one of the program's own text fields
    // takes whatever is on the clipboard when the reading begins, its own contents included.
    enum class ContentsOf
    {
        OtherApplications,
        AnyApplication
    };

    // A reading of the contents as they are now, to be used on a worker thread.
    virtual std::unique_ptr<PasteboardReading>
    openReading(ContentsOf contents = ContentsOf::OtherApplications) = 0;

    // Empties the clipboard, with this program as its owner: a change.
    virtual void clearContents() = 0;
    // Offers one plain-text flavour.
    virtual void setString(const QString &text) = 0;
    // Offers every type of the items with its bytes, in order.
    virtual void writeItems(const QList<PayloadItem> &items) = 0;

    // The plain text of one captured item, as this clipboard names its text types: the first
    // plain-text representation whose bytes decode; absent when the item has none.
    virtual std::optional<QString> plainString(const PayloadItem &item) const = 0;

Q_SIGNALS:
    // The system announced a change by another application (queued to the main thread). A
    // clipboard that announces nothing never emits; polling changeCount() always works.
    void changed();
};

} // namespace tessaly
