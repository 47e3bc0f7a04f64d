#pragma once

#include "capture/Pasteboard.h"

#include <QObject>
#include <QPointer>

class QThreadPool;

#include <memory>
#include <optional>

namespace tessaly {

// Pastes into the program's own text fields through the Pasteboard, off the main thread.
//
// Qt's own clipboard waits on the calling thread, for seconds, for an owner that does not
// answer, and Qt's text fields ask it on the main thread on every clipboard change and on
// every paste. Once installed on the application, this object keeps Qt's clipboard from
// telling anybody of changes, takes over the paste keys (Ctrl+V, Shift+Insert) of any focused
// text field — the text is read on a worker thread and typed into the field when it arrives,
// as if the user had typed it — and swallows middle-button clicks, which would paste the
// primary selection through Qt's clipboard.
class FieldPaste : public QObject
{
    Q_OBJECT

public:
    // Longer clipboard text is not pasted into a field.
    static constexpr qint64 largestText = 1024 * 1024;

    // `pasteboard` must outlive this object.
    explicit FieldPaste(Pasteboard &pasteboard, QObject *parent = nullptr);
    // A read under way ends within its time budget; its text is dropped.
    ~FieldPaste() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paste(QObject *field);
    void deliver(quint64 request, const std::optional<QString> &text);

    Pasteboard &m_pasteboard;
    std::unique_ptr<QThreadPool> m_readers;
    // The field of the latest paste; an earlier paste's text that arrives late is dropped.
    QPointer<QObject> m_field;
    quint64 m_requests = 0;
};

} // namespace tessaly
