#include "capture/FieldPaste.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThreadPool>

namespace tessaly {

namespace {

// Qt Quick's text fields: TextInput (TextField) and TextEdit (TextArea).
bool isSingleLineField(const QObject *object)
{
    return object->inherits("QQuickTextInput");
}

bool isMultiLineField(const QObject *object)
{
    return object->inherits("QQuickTextEdit");
}

bool isMiddleButtonEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return static_cast<const QMouseEvent *>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

// The text as it goes into a field: a single-line field gets its line breaks as spaces.
QString fieldText(const QString &text, bool multiLine)
{
    if (multiLine)
        return text;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\n', u' ');
    line.replace(u'\r', u' ');
    return line;
}

} // namespace

FieldPaste::FieldPaste(Pasteboard &pasteboard, QObject *parent)
    : QObject(parent), m_pasteboard(pasteboard), m_readers(std::make_unique<QThreadPool>())
{
    // Each paste reads on a thread of its own: a paste never waits behind an earlier one that
    // a stalled owner holds up.
    m_readers->setMaxThreadCount(4);
    // Nobody in this program learns of clipboard changes from Qt: a text field that does asks
    // Qt's clipboard for its formats at once, on the main thread.
    QGuiApplication::clipboard()->blockSignals(true);
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

FieldPaste::~FieldPaste()
{
    m_readers->waitForDone(); // a delivery posted meanwhile is discarded with this object
}

bool FieldPaste::eventFilter(QObject *watched, QEvent *event)
{
    if (watched->isWindowType() && isMiddleButtonEvent(event))
        return true;
    if (event->type() != QEvent::KeyPress ||
        !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste))
        return false;
    if (!isSingleLineField(watched) && !isMultiLineField(watched))
        return false;
    if (!watched->property("readOnly").toBool())
        paste(watched);
    return true;
}

void FieldPaste::paste(QObject *field)
{
    m_field = field;
    const quint64 request = ++m_requests;
    std::shared_ptr<PasteboardReading> reading =
        m_pasteboard.openReading(Pasteboard::ContentsOf::AnyApplication);
    m_readers->start([this, request, reading]() mutable {
        std::optional<QString> text;
        if (reading)
            text = reading->string(largestText);
        reading.reset(); // the clipboard connection goes here, off the main thread
        QMetaObject::invokeMethod(
            this, [this, request, text] { deliver(request, text); }, Qt::QueuedConnection);
    });
}

void FieldPaste::deliver(quint64 request, const std::optional<QString> &text)
{
    if (request != m_requests || !m_field || !text || text->isEmpty())
        return;
    // Only into the field that asked, while it still has the keyboard.
    if (QGuiApplication::focusObject() != m_field.data())
        return;
    // Typed in, as an input method commits text: it replaces the selection, lands at the
    // cursor, and counts as the user's edit.
    QInputMethodEvent typing;
    typing.setCommitString(fieldText(*text, isMultiLineField(m_field.data())));
    QCoreApplication::sendEvent(m_field.data(), &typing);
}

} // namespace tessaly
