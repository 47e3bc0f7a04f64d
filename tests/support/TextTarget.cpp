#include "support/TextTarget.h"

#include "support/TestSupport.h"

namespace tessaly::test {

namespace {

// A reported text with its escapes ("\\" and "\n") undone.
QString unescaped(QStringView text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
            plain.append(text[i] == u'n' ? QChar(u'\n') : text[i]);
        } else {
            plain.append(text[i]);
        }
    }
    return plain;
}

} // namespace

TextTarget::~TextTarget()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool TextTarget::start(const QString &program, const QStringList &arguments,
                       const QProcessEnvironment &environment, int timeoutMs)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    const QStringList parts = waitForLine(QStringLiteral("field "), timeoutMs).split(u' ');
    if (parts.size() != 5)
        return false;
    m_field = QRect(parts[1].toInt(), parts[2].toInt(), parts[3].toInt(), parts[4].toInt());
    return true;
}

QString TextTarget::text()
{
    readOutput();
    return m_text;
}

QString TextTarget::waitForLine(const QString &prefix, int timeoutMs)
{
    QString found;
    waitUntil(
        [&] {
            readOutput();
            while (!m_lines.isEmpty()) {
                const QString line = m_lines.takeFirst();
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return found;
}

void TextTarget::readOutput()
{
    m_pending += m_process.readAllStandardOutput();
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_pending.left(newline));
        m_pending.remove(0, newline + 1);
        if (line.startsWith(u"text "))
            m_text = unescaped(QStringView(line).mid(5));
        m_lines.append(line);
    }
}

} // namespace tessaly::test
