#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

namespace tessaly::test {

// A text window of another application, in a process of its own, for end-to-end tests:
// tests/e2e/helpers/TextTarget.cpp (Qt, target tessaly_text_target) or
// tests/e2e/helpers/gtk_text_target.py (GTK 3). Both take the keyboard focus, report the field's
// rectangle once the window is shown and the field's whole text after every change. The process
// ends with this object.
class TextTarget
{
public:
    TextTarget() = default;
    ~TextTarget();

    TextTarget(const TextTarget &) = delete;
    TextTarget &operator=(const TextTarget &) = delete;

    // Starts `program` (the Qt target takes the window's title as its argument) and waits until
    // its window is shown; false when it did not start or reported no field in time.
    bool start(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment, int timeoutMs = 15000);

    // The field's rectangle in display pixels (top-down).
    QRect field() const { return m_field; }
    qint64 processId() const { return m_process.processId(); }

    // The field's whole text as last reported (what has arrived so far; nothing is awaited).
    QString text();

    // The first line reported since the last call that starts with `prefix` (empty on timeout
    // or when the process ended).
    QString waitForLine(const QString &prefix, int timeoutMs = 15000);

private:
    // Takes in what the process has written: whole lines are queued for waitForLine, and text
    // reports update text().
    void readOutput();

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
    QString m_text;
    QRect m_field;
};

} // namespace tessaly::test
